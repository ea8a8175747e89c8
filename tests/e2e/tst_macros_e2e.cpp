// Macro mode end to end: the real port component over a pty to the printer
// simulator. Enter macro mode, record, list, play and remove a macro, leave,
// and see the port closed and the idle timer in charge again.
#include "link/SerialPOSPrinter.h"
#include "macros/frmMacro.h"
#include "support/Fakes.h"
#include "support/SimProcess.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {
// The window reads the list straight after asking for it and sets no read
// timing of its own; give the simulator a generous moment per byte so that a
// busy machine does not cut the reply short.
constexpr long kReadWaitMs = 300;

QByteArray bytes(const char *hex)
{
    return fromHex(QString::fromLatin1(hex));
}
} // namespace

class TestMacrosE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void recordListPlayRemove();
    void refusedModelClosesPort();
};

void TestMacrosE2E::initTestCase()
{
    isolateSettings();
}

void TestMacrosE2E::recordListPlayRemove()
{
    SimProcess sim;
    if (!sim.start())
        QSKIP(qPrintable(QStringLiteral("the printer simulator gave no port (not built yet?): ") + sim.error()));
    SerialPOSPrinter port;
    port.SetReadTiming(kReadWaitMs, 10);
    FakeOperator op;
    frmTerminal term(&port, &op, nullptr);
    term.show();
    Link &link = term.session().link;
    link.vars.CommPort = sim.port();

    term.DoMacros->trigger();
    QVERIFY2(op.asked.isEmpty(), qPrintable(op.texts().join(QLatin1Char('|'))));
    frmMacro *macro = term.macroWindow();
    QVERIFY(macro && macro->isVisible());
    QVERIFY(link.MacroMode);
    QVERIFY(link.vars.PortOpen);
    QVERIFY(link.HasExtendedStore); // the simulator is an MX2600 unless told otherwise
    QVERIFY(port.isOpen());
    QVERIFY(!term.Getresp->isEnabled());
    auto *status = macro->findChild<QPlainTextEdit *>(QStringLiteral("MacroStatus"));
    QCOMPARE(status->toPlainText(), QString()); // no macros yet

    // The idle timer leaves the held port alone.
    link.ClosePending = true;
    term.Timer1_Timer();
    QVERIFY(port.isOpen());

    auto click = [macro](const char *name) {
        QTest::mouseClick(macro->findChild<QAbstractButton *>(QLatin1String(name)), Qt::LeftButton);
    };
    macro->findChild<QLineEdit *>(QStringLiteral("MacroName"))->setText(QStringLiteral("E2E"));
    macro->findChild<QCheckBox *>(QStringLiteral("Silent"))->setChecked(false);
    click("MacroRecord");
    link.Send_Info("Hello\n", 6); // what the printer records
    click("MacroRecord");
    QVERIFY2(status->toPlainText().contains(QLatin1String("E2E")), qPrintable(status->toPlainText()));

    click("MacroQuery");
    QVERIFY2(status->toPlainText().contains(QLatin1String("E2E")), qPrintable(status->toPlainText()));
    click("MacroPlay");
    click("MacroDel");
    QVERIFY2(!status->toPlainText().contains(QLatin1String("E2E")), qPrintable(status->toPlainText()));

    click("OKButton");
    QVERIFY(!macro->isVisible());
    QVERIFY(!port.isOpen());
    QVERIFY(!link.vars.PortOpen);
    QVERIFY(!link.MacroMode);
    QVERIFY(term.Getresp->isEnabled());

    const QByteArray expected = bytes("05 15") + bytes("05 17")                // entry, load
        + bytes("1B 67 01") + "Hello\n" + bytes("1B 67 02 1B 1F 6D") + "E2E" + bytes("00")
        + bytes("05 17")                                                        // refresh
        + bytes("05 17")                                                        // Query
        + bytes("1B 1F 72") + "E2E" + bytes("00")                              // Play
        + bytes("1B 1F 64") + "E2E" + bytes("00") + bytes("05 17");            // Remove, refresh
    QVERIFY(sim.waitForReceived(int(expected.size())));
    QCOMPARE(hexBytes(sim.received()), hexBytes(expected));

    // Back to normal: an operation opens the port and the idle timer closes it.
    link.OpenOnDemand();
    QVERIFY(port.isOpen());
    link.ClosePending = true;
    link.timer().start(50);
    QTRY_VERIFY_WITH_TIMEOUT(!port.isOpen(), 2000);
}

void TestMacrosE2E::refusedModelClosesPort()
{
    SimProcess sim({QStringLiteral("--identity"), QStringLiteral("CMD MX9999 V1.00")});
    if (!sim.start())
        QSKIP(qPrintable(QStringLiteral("the printer simulator gave no port (not built yet?): ") + sim.error()));
    SerialPOSPrinter port;
    FakeOperator op;
    frmTerminal term(&port, &op, nullptr);
    Link &link = term.session().link;
    link.vars.CommPort = sim.port();

    term.DoMacros->trigger();
    QCOMPARE(op.texts(), QStringList{QStringLiteral("This product or emulation is not compatable with RvOS Macros")});
    QVERIFY(!port.isOpen());
    QVERIFY(!link.vars.PortOpen);
    QVERIFY(!link.MacroMode);
    QVERIFY(!term.macroWindow());
    QVERIFY(sim.waitForReceived(2));
    QCOMPARE(hexBytes(sim.received()), QStringLiteral("05 15"));
}

QTEST_MAIN(TestMacrosE2E)
#include "tst_macros_e2e.moc"
