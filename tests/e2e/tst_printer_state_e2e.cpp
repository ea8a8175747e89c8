// The terminal against the simulator's printer state: Auto Query decodes the
// condition replies the simulator gives from its state, and a script that
// runs a roll out of paper stops there and goes on after the paper is loaded.
#include "support/Fakes.h"
#include "support/SimProcess.h"

#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QtTest>

#include <memory>

class tst_PrinterStateE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { isolateSettings(); }
    void cleanup();
    void autoQueryDecodesConditions_data();
    void autoQueryDecodesConditions();
    void rollRunsOutDuringAScript();

private:
    bool startWith(const QStringList &simArgs);
    void send(const QString &command);

    std::unique_ptr<SimProcess> m_sim;
    FakeOperator m_op;
    std::unique_ptr<frmTerminal> m_w;
};

void tst_PrinterStateE2E::cleanup()
{
    m_w.reset();
    m_sim.reset();
    m_op = FakeOperator();
}

bool tst_PrinterStateE2E::startWith(const QStringList &simArgs)
{
    m_sim = std::make_unique<SimProcess>(simArgs, false); // its log says when an action is done
    if (!m_sim->start())
        return false;
    m_w = std::make_unique<frmTerminal>(nullptr, &m_op, nullptr); // the real port and event pump
    m_w->show();
    m_w->session().link.vars.CommPort = m_sim->port();
    m_w->session().link.vars.CommFlow = 0;
    return true;
}

void tst_PrinterStateE2E::send(const QString &command)
{
    m_w->findChild<QCheckBox *>(QStringLiteral("AutoQuery"))->setChecked(true);
    m_w->findChild<QComboBox *>(QStringLiteral("SendInfo"))->setEditText(command);
    QTest::mouseClick(m_w->findChild<QPushButton *>(QStringLiteral("SendCommand")), Qt::LeftButton);
}

void tst_PrinterStateE2E::autoQueryDecodesConditions_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("shown"); // the reply and its message

    QTest::newRow("cover open") << QStringList{"cover open"} << "<28><5><8>" << QByteArray("[NAK][BS]\r\n**Cover is Open**");
    QTest::newRow("cover closed") << QStringList{} << "<28><5><8>" << QByteArray("[ACK][BS]\r\n**Cover is Closed**");
    QTest::newRow("paper out") << QStringList{"paper out"} << "<28><5><4>" << QByteArray("[NAK][EOT]\r\n**Receipt Paper is Out**");
    QTest::newRow("after a pulse on drawer 1") << QStringList{} << "[ESC]p<0><5><255><28><5><1>"
                                               << QByteArray("[NAK][SOH]\r\n**Cash Drawer 1 Open**");
    QTest::newRow("reset while the cover is open") << QStringList{"cover open"} << "[ESC]@<28><5><10>"
                                                   << QByteArray("[NAK]\r\n\r\n**Reset Rejected**"); // LF shows as a line break
}

void tst_PrinterStateE2E::autoQueryDecodesConditions()
{
    QFETCH(QStringList, actions);
    QFETCH(QString, command);
    QFETCH(QByteArray, shown);
    if (!startWith({}))
        QSKIP(qPrintable(QStringLiteral("no printer simulator to talk to: ") + m_sim->error()));
    for (const QString &action : actions)
        QVERIFY(m_sim->act(action));
    send(command);
    QVERIFY2(m_w->termText().endsWith("\r\n" + shown + "\r\n"), m_w->termText().constData());
}

// 4 m of receipts on a 3 m roll: the printer stops at paper out, the last
// bytes wait in its buffer (and the line), and print after paper load.
void tst_PrinterStateE2E::rollRunsOutDuringAScript()
{
    const QTemporaryDir dir;
    QByteArray receipts;
    for (int receipt = 1; receipt <= 4; ++receipt) {
        for (int line = 0; line < 266; ++line) // 266 lines of 30 dots: a receipt of 1 m
            receipts += QByteArray("Receipt ") + QByteArray::number(receipt) + " line " + QByteArray::number(line) + '\n';
        receipts += QByteArray("\x1DV\x00", 3);
    }
    QFile file(dir.filePath(QStringLiteral("four-metres.prn")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(receipts);
    file.close();
    if (!startWith({QStringLiteral("--paper-length"), QStringLiteral("3000"), QStringLiteral("--near-end"), QStringLiteral("500")}))
        QSKIP(qPrintable(QStringLiteral("no printer simulator to talk to: ") + m_sim->error()));

    m_w->FileNameTextBox->setEditText(file.fileName());
    QTest::mouseClick(m_w->SendScript, Qt::LeftButton);
    QVERIFY2(m_op.asked.isEmpty(), qPrintable(m_op.texts().join('|')));
    QTRY_VERIFY_WITH_TIMEOUT(m_sim->log().contains(QStringLiteral("paper out: offline")), 10000);
    QVERIFY2(m_sim->log().contains(QStringLiteral("paper near end (")), qPrintable(m_sim->log()));
    QVERIFY(m_sim->received().size() < receipts.size());

    QVERIFY(m_sim->act(QStringLiteral("paper load")));
    QVERIFY(m_sim->waitForReceived(int(receipts.size()), 10000));
    QCOMPARE(m_sim->received(), receipts);
    QVERIFY(m_sim->act(QStringLiteral("state")));
    // The first roll ended with the second line of the fourth receipt; the
    // fresh one printed the rest: 7920 of 24000 dots.
    QVERIFY2(m_sim->log().contains(QStringLiteral("state: online, paper 2010 mm of 3000 left")), qPrintable(m_sim->log()));
    QCOMPARE(m_sim->log().count(QStringLiteral("paper out: offline")), 1);
}

QTEST_MAIN(tst_PrinterStateE2E)
#include "tst_printer_state_e2e.moc"
