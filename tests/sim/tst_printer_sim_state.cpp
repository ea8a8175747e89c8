// The simulator's printer state over its pty: the operator's lines on its
// standard input, the receive buffer that stalls the writer while the printer
// is offline, and what it prints once it is back.
#include "support/SimProcess.h"

#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr int kWaitMs = 10000;

// The program's end of the line, raw and non-blocking.
struct Line
{
    int fd = -1;
    explicit Line(const QString &path)
    {
        fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios tio {};
        if (fd >= 0 && ::tcgetattr(fd, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(fd, TCSANOW, &tio);
        }
    }
    ~Line() { ::close(fd); }
    // Writes until the line refuses (true) or all is written (false).
    bool writeUntilFull(const QByteArray &bytes, qsizetype *written)
    {
        while (*written < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + *written, size_t(bytes.size() - *written));
            if (n < 0)
                return errno == EAGAIN;
            *written += n;
        }
        return false;
    }
    QByteArray read()
    {
        QByteArray bytes;
        char buffer[256];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, n);
        return bytes;
    }
};

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
};

// Cover open: real-time requests are answered at once, what prints waits; a
// full buffer stops the reading, so the writer stalls; cover closed, it all
// prints and nothing waits.
void TestPrinterSimState::offlineBufferStallsTheWriter()
{
    SimProcess sim({}, false);
    START_SIM_OR_SKIP(sim);
    Line line(sim.port());
    QVERIFY(line.fd >= 0);
    QVERIFY(sim.act(QStringLiteral("cover open")));
    QVERIFY(sim.log().contains(QStringLiteral("cover open: offline, 0 bytes waiting")));

    QCOMPARE(::write(line.fd, "AB\x1D\x72\x01\x10\x04\x02", 8), 8);
    QByteArray replies;
    QTRY_COMPARE_WITH_TIMEOUT((replies += line.read()).toHex(' '), QByteArray("16"), kWaitMs); // GS r waits

    const QByteArray stream = textLines(2000); // 96000 bytes, far more than the line and the printer hold
    qsizetype written = 0;
    QVERIFY(line.writeUntilFull(stream, &written));
    QVERIFY(sim.waitForReceived(8 + 4096 - 8));
    QCOMPARE(sim.received().size(), 4096);
    QCOMPARE(line.read(), QByteArray()); // GS r still waits

    QVERIFY(sim.act(QStringLiteral("cover close")));
    while (written < stream.size()) {
        QVERIFY(sim.waitForReceived(int(8 + written), kWaitMs));
        line.writeUntilFull(stream, &written);
    }
    QVERIFY(sim.waitForReceived(int(8 + stream.size()), kWaitMs));
    QCOMPARE(::write(line.fd, "\x1C\x05\x09", 3), 3);
    QTRY_COMPARE_WITH_TIMEOUT((replies += line.read()).toHex(' '), QByteArray("16 00 06 09"), kWaitMs);
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
    Line line(QString::fromLocal8Bit(sim.readLine()).trimmed());
    QVERIFY(line.fd >= 0);
    QCOMPARE(::write(line.fd, "\x10\x04\x01", 3), 3);
    QByteArray reply;
    QTRY_COMPARE_WITH_TIMEOUT(reply += line.read(), QByteArray("\x12"), kWaitMs);
    QCOMPARE(sim.state(), QProcess::Running);
    sim.terminate();
    QVERIFY(sim.waitForFinished(kWaitMs));
    QCOMPARE(sim.readAllStandardError(), QByteArray());
}

QTEST_GUILESS_MAIN(TestPrinterSimState)
#include "tst_printer_sim_state.moc"
