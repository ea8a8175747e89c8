// How fast the command notation converts, and how soon Get Response ends once
// the printer falls silent (against the printer simulator over a pty).
#include "commands/Commands.h"
#include "commands/Notation.h"
#include "link/EventPump.h"
#include "link/SerialPOSPrinter.h"
#include "support/Fakes.h"
#include "support/SimProcess.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Passes every call on and notes when the last byte of a reply was read.
class TimedPort final : public POSPrinter {
public:
    TimedPort(POSPrinter &inner, QElapsedTimer &clock) : m_inner(inner), m_clock(clock) {}
    qint64 firstByteNs = -1;
    qint64 lastByteNs = -1;
    int bytes = 0;
    void reset() { firstByteNs = lastByteNs = -1; bytes = 0; }

    QByteArray ReadInput(long count) override
    {
        QByteArray b = m_inner.ReadInput(count);
        if (!b.isEmpty()) {
            lastByteNs = m_clock.nsecsElapsed();
            if (firstByteNs < 0)
                firstByteNs = lastByteNs;
            bytes += int(b.size());
        }
        return b;
    }
    void OpenPort(const QString &n, const QString &m) override { m_inner.OpenPort(n, m); }
    void ClosePort() override { m_inner.ClosePort(); }
    void SetFlowControl(long f) override { m_inner.SetFlowControl(f); }
    long WriteData(const QByteArray &d, long c) override { return m_inner.WriteData(d, c); }
    void SetReadTiming(long a, long b) override { m_inner.SetReadTiming(a, b); }
    long GetWriteCount() override { return m_inner.GetWriteCount(); }
    QString GetPortName(long i) override { return m_inner.GetPortName(i); }
    void SetBreak(long c, const QString &t) override { m_inner.SetBreak(c, t); }

private:
    POSPrinter &m_inner;
    QElapsedTimer &m_clock;
};

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

void benchNotation()
{
    // A long command mixing every form, cut to 255 characters after the first step.
    const QByteArray piece("[ESC]@<27>\\<x1B>Hello [esc]a<x01>[LF]<200>< 65>\\\\[XYZ]<12345>");
    QByteArray command;
    while (command.size() < 300)
        command += piece;
    FakeOperator op;
    qint64 commands = 0, bytes = 0;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 1000) {
        for (int i = 0; i < 100; ++i) {
            QByteArray rest = command;
            while (!rest.isEmpty()) {
                Notation::NextCommandByte(rest, op);
                ++bytes;
            }
            ++commands;
        }
    }
    const double s = double(t.nsecsElapsed()) / 1e9;
    std::printf("NextCommandByte: %zd-character mixed command -> %lld bytes each\n", size_t(command.size()),
                commands ? bytes / commands : 0LL);
    std::printf("  %.0f commands/s, %.2f Mbytes/s, %.0f ns per byte\n", double(commands) / s,
                double(bytes) / s / 1e6, s * 1e9 / double(bytes));
}

int benchGetresp(const char *label, const QByteArray &request, const QByteArray &reply, int rounds)
{
    SimProcess sim({QStringLiteral("--reply"),
                    QString::fromLatin1(request.toHex().toUpper() + '=' + reply.toHex().toUpper())});
    if (!sim.start()) {
        std::printf("Get Response: no simulator (%s)\n", qPrintable(sim.error()));
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    SerialPOSPrinter serial;
    TimedPort port(serial, clock);
    FakeOperator op;
    AppEventPump pump;
    FakeView view;
    Session session(port, op, pump, view);
    session.link.vars.CommPort = sim.port();
    session.link.vars.CommFlow = 0;
    Commands commands(session);

    std::vector<double> afterLast, afterFirst, total;
    for (int i = 0; i < rounds; ++i) {
        session.link.OpenOnDemand();
        port.reset();
        const qint64 start = clock.nsecsElapsed();
        port.WriteData(request, long(request.size()));
        commands.Getresp_Click();
        const qint64 end = clock.nsecsElapsed();
        if (port.bytes != reply.size()) {
            std::printf("Get Response: round %d read %d bytes, expected %lld\n", i, port.bytes,
                        qint64(reply.size()));
            return 1;
        }
        afterLast.push_back(double(end - port.lastByteNs) / 1e6);
        afterFirst.push_back(double(end - port.firstByteNs) / 1e6);
        total.push_back(double(end - start) / 1e6);
    }
    std::printf("Get Response, %s (%lld-byte reply, %d rounds), ms:\n", label, qint64(reply.size()), rounds);
    std::printf("  last reply byte -> end    median %6.2f  p90 %6.2f  max %6.2f  (target: median < 15)\n",
                percentile(afterLast, 0.5), percentile(afterLast, 0.9), percentile(afterLast, 1.0));
    std::printf("  first reply byte -> end   median %6.2f  p90 %6.2f  max %6.2f\n", percentile(afterFirst, 0.5),
                percentile(afterFirst, 0.9), percentile(afterFirst, 1.0));
    std::printf("  request written -> end    median %6.2f  p90 %6.2f  max %6.2f\n", percentile(total, 0.5),
                percentile(total, 0.9), percentile(total, 1.0));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    isolateSettings();
    benchNotation();
    int failed = benchGetresp("status reply", QByteArray::fromHex("100401"), QByteArray::fromHex("1501"), 100);
    failed += benchGetresp("40-byte reply", QByteArray::fromHex("1D49"), QByteArray(40, 'R'), 50);
    return failed ? 1 : 0;
}
