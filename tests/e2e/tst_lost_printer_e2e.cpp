// A printer that goes away in the middle of a script or a command loop: the
// simulator is killed and, where the operator waits for it, started again on
// the same path. OK after "Unable to output data" opens the port again so the
// rest arrives; Cancel with the printer still gone ends the run or loop.
#include "support/Fakes.h"
#include "support/LinkFixtures.h"
#include "support/SimProcess.h"

#include "scripts/ScriptRunner.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
const QString kUnable = QStringLiteral("Unable to output data. Press OK to continue.");
} // namespace

class tst_LostPrinterE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { isolateSettings(); }
    void script_data() { printerComesBackOrNot(); }
    void script();
    void loop_data() { printerComesBackOrNot(); }
    void loop();

private:
    static void printerComesBackOrNot()
    {
        QTest::addColumn<bool>("comesBack");
        QTest::newRow("restarted, OK: it goes on") << true;
        QTest::newRow("still gone, Cancel: it ends") << false;
    }
};

void tst_LostPrinterE2E::script()
{
    QFETCH(bool, comesBack);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttySim"));
    SimProcess sim({QStringLiteral("--link"), link});
    if (!sim.start())
        QSKIP(qPrintable(QStringLiteral("printer simulator not available: ") + sim.error()));

    // Twenty lines; at the fifth the printer is switched off.
    const QString name = dir.filePath(QStringLiteral("long.dmo"));
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(lostPrinterScript());
    file.close();

    FakeOperator op;
    int unable = 0;
    op.onMessage = [&](const AskedQuestion &q) {
        if (q.text == QLatin1String("switch off")) {
            QVERIFY(sim.waitForReceived(int(scriptLines(1, 5).size())));
            sim.stop();
            op.answers << Msg::Answer::Ok;
        } else if (q.text == kUnable) {
            ++unable;
            if (comesBack && unable == 1)
                QVERIFY(sim.start());
            op.answers << (comesBack ? Msg::Answer::Ok : Msg::Answer::Cancel);
        }
    };
    frmTerminal w(nullptr, &op, nullptr);
    w.session().link.vars.CommPort = link;
    w.FileNameTextBox->setEditText(name);
    QTest::mouseClick(w.SendScript, Qt::LeftButton);

    QCOMPARE(unable, 1);
    if (comesBack) {
        QVERIFY(sim.waitForReceived(int(scriptLines(1, 20).size())));
        QCOMPARE(sim.received(), scriptLines(1, 20));
        QCOMPARE(w.Label1->text(), QString()); // the reopened port cleared the reason
    } else {
        QCOMPARE(w.Label1->text(), link + QStringLiteral(": the port is not open, so the script was ended"));
        QVERIFY(!w.termText().contains("LINE 7"));
    }
    QVERIFY(!w.scripts().running());
    QVERIFY(w.SendCommand->isEnabled());
}

void tst_LostPrinterE2E::loop()
{
    QFETCH(bool, comesBack);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttySim"));
    // The printer answers the command at once, so a pass does not wait a second for a reply.
    SimProcess sim({QStringLiteral("--link"), link, QStringLiteral("--reply"), QStringLiteral("4142=06")});
    if (!sim.start())
        QSKIP(qPrintable(QStringLiteral("printer simulator not available: ") + sim.error()));

    FakeOperator op;
    int unable = 0;
    op.onMessage = [&](const AskedQuestion &q) {
        if (q.text != kUnable)
            return;
        ++unable;
        if (comesBack && unable == 1)
            QVERIFY(sim.start());
        op.answers << (comesBack ? Msg::Answer::Ok : Msg::Answer::Cancel);
    };
    frmTerminal w(nullptr, &op, nullptr);
    w.session().link.vars.CommPort = link;
    w.AutoQuery->setChecked(false);
    w.SendInfo->setEditText(QStringLiteral("AB"));

    // Kill the printer after its first command; once it is back and has the
    // next one, stop the loop. A bound keeps a loop that never ends from
    // hanging the test.
    int phase = 0;
    bool boundHit = false;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (phase == 0 && sim.received().size() >= 2) {
            sim.stop();
            phase = 1;
        } else if (phase == 1 && comesBack && sim.received().size() >= 4) {
            w.session().link.Looping = false;
            phase = 2;
        }
    });
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [&] {
        boundHit = true;
        w.session().link.Looping = false;
    });
    watch.start();
    bound.start(30000);
    QTest::mouseClick(w.LoopButton, Qt::LeftButton);
    watch.stop();

    QVERIFY(!boundHit);
    QCOMPARE(unable, 1);
    if (comesBack) {
        QCOMPARE(sim.received().left(4), QByteArray("ABAB"));
    } else {
        QCOMPARE(w.Label1->text(), link + QStringLiteral(": the port is not open, so the command loop was ended"));
    }
}

QTEST_MAIN(tst_LostPrinterE2E)
#include "tst_lost_printer_e2e.moc"
