// The main window with its own port component, talking to the printer
// simulator over TCP as to a network printer: commands and replies, a script,
// macro mode, a connection dropped in the middle of a script, and one refused.
#include "link/AnyPOSPrinter.h"
#include "macros/frmMacro.h"
#include "support/Fakes.h"
#include "support/LinkFixtures.h"
#include "support/SimProcess.h"

#include "scripts/ScriptRunner.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kUnable = QStringLiteral("Unable to output data. Press OK to continue.");

} // namespace

class tst_NetworkE2E : public QObject {
    Q_OBJECT

    static void send(frmTerminal &w, const QString &command, bool autoQuery)
    {
        w.AutoQuery->setChecked(autoQuery);
        w.SendInfo->setEditText(command);
        QTest::mouseClick(w.SendCommand, Qt::LeftButton);
    }

private slots:
    void initTestCase() { isolateSettings(); }

    void commandsAndReplies_data()
    {
        QTest::addColumn<QString>("modeButton");
        QTest::addColumn<QByteArray>("shownReply");
        QTest::newRow("Normal") << "Option3" << QByteArray("[NAK][SOH]");
        QTest::newRow("Hex") << "Option1" << QByteArray("<15><1>");
    }

    void commandsAndReplies()
    {
        QFETCH(QString, modeButton);
        QFETCH(QByteArray, shownReply);
        SimProcess sim(withTcp({QStringLiteral("--reply"), QStringLiteral("1B40=1501")}));
        START_SIM_OR_SKIP(sim);
        FakeOperator op;
        frmTerminal w(nullptr, &op, nullptr); // the real port component and event pump
        w.show();
        w.session().link.vars.CommPort = sim.netPort();
        w.DispPort();
        QCOMPARE(w.CurPort->text(), sim.netPort()); // no baud rate on this link
        QVERIFY(!w.DoBreak->isEnabled());
        QTest::mouseClick(w.findChild<QRadioButton *>(modeButton), Qt::LeftButton);

        send(w, QStringLiteral("[ESC]@"), true);
        QCOMPARE(hexBytes(sim.received()), QStringLiteral("1B 40"));
        QCOMPARE(w.termText(), QByteArray("\r\n[ESC]@\r\n") + shownReply + "\r\n**Cash Drawer 1 Open**\r\n");
        send(w, QStringLiteral("A"), true);
        QVERIFY(w.termText().endsWith("\r\nA\r\n** No Responce**\r\n"));
        QVERIFY(sim.waitForReceived(3));
        QCOMPARE(hexBytes(sim.received()), QStringLiteral("1B 40 41"));
        QVERIFY(op.asked.isEmpty());
        QCOMPARE(w.Label1->text(), QString());
    }

