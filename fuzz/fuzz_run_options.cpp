// libFuzzer target: the console tools' command lines, marlix-run's and the
// printer simulator's, both given every input, and each argument read by every
// check of the options the command lines share. Input: arguments separated by
// NUL bytes, each read as the locale's (UTF-8) text as QCoreApplication reads
// argv. Whatever comes in, the outcome must be one the program can act on:
// a run whose items and settings the window (or a printer) could have, a
// pass-through with a LISTEN text it can serve, help, the version, or an
// error with a text.
#include "SimOptions.h"
#include "run/RunOptions.h"
#include "scripts/ScriptArguments.h"
#include "session/CommonOptions.h"
#include "session/PassThrough.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        abort();
}

bool isLatin1(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

void checkSimulator(QStringList arguments)
{
    arguments.first() = QStringLiteral("marlix-printer-sim");
    const SimCommandLine line = parseSimCommandLine(arguments);
    if (line.outcome != SimCommandLine::Run) {
        check(!line.text.isEmpty());
        return;
    }
    const SimOptions &o = line.options;
    check(line.text.isEmpty());
    check(o.tcpPort >= -1 && o.tcpPort <= 65535);
    check(o.replyDelayMs >= 0);
    check(o.paperLengthMm >= 1 && o.nearEndMm >= 0);
    check(o.drawerClosesMs >= 0);
    for (const auto &[request, response] : o.replies)
        check(!request.isEmpty());
    check(o.cjk != TwoByteCode::None);
    check(o.paperWidthDots == Paper::kWidthDots || o.paperWidthDots == Paper::kNarrowWidthDots);
}

// A value either passes a check, set and within its limits, or is refused with words.
void checkCommonOptions(const QString &text)
{
    const auto refused = [](const QString &wrong) { check(!wrong.isEmpty()); };
    qint64 number = -1;
    if (const QString wrong = CommonOptions::readBaud(text, &number); wrong.isEmpty())
        check(number >= 1 && number <= CommonOptions::kMaxBaud
              && CommonOptions::readBaud(text, &number, CommonOptions::Wording::Window).isEmpty());
    else
        refused(CommonOptions::readBaud(text, &number, CommonOptions::Wording::Window));
    number = -1;
    if (CommonOptions::readPaperLength(text, &number).isEmpty())
        check(number >= 1 && number <= CommonOptions::kMaxRollMm);
    int dots = 0;
    if (CommonOptions::readPaper(text, &dots).isEmpty())
        check(dots == Paper::kWidthDots || dots == Paper::kNarrowWidthDots);
    TwoByteCode code = TwoByteCode::None;
    if (CommonOptions::readCjk(text, &code).isEmpty())
        check(code != TwoByteCode::None && code != TwoByteCode::Jis);
    QString listen;
    if (CommonOptions::readPassThrough(text, &listen).isEmpty())
        check(PassThrough::checkListen(listen).isEmpty());
    qint16 flow = -1;
    if (CommonOptions::readFlow(text, &flow).isEmpty())
        check(flow >= 0 && flow <= 2);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 2048)
        return 0;
    QStringList arguments{QStringLiteral("marlix-run")};
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QByteArray &argument : bytes.split('\0'))
        arguments << QString::fromUtf8(argument);
    if (arguments.size() > 200)
        return 0;

    checkSimulator(arguments);
    for (const QString &argument : std::as_const(arguments))
        checkCommonOptions(argument);

    LinkVariables saved;
    saved.CommPort = QStringLiteral("ttyS0");
    const CommandLine line = parseRunCommandLine(arguments, saved);
    switch (line.outcome) {
    case CommandLine::Help:
    case CommandLine::Version:
    case CommandLine::Error:
        check(!line.text.isEmpty());
        break;
    case CommandLine::Run: {
        const RunOptions &o = line.options;
        check(line.text.isEmpty());
        // Items to play, or a point-of-sale program to serve: one or the other.
        check(o.items.isEmpty() != o.passThrough.isEmpty());
        check(o.passThrough.isEmpty() || PassThrough::checkListen(o.passThrough).isEmpty());
        qsizetype arguable = 0; // an item comes from at least one argument
        for (const RunItem &item : o.items) {
            check(item.kind != RunItem::File || !item.text.isEmpty());
            check(item.kind != RunItem::Command || isLatin1(item.text));
            check(item.kind != RunItem::GetResponse || item.text.isEmpty());
            ++arguable;
        }
        check(arguable < arguments.size());
        const QString port = o.link.CommPort.trimmed();
        check(!port.isEmpty() && port != QLatin1String("None"));
        bool ok = false;
        check(o.link.CommBaud.toInt(&ok) > 0 && ok && o.link.CommBaud.toInt() <= CommonOptions::kMaxBaud);
        check(QStringList({"N", "E", "O"}).contains(o.link.CommParity));
        check(QStringList({"7", "8"}).contains(o.link.CommDataBits));
        check(QStringList({"1", "2"}).contains(o.link.CommStopBits));
        check(o.link.CommFlow >= 0 && o.link.CommFlow <= 2);
        check(ScriptArguments::readWholeNumber(o.packetSize.toLatin1(), false).kind
              == ScriptArguments::WholeNumber::Ok);
        check(o.mode == DisplayMode::Normal || o.mode == DisplayMode::Hex || o.mode == DisplayMode::Dec);
        check(!o.link.PortOpen);
        check(o.receiptsDir.isNull() || !o.receiptsDir.isEmpty()); // --receipts names a folder
        check(o.cjk == TwoByteCode::Gb18030 || o.cjk == TwoByteCode::ShiftJis || o.cjk == TwoByteCode::Big5
              || o.cjk == TwoByteCode::EucKr); // never None, nor JIS (FS C picks that)
        check(o.paperLengthMm >= 1 && o.paperLengthMm <= CommonOptions::kMaxRollMm);
        check(o.paperWidthDots == Paper::kWidthDots || o.paperWidthDots == Paper::kNarrowWidthDots);
        break;
    }
    }
    return 0;
}
