// The simulator's printer state over its pty: the operator's lines on its
// standard input, the receive buffer that stalls the writer while the printer
// is offline, and what it prints once it is back.
#include "support/PtyEnd.h"
#include "support/SimProcess.h"

#include <QtTest>

namespace {
constexpr int kWaitMs = 10000;

QByteArray textLines(int count)
{
    return (QByteArray(47, 'x') + '\n').repeated(count);
}
} // namespace

class TestPrinterSimState : public QObject
{
    Q_OBJECT
private slots:
    void offlineBufferStallsTheWriter();
    void stateLineAndUnknownLines();
    void endOfInputChangesNothing();
    void commandCutShortIsSaidAtStop();
};

// Cover open: real-time requests are answered at once, what prints waits; a
// full buffer stops the reading, so the writer stalls; cover closed, it all
// prints and nothing waits.
void TestPrinterSimState::offlineBufferStallsTheWriter()
{
    SimProcess sim({}, false);
    START_SIM_OR_SKIP(sim);
    PtyEnd line;
    QVERIFY(line.open(sim.port()));
    QVERIFY(sim.act(QStringLiteral("cover open")));
    QVERIFY(sim.log().contains(QStringLiteral("cover open: offline, 0 bytes waiting")));

    QCOMPARE(line.write(QByteArray("AB\x1D\x72\x01\x10\x04\x02")), 8);
    QByteArray replies;
    QTRY_COMPARE_WITH_TIMEOUT((replies += line.readAll()).toHex(' '), QByteArray("16"), kWaitMs); // GS r waits

    const QByteArray stream = textLines(2000); // 96000 bytes, far more than the line and the printer hold
    qsizetype written = 0;
    QVERIFY(line.writeUntilFull(stream, &written));
    QVERIFY(sim.waitForReceived(8 + 4096 - 8));
    QCOMPARE(sim.received().size(), 4096);
    QCOMPARE(line.readAll(), QByteArray()); // GS r still waits

    QVERIFY(sim.act(QStringLiteral("cover close")));
    while (written < stream.size()) {
        QVERIFY(sim.waitForReceived(int(8 + written), kWaitMs));
        line.writeUntilFull(stream, &written);
    }
    QVERIFY(sim.waitForReceived(int(8 + stream.size()), kWaitMs));
    QCOMPARE(line.write(QByteArray("\x1C\x05\x09")), 3);
    QTRY_COMPARE_WITH_TIMEOUT((replies += line.readAll()).toHex(' '), QByteArray("16 00 06 09"), kWaitMs);
    QVERIFY2(sim.log().contains(QStringLiteral("printed 4096 bytes that waited")), qPrintable(sim.log()));
}

void TestPrinterSimState::stateLineAndUnknownLines()
{
    SimProcess sim({QStringLiteral("--paper-length"), QStringLiteral("3000"), QStringLiteral("--near-end"), QStringLiteral("500")});
    START_SIM_OR_SKIP(sim); // quiet: only the answers are printed
    QVERIFY(sim.act(QStringLiteral("drawer 2 open")));
    QVERIFY(sim.act(QStringLiteral("paper near-end")));
    QVERIFY(sim.act(QStringLiteral("state")));
    QVERIFY(sim.act(QStringLiteral("paper jam")));
    QTRY_VERIFY_WITH_TIMEOUT(sim.log().count(QLatin1Char('\n')) == 2, kWaitMs);
    QCOMPARE(sim.log(),
             QStringLiteral("marlix-printer-sim: state: online, paper near end, 499 mm of 3000 left, cover closed, drawer 1 closed, "
                            "drawer 2 open, no error, 0 bytes waiting, status back off\n"
                            "marlix-printer-sim: unknown action \"paper jam\": type help for the list\n"));
}

// Tests and scripts start the simulator with nothing on its standard input:
// it serves on.
void TestPrinterSimState::endOfInputChangesNothing()
{
    QProcess sim;
    sim.setStandardInputFile(QProcess::nullDevice());
    sim.start(QStringLiteral(MARLIX_SIM_PATH), {QStringLiteral("--quiet")});
    QVERIFY(sim.waitForReadyRead(kWaitMs));
    PtyEnd line;
    QVERIFY(line.open(QString::fromLocal8Bit(sim.readLine()).trimmed()));
    QCOMPARE(line.write(QByteArray("\x10\x04\x01")), 3);
    QByteArray reply;
    QTRY_COMPARE_WITH_TIMEOUT(reply += line.readAll(), QByteArray("\x12"), kWaitMs);
    QCOMPARE(sim.state(), QProcess::Running);
    sim.terminate();
    QVERIFY(sim.waitForFinished(kWaitMs));
    QCOMPARE(sim.readAllStandardError(), QByteArray());
}

// A command still waiting for its data when the simulator stops is said:
// its image never reached the paper.
void TestPrinterSimState::commandCutShortIsSaidAtStop()
{
    SimProcess sim({}, false);
    START_SIM_OR_SKIP(sim);
    PtyEnd line;
    QVERIFY(line.open(sim.port()));
    QCOMPARE(line.write(QByteArray::fromHex("1D7630000400080080")), 9);
    QVERIFY(sim.waitForReceived(9, kWaitMs));
    sim.stop();
    QVERIFY2(sim.log().contains(QStringLiteral("end of input: GS v 0 waiting for 31 more bytes\n")), qPrintable(sim.log()));
}

QTEST_GUILESS_MAIN(TestPrinterSimState)
#include "tst_printer_sim_state.moc"