    void script()
    {
        SimProcess sim(withTcp());
        START_SIM_OR_SKIP(sim);
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("net.dmo"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("logo.prn")), QByteArray("\x1D\x76\x30\x00\xFF", 5)));
        QVERIFY(writeFile(name, "[ESC]@<27>a<1>Network\\n{WAIT:10}{GRAPHIC:logo.prn}`a comment\r\n"
                                "\\tEnd<0><255>\r\n"));
        FakeOperator op;
        frmTerminal w(nullptr, &op, nullptr);
        w.session().link.vars.CommPort = sim.netPort();
        w.FileNameTextBox->setEditText(name);
        QTest::mouseClick(w.SendScript, Qt::LeftButton);
        const QByteArray expected = QByteArray("\x1B@\x1B" "a\x01Network\r\n\x1D\x76\x30\x00\xFF", 19)
            + QByteArray("\tEnd\x00\xFF", 6);
        QVERIFY(sim.waitForReceived(int(expected.size())));
        QCOMPARE(hexBytes(sim.received()), hexBytes(expected));
        QVERIFY(op.asked.isEmpty());
        QVERIFY(!w.scripts().running());
    }

    // Macro mode holds the connection from the identity check to the window's
    // close; the printer is the same one the pty serves.
    void macroMode()
    {
        SimProcess sim(withTcp(), false);
        START_SIM_OR_SKIP(sim);
        FakeOperator op;
        frmTerminal w(nullptr, &op, nullptr);
        w.show();
        Link &link = w.session().link;
        link.vars.CommPort = sim.netPort();
        // The window reads the list right after asking; give the simulator a moment per byte.
        w.session().port.SetReadTiming(300, 10);

        w.DoMacros->trigger();
        QVERIFY2(op.asked.isEmpty(), qPrintable(op.texts().join(QLatin1Char('|'))));
        frmMacro *macro = w.macroWindow();
        QVERIFY(macro && macro->isVisible());
        QVERIFY(link.MacroMode);
        QVERIFY(link.HasExtendedStore);
        auto click = [macro](const char *name) {
            QTest::mouseClick(macro->findChild<QAbstractButton *>(QLatin1String(name)), Qt::LeftButton);
        };
        macro->findChild<QLineEdit *>(QStringLiteral("MacroName"))->setText(QStringLiteral("NET"));
        click("MacroRecord");
        link.Send_Info("Hello\n", 6);
        click("MacroRecord");
        auto *status = macro->findChild<QPlainTextEdit *>(QStringLiteral("MacroStatus"));
        QVERIFY2(status->toPlainText().contains(QLatin1String("NET")), qPrintable(status->toPlainText()));
        click("OKButton");
        QVERIFY(!link.MacroMode);
        QVERIFY(!static_cast<AnyPOSPrinter &>(w.session().port).isOpen());
        QTRY_VERIFY(sim.log().contains(QStringLiteral("network: connection closed")));
        QCOMPARE(sim.log().count(QStringLiteral("network: connection from")), 1);
        QVERIFY2(sim.log().contains(QStringLiteral("stored NET (6 bytes")), qPrintable(sim.log()));
    }

    // The simulator goes away after the fifth line of twenty. Started again on
    // the same port, OK reconnects and the rest arrives; still gone, Cancel
    // ends the script. The status line says what happened each time.
    void droppedInAScript_data()
    {
        QTest::addColumn<bool>("comesBack");
        QTest::newRow("restarted, OK: the rest arrives") << true;
        QTest::newRow("still gone, Cancel: the script ends") << false;
    }

    void droppedInAScript()
    {
        QFETCH(bool, comesBack);
        SimProcess sim(withTcp());
        START_SIM_OR_SKIP(sim);
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("long.dmo"));
        QVERIFY(writeFile(name, lostPrinterScript()));

        FakeOperator op;
        int unable = 0;
        QString statusAtUnable;
        frmTerminal w(nullptr, &op, nullptr);
        op.onMessage = [&](const AskedQuestion &q) {
            if (q.text == QLatin1String("switch off")) {
                QVERIFY(sim.waitForReceived(int(scriptLines(1, 5).size())));
                sim.stop();
                op.answers << Msg::Answer::Ok;
            } else if (q.text == kUnable) {
                if (++unable == 1)
                    statusAtUnable = w.Label1->text();
                if (comesBack && unable == 1)
                    QVERIFY(sim.start());
                op.answers << (comesBack ? Msg::Answer::Ok : Msg::Answer::Cancel);
            }
        };
        w.session().link.vars.CommPort = sim.netPort();
        w.FileNameTextBox->setEditText(name);
        QTest::mouseClick(w.SendScript, Qt::LeftButton);

        QCOMPARE(unable, 1);
        QCOMPARE(statusAtUnable, sim.netPort() + QStringLiteral(": the printer has dropped the connection - it was "
                                                                  "closed; the next operation connects again once the "
                                                                  "printer is back"));
        if (comesBack) {
            QVERIFY(sim.waitForReceived(int(scriptLines(1, 20).size())));
            QCOMPARE(sim.received(), scriptLines(1, 20));
            QCOMPARE(w.Label1->text(), QString());
        } else {
            QCOMPARE(w.Label1->text(),
                     sim.netPort() + QStringLiteral(": the port is not open, so the script was ended"));
            QVERIFY(!w.termText().contains("LINE 7"));
        }
        QVERIFY(!w.scripts().running());
    }

    // Nothing listens: the command is not taken, and the status line says why.
    void refusedConnection()
    {
        SimProcess sim(withTcp());
        START_SIM_OR_SKIP(sim);
        sim.stop();
        const QString name = sim.netPort();
        FakeOperator op;
        op.answers << Msg::Answer::Cancel;
        frmTerminal w(nullptr, &op, nullptr);
        w.session().link.vars.CommPort = name;
        send(w, QStringLiteral("[ESC]@"), false);
        QCOMPARE(op.texts(), QStringList{kUnable});
        QCOMPARE(w.Label1->text(),
                 name + QStringLiteral(": Connection refused - is the printer switched on, and does it take print "
                                       "data on port %1?")
                            .arg(sim.tcpPort()));
        QCOMPARE(w.session().link.OutBuffer, QByteArray("\x1B@"));
    }
};

QTEST_MAIN(tst_NetworkE2E)
#include "tst_network_e2e.moc"
