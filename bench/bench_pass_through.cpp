// What the pass-through costs, side by side in one run: the time from a byte
// written by a point-of-sale program until the printer has it, through
// marlix-run --pass-through (TCP and pty) against written to the printer's
// line directly; and 1 MiB through TCP -> pty against directly. The printer
// is a pty whose far end this program reads. Figures only; no verdicts.
//   bench_pass_through [ROUND_TRIPS]
#include "support/PosProgram.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <pty.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <tuple>
#include <vector>

namespace {
constexpr qsizetype kMiB = 1024 * 1024;

// The printer's line: the bench reads the master; the slave is the port.
struct Line {
    int master = -1;
    int slave = -1;
    QString slavePath;
    bool open()
    {
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return false;
        termios tio{};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        ::fcntl(slave, F_SETFL, O_NONBLOCK);
        slavePath = QString::fromLocal8Bit(name);
        return true;
    }
    // Lets go of our own slave: the port component opens it exclusively.
    void releaseSlave()
    {
        ::close(slave);
        slave = -1;
    }
    // Waits (blocking) until n bytes came out of the printer's end.
    qsizetype take(qsizetype n)
    {
        char buffer[65536];
        qsizetype got = 0;
        while (got < n) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0)
                return got;
            const ssize_t r = ::read(master, buffer, size_t(std::min<qsizetype>(n - got, sizeof buffer)));
            if (r > 0)
                got += r;
        }
        return got;
    }
};

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

// Microseconds from a one-byte write until the printer's end has it; -1 when it never does.
double latency(int fd, Line &line, char byte)
{
    QElapsedTimer clock;
    clock.start();
    if (::write(fd, &byte, 1) != 1 || line.take(1) != 1)
        return -1;
    return double(clock.nsecsElapsed()) / 1000.0;
}

// MiB/s for 1 MiB written to fd by another process (as a point-of-sale
// program is one) and read here at the printer's end.
double throughput(int fd, Line &line)
{
    QByteArray data(kMiB, '\0');
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char(i * 7);
    QElapsedTimer clock;
    clock.start();
    const pid_t writer = ::fork();
    if (writer == 0) {
        pollfd p{fd, POLLOUT, 0};
        for (qsizetype written = 0; written < kMiB && ::poll(&p, 1, 5000) > 0;) {
            const ssize_t w = ::write(fd, data.constData() + written, size_t(kMiB - written));
            if (w > 0)
                written += w;
        }
        ::_exit(0);
    }
    const qsizetype got = line.take(kMiB);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    ::waitpid(writer, nullptr, 0);
    return got == kMiB ? double(kMiB) / (1024.0 * 1024.0) / seconds : 0.0;
}

// marlix-run serving the line, until the object goes.
class Serving {
public:
    // Its display (standard output) goes to `shown`, as a recording's would.
    bool start(const QString &listen, const QString &printer, const QString &shown)
    {
        m_process.setStandardOutputFile(shown);
        m_process.setReadChannel(QProcess::StandardError); // where it says where it waits
        m_process.start(QStringLiteral(MARLIX_RUN_PATH),
                        {QStringLiteral("--pass-through"), listen, QStringLiteral("-p"), printer});
        const QRegularExpression waiting(QStringLiteral("waiting for a point-of-sale program on (\\S+)\n"));
        QString err;
        while (!waiting.match(err).hasMatch()) {
            if (!m_process.waitForReadyRead(10000))
                return false;
            err += QString::fromLocal8Bit(m_process.readAllStandardError());
        }
        address = waiting.match(err).captured(1);
        return true;
    }
    ~Serving()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    QString address;

private:
    QProcess m_process;
};

void row(const char *what, const std::vector<double> &us, const std::vector<double> &direct)
{
    if (us.empty()) {
        std::printf("  %-28s  (no figures)\n", what);
        return;
    }
    const double median = percentile(us, 0.5);
    std::printf("  %-28s  median %8.1f us  p99 %8.1f us  added at the median %8.1f us\n", what, median,
                percentile(us, 0.99), median - percentile(direct, 0.5));
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int trips = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    QTemporaryDir dir;

    // Directly: the program writes to the printer's line itself.
    Line direct;
    Line tcpLine;
    Line ptyLine;
    if (!direct.open() || !tcpLine.open() || !ptyLine.open())
        return 1;
    tcpLine.releaseSlave();
    ptyLine.releaseSlave();
    Serving tcp;
    Serving pty;
    if (!tcp.start(QStringLiteral("tcp://127.0.0.1:0"), tcpLine.slavePath, dir.filePath(QStringLiteral("tcp.txt")))
        || !pty.start(dir.filePath(QStringLiteral("pos")), ptyLine.slavePath, dir.filePath(QStringLiteral("pty.txt")))) {
        std::fprintf(stderr, "bench_pass_through: marlix-run --pass-through did not start\n");
        return 1;
    }
    PosProgram overTcp;
    PosProgram overPty;
    if (!overTcp.open(tcp.address) || !overPty.open(pty.address))
        return 1;
    // In turns, so that whatever else the machine does weighs on all three alike.
    std::vector<double> directUs, tcpUs, ptyUs;
    for (int i = 0; i < trips; ++i) {
        const char byte = char('A' + i % 26);
        for (auto [fd, line, into] : {std::tuple{direct.slave, &direct, &directUs}, std::tuple{overTcp.fd(), &tcpLine, &tcpUs},
                                      std::tuple{overPty.fd(), &ptyLine, &ptyUs}}) {
            if (const double us = latency(fd, *line, byte); us >= 0)
                into->push_back(us);
        }
    }
    std::vector<double> directRates, tcpRates;
    for (int round = 0; round < 5; ++round) {
        directRates.push_back(throughput(direct.slave, direct));
        tcpRates.push_back(throughput(overTcp.fd(), tcpLine));
    }
    const double directRate = percentile(directRates, 0.5);
    const double tcpRate = percentile(tcpRates, 0.5);

    std::printf("One byte from the point-of-sale program until the printer has it (%d each):\n", trips);
    row("directly on the line", directUs, directUs);
    row("through the pass-through, TCP", tcpUs, directUs);
    row("through the pass-through, pty", ptyUs, directUs);
    std::printf("1 MiB until the printer has it (median of 5, in turns):\n");
    std::printf("  %-28s  %8.1f MiB/s\n", "directly on the line", directRate);
    std::printf("  %-28s  %8.1f MiB/s  (%.2f of direct)\n", "TCP -> pass-through -> pty", tcpRate,
                directRate > 0 ? tcpRate / directRate : 0.0);
    std::printf("Targets: at most 1000 us added at the median; at least 0.80 of direct.\n");
    return 0;
}
