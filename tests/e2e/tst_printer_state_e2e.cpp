// The terminal against the printer's state, on the simulator and on the
// built-in printer alike: Auto Query decodes the condition replies the printer
// gives from its state, and a script that runs a roll out of paper stops
// there and goes on after the paper is loaded.
#include "support/Fakes.h"
#include "support/PrinterUnderTest.h"
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
    addFaceColumn();
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("shown"); // the reply and its message

    for (const PrinterUnderTest::Face face : PrinterUnderTest::kFaces) {
        const auto row = [face](const char *name) -> QTestData & { return addFaceRow(face, name) << QStringList(); };
        row("cover open") << QStringList{"cover open"} << "<28><5><8>" << QByteArray("[NAK][BS]\r\n**Cover is Open**");
        row("cover closed") << QStringList{} << "<28><5><8>" << QByteArray("[ACK][BS]\r\n**Cover is Closed**");
        row("paper out") << QStringList{"paper out"} << "<28><5><4>" << QByteArray("[NAK][EOT]\r\n**Receipt Paper is Out**");
        row("paper near end, then loaded") << QStringList{"paper near-end", "paper load"} << "<28><5><3>"
                                          << QByteArray("[ACK][ETX]\r\n**Receipt Paper is not Low**");
        row("after a pulse on drawer 1") << QStringList{} << "[ESC]p<0><5><255><28><5><1>"
                                         << QByteArray("[NAK][SOH]\r\n**Cash Drawer 1 Open**");
        row("drawer 1 closed again") << QStringList{"drawer 1 open", "drawer 1 close"} << "<28><5><1>"
                                     << QByteArray("[ACK][SOH]\r\n**Cash Drawer 1 Closed**");
        row("reset while the cover is open") << QStringList{"cover open"} << "[ESC]@<28><5><10>"
                                             << QByteArray("[NAK]\r\n\r\n**Reset Rejected**"); // LF shows as a line break
        // The printer's settings reach both faces: a --reply rule wins over the state.
        addFaceRow(face, "a reply rule") << QStringList{"--reply", "1C0508=1508"} << QStringList{} << "<28><5><8>"
                                         << QByteArray("[NAK][BS]\r\n**Cover is Open**");
    }
}

void tst_PrinterStateE2E::autoQueryDecodesConditions()
{
    QFETCH(int, face);
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, actions);
    QFETCH(QString, command);
    QFETCH(QByteArray, shown);
    PrinterUnderTest printer(PrinterUnderTest::Face(face), simArgs);
    START_PRINTER_OR_SKIP(printer);
    for (const QString &action : actions)
        QVERIFY2(printer.act(action), qPrintable(action));
    frmTerminal &w = printer.window();
    w.findChild<QCheckBox *>(QStringLiteral("AutoQuery"))->setChecked(true);
    w.findChild<QComboBox *>(QStringLiteral("SendInfo"))->setEditText(command);
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("SendCommand")), Qt::LeftButton);
    QVERIFY2(w.termText().endsWith("\r\n" + shown + "\r\n"), w.termText().constData());
    QVERIFY2(printer.op().asked.isEmpty(), qPrintable(printer.op().texts().join('|')));
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
