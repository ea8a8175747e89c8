// libFuzzer target: the script interpreter on arbitrary file bytes.
// Input: one byte of settings (Transcript, packet size, script or raw mode),
// then the file. The same bytes also stand as "other.dmo" and "logo.prn" so
// that DO and GRAPHIC find something to open. Sleeps cost nothing; every
// outside call spends from a budget, so a script that replays and nests
// without end is cut short instead of hanging the fuzzer.
#include "link/EventPump.h"
#include "link/Operator.h"
#include "link/POSPrinter.h"
#include "scripts/PauseView.h"
#include "scripts/ScriptInterpreter.h"
#include "session/Session.h"
#include "link/TerminalView.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

struct BudgetSpent {};

struct Budget {
    static constexpr long kCalls = 200000;
    static constexpr long kBytes = 8L << 20;
    long calls = 0;
    long bytes = 0;
    void call()
    {
        if (++calls > kCalls)
            throw BudgetSpent{};
    }
    void out(long n)
    {
        bytes += n;
        if (bytes > kBytes)
            throw BudgetSpent{};
    }
};

class Printer : public POSPrinter {
public:
    explicit Printer(Budget &b) : m_b(b) {}
    QByteArray ReadInput(long) override { m_b.call(); return {}; }
    void OpenPort(const QString &, const QString &) override { m_b.call(); }
    void ClosePort() override { m_b.call(); }
    void SetFlowControl(long) override { m_b.call(); }
    long WriteData(const QByteArray &data, long count) override
    {
        m_b.call();
        if (count < 0 || count > data.size())
            abort(); // a write must never claim bytes that are not there
        m_b.out(count);
        m_last = count;
        return 1;
    }
    void SetReadTiming(long, long) override { m_b.call(); }
    long GetWriteCount() override { return m_last; }
    QString GetPortName(long) override { return {}; }
    void SetBreak(long, const QString &) override { m_b.call(); }

private:
    Budget &m_b;
    long m_last = 0;
};

class Answers : public Operator {
public:
    explicit Answers(Budget &b) : m_b(b) {}
    Msg::Answer message(const QString &, Msg::Buttons, Msg::Icon, const QString &) override
    {
        m_b.call();
        return Msg::Answer::Ok;
    }
    std::optional<FileChoice> openFile(const FileDialogRequest &) override { return std::nullopt; }

private:
    Budget &m_b;
};

class Pump : public EventPump {
public:
    explicit Pump(Budget &b) : m_b(b) {}
    void serveEvents() override { m_b.call(); }
    void sleepMs(int ms) override
    {
        m_b.call();
        if (ms < 0 || ms > 32767)
            abort(); // no argument may block for longer than the longest wait
    }

private:
    Budget &m_b;
};

class Pause : public PauseView {
public:
    void showPause() override {}
    void setCount(int) override {}
    void hidePause() override {}
};

class View : public NullTerminalView {
public:
    View(Budget &b, bool transcript, QString packet, QString box)
        : m_b(b), m_transcript(transcript), m_packet(std::move(packet)), m_box(std::move(box)) {}
    void appendToDisplay(const QByteArray &text) override { m_b.out(text.size()); }
    bool transcriptChecked() const override { return m_transcript; }
    QString packetSizeText() const override { m_b.call(); return m_packet; }
    QString scriptFileText() const override { return m_box; }
    void setSendCommandEnabled(bool e) override { sendCommand = e; }
    void setGetrespEnabled(bool e) override { getresp = e; }

    bool sendCommand = true;
    bool getresp = true;

private:
    Budget &m_b;
    bool m_transcript;
    QString m_packet;
    QString m_box;
};

QTemporaryDir *g_dir = nullptr;

void writeFile(const QString &name, const char *data, size_t size)
{
    QFile f(g_dir->filePath(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        abort();
    f.write(data, qint64(size));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    g_dir = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    const uint8_t settings = data[0];
    const char *file = reinterpret_cast<const char *>(data + 1);
    const size_t fileSize = size - 1;
    static const char *const packets[] = {"20", "1", "0", "2048", "-3", " 2.5 ", "abc", "99999"};

    const bool raw = settings & 0x10;
    const QString main = g_dir->filePath(raw ? QStringLiteral("main.prn") : QStringLiteral("main.dmo"));
    writeFile(QStringLiteral("main.dmo"), file, fileSize);
    writeFile(QStringLiteral("main.prn"), file, fileSize);
    writeFile(QStringLiteral("other.dmo"), file, fileSize);
    writeFile(QStringLiteral("logo.prn"), file, fileSize);

    Budget budget;
    Printer printer(budget);
    Answers op(budget);
    Pump pump(budget);
    Pause pause;
    View view(budget, settings & 1, QString::fromLatin1(packets[(settings >> 1) & 7]), main);
    Session session(printer, op, pump, view);
    ScriptInterpreter interpreter(session, pause, [&budget] { budget.call(); });
    try {
        interpreter.RunScript(main);
    } catch (const BudgetSpent &) {
        return 0; // cut short: the state after an interrupted run means nothing
    }
    // A finished run leaves nothing running and the buttons usable.
    if (interpreter.isRunning() || !view.sendCommand || !view.getresp)
        abort();
    return 0;
}
