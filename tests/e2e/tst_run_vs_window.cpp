// The window and marlix-run given the same items, each against a simulator of
// its own: the printers must receive the same bytes, the runner's standard
// output must be the window's display and its standard error the window's
// message boxes, in the same order.
#include "support/Fakes.h"
#include "support/RunProcess.h"
#include "support/SimProcess.h"

#include "run/Console.h"
#include "run/RunOptions.h"
#include "scripts/ScriptRunner.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString kExamples = QStringLiteral(MARLIX_SOURCE_DIR "/docs/examples/");
const QString kPort = QStringLiteral("%PORT%");

QStringList withPort(QStringList arguments, const QString &port)
{
    for (QString &a : arguments)
        a.replace(kPort, port);
    return arguments;
}

// DATE and TIME show the day and the minute: one clock for both runs.
QString minuteOf(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyyMMddHHmm"));
}

struct WindowRun {
    QByteArray display;
    QByteArray told; // the message boxes as the runner writes them
};

// Sets the window's controls as the options say and presses the button of each item.
WindowRun playInWindow(const RunOptions &options, const SimProcess &sim, const QDateTime &now)
{
    WindowRun result;
    FakeOperator op;
    frmTerminal w(nullptr, &op, nullptr); // the real port and event pump
    w.show();
    LinkVariables link = options.link;
    link.CommPort = sim.port();
    w.session().link.vars = link;
    w.scripts().interpreter().setClock([now] { return now; });
    w.AutoQuery->setChecked(options.autoQuery);
    w.Echo->setChecked(options.transcript);
    w.PackSize->setText(options.packetSize);
    QTest::mouseClick(options.mode == DisplayMode::Hex   ? w.Option1
                      : options.mode == DisplayMode::Dec ? w.Option2
                                                         : w.Option3,
                      Qt::LeftButton);

    for (const RunItem &item : options.items) {
        switch (item.kind) {
        case RunItem::File:
            w.FileNameTextBox->setEditText(item.text);
            QTest::mouseClick(w.SendScript, Qt::LeftButton);
            break;
        case RunItem::Command:
            w.SendInfo->setEditText(item.text);
            QTest::mouseClick(w.SendCommand, Qt::LeftButton);
            break;
        case RunItem::GetResponse:
            QTest::mouseClick(w.Getresp, Qt::LeftButton);
            break;
        }
    }
    result.display = w.termText();
    for (const QString &text : op.texts())
        result.told += consoleLine(withoutButtonPrompt(text));
    w.session().port.ClosePort();
    return result;
}

} // namespace

class tst_RunVsWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sameItemsSameBytes_data();
    void sameItemsSameBytes();

private:
    QTemporaryDir m_dir;
};

void tst_RunVsWindow::initTestCase()
{
    isolateSettings();
    QVERIFY(m_dir.isValid());
    QFile talk(m_dir.filePath(QStringLiteral("talk.dmo")));
    QVERIFY(talk.open(QIODevice::WriteOnly));
    // [ESC]@ goes out alone before GET1284, so that the simulator's answer to it is read there.
    talk.write("<300>A{STOP}B\r\n{ECHO}Ready\r\n{DO:gone.dmo}{GRAPHIC:gone.prn}{A=:x}[ESC]@{GET1284}\r\n"
               "{DO:talk.dmo}C\\n");
}

void tst_RunVsWindow::sameItemsSameBytes_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QStringList>("args");

    const QStringList replies{"--reply", "1B40=1501", "--reply", "1004=0604"};
    QTest::newRow("receipt.dmo") << QStringList{} << QStringList{"-p", kPort, kExamples + "receipt.dmo"};
    QTest::newRow("header.dmo") << QStringList{} << QStringList{"-p", kPort, kExamples + "header.dmo"};
    QTest::newRow("logo.prn") << QStringList{} << QStringList{"-p", kPort, kExamples + "logo.prn"};
    QTest::newRow("receipt.dmo twice, no transcript, packets of 1")
        << QStringList{}
        << QStringList{"-p", kPort, "--no-transcript", "--packet-size", "1", kExamples + "receipt.dmo",
                       kExamples + "receipt.dmo"};
    QTest::newRow("commands, replies and a script, in hex")
        << replies
        << QStringList{"-p", kPort, "-r", "--mode", "hex", "-c", "[ESC]@", "--get-response", kExamples + "receipt.dmo",
                       "-c", "<16><4>"};
    QTest::newRow("commands without Auto Query, in dec")
        << replies << QStringList{"-p", kPort, "--mode", "dec", "-c", "[ESC]@<200>\\[CR]", "--get-response",
                                  "-c", "<16><4>", "-c", "", "--get-response"};
    QTest::newRow("messages in order") << replies
                                       << QStringList{"-p", kPort, "-r", m_dir.filePath("talk.dmo"), "-c", "<x1B>@"};
}

void tst_RunVsWindow::sameItemsSameBytes()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, args);

    RunProcess runner;
    RunProcess::Result ran;
    std::unique_ptr<SimProcess> runnerSim;
    QDateTime now;
    for (int attempt = 0; attempt < 2; ++attempt) {
        runnerSim = std::make_unique<SimProcess>(simArgs);
        QVERIFY2(runnerSim->start(), qPrintable(runnerSim->error()));
        now = QDateTime::currentDateTime();
        ran = runner.run(withPort(args, runnerSim->port()));
        QVERIFY(ran.finished);
        if (minuteOf(QDateTime::currentDateTime()) == minuteOf(now))
            break; // else the minute turned during the run: its TIME is not known, run again
    }

    const CommandLine line = parseRunCommandLine(QStringList{"marlix-run"} + args, LinkVariables());
    QCOMPARE(line.outcome, CommandLine::Run);
    SimProcess windowSim(simArgs);
    QVERIFY2(windowSim.start(), qPrintable(windowSim.error()));
    const WindowRun window = playInWindow(line.options, windowSim, now);

    // The runner's printer has had the whole window run to take in the last
    // bytes; the window's may still be reading them.
    const QByteArray ranWire = runnerSim->received();
    QVERIFY(ranWire.size() >= 2); // something did reach the printer
    QTRY_COMPARE_WITH_TIMEOUT(hexBytes(windowSim.received()), hexBytes(ranWire), 10000);
    QCOMPARE(ran.out, window.display);
    QCOMPARE(ran.err, window.told);
    // A file that could not be opened (the run's own, or a DO's or GRAPHIC's) makes the status 1.
    QCOMPARE(ran.status, window.told.contains("nable to open") ? 1 : 0);
}

QTEST_MAIN(tst_RunVsWindow)
#include "tst_run_vs_window.moc"
