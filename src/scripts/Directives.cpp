#include "scripts/Directives.h"

#include "link/EventPump.h"
#include "link/Operator.h"
#include "link/POSPrinter.h"
#include "scripts/PauseView.h"
#include "scripts/RunState.h"
#include "scripts/ScriptArguments.h"
#include "scripts/ScriptInterpreter.h"
#include "session/Session.h"
#include "link/TerminalView.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>

namespace Directives {

namespace {

struct Call {
    ScriptInterpreter &in;
    RunState &run;
    const QByteArray &name;
    const QByteArray &argument;
    Session &s;
};

using Handler = void (*)(Call &);

void tell(Call &c, const QString &text)
{
    c.s.op.message(text, Msg::Buttons::Ok, Msg::Icon::Exclamation);
}

// Text for the printer: one byte per character; a character that is not one
// byte (a date in a non-Latin script) cannot be sent and is left out.
QByteArray bytesOf(const QString &text)
{
    QByteArray bytes;
    for (QChar ch : text)
        if (ch.unicode() <= 0xFF)
            bytes += char(ch.unicode());
    return bytes;
}

// DATE, TIME, A and B: shown with a line break, then queued by the caller.
void insert(Call &c, const QByteArray &text)
{
    if (c.s.view.transcriptChecked())
        c.s.AppendToTerm(text + "\r\n");
    c.run.Piece = text;
    c.run.PieceLength = int(text.size());
}

// The rest of the line belongs to the directive; the line's own end is no part of it.
QByteArray takeRestOfLine(RunState &run)
{
    QByteArray rest = run.Line;
    run.Line.clear();
    if (!rest.isEmpty() && quint8(rest.back()) < 32)
        rest.chop(1);
    return rest;
}

bool openForDirective(Call &c, QFile &file)
{
    const QString reason = ScriptInterpreter::openForReading(file);
    if (reason.isEmpty())
        return true;
    c.in.countUnopenedFile();
    tell(c, QStringLiteral("{%1} skipped: unable to open %2: %3. Press OK to continue")
                .arg(QString::fromLatin1(c.name), file.fileName(), reason));
    return false;
}

void graphic(Call &c)
{
    QFile file(ScriptArguments::fileArgument(c.run.ScriptFolder, c.argument));
    if (!openForDirective(c, file))
        return;
    // Straight to the port in blocks of 2001 bytes, then one last write with
    // what is left, even nothing. Results are not examined.
    QByteArray block;
    for (;;) {
        const QByteArray more = file.read(kGraphicBlock - block.size());
        block += more;
        if (block.size() == kGraphicBlock) {
            c.s.port.WriteData(block, long(block.size()));
            block.clear();
            continue;
        }
        if (more.isEmpty())
            break;
    }
    c.s.port.WriteData(block, long(block.size()));
}

void breakOn(Call &c) { c.s.port.SetBreak(1, QString()); }
void breakOff(Call &c) { c.s.port.SetBreak(2, QString()); }

void breakFor(Call &c)
{
    c.s.port.SetBreak(1, QString());
    c.s.pump.sleepMs(ScriptArguments::numberArgument(c.argument));
    c.s.port.SetBreak(2, QString());
}

void stop(Call &c)
{
    c.s.op.message(QStringLiteral("Script Stopped Press OK to continue"));
}

void echoMessage(Call &c)
{
    c.s.op.message(QString::fromLatin1(takeRestOfLine(c.run)));
}

void rem(Call &c) { c.run.Line.clear(); }

void pause(Call &c)
{
    PauseView &window = c.in.pause();
    window.showPause();
    for (int n = ScriptArguments::numberArgument(c.argument); n >= 1; --n) {
        window.setCount(n);
        c.s.pump.serveEvents();
        if (c.s.link.ShuttingDown)
            break; // the window closed while the count was shown
        c.s.pump.sleepMs(1000);
    }
    window.hidePause();
}

void wait(Call &c) { c.s.pump.sleepMs(ScriptArguments::numberArgument(c.argument)); }

void doScript(Call &c)
{
    const QString name = ScriptArguments::fileArgument(c.run.ScriptFolder, c.argument);
    if (c.in.isRunningFile(name)) {
        c.s.op.message(QStringLiteral("Recursive DO Press OK to continue"));
        return;
    }
    if (c.run.depth + 1 >= ScriptInterpreter::kMaxDepth) {
        tell(c, QStringLiteral("{DO} skipped: %1 would nest scripts more than %2 deep. Press OK to continue")
                    .arg(name)
                    .arg(ScriptInterpreter::kMaxDepth));
        return;
    }
    c.in.runNested(name); // a file that will not open is reported there and skipped
}

void repeat(Call &c)
{
    c.run.RepeatText = c.run.Line;
    c.run.RepeatCount = ScriptArguments::numberArgument(c.argument);
    c.run.Line.clear();
}

void date(Call &c)
{
    insert(c, bytesOf(QLocale::system().toString(c.in.now().date(), QLocale::ShortFormat)));
}

void time(Call &c)
{
    insert(c, bytesOf(c.in.now().time().toString(QStringLiteral("HH:mm"))));
}

qint16 &counter(Call &c) { return c.name.startsWith('A') ? c.s.CounterA : c.s.CounterB; }

void showCounter(Call &c) { insert(c, QByteArray::number(counter(c))); }

// A=, A+, A-, B=, B+, B-: a value that is no whole number, or a result the
// counter cannot hold, leaves the counter as it is, and the operator is told.
void changeCounter(Call &c)
{
    qint16 &value = counter(c);
    const QString directive = QStringLiteral("{%1:%2}").arg(QString::fromLatin1(c.name),
                                                            QString::fromLatin1(c.argument));
    const char letter = c.name.at(0);
    const ScriptArguments::WholeNumber n = ScriptArguments::readWholeNumber(c.argument, true);
    if (n.kind != ScriptArguments::WholeNumber::Ok) {
        tell(c, QStringLiteral("%1 needs a whole number from -32768 to 32767; counter %2 stays %3. "
                               "Press OK to continue")
                    .arg(directive, QChar::fromLatin1(letter))
                    .arg(value));
        return;
    }
    int result = n.rounded;
    if (c.name.at(1) == '+')
        result = value + n.rounded;
    else if (c.name.at(1) == '-')
        result = value - n.rounded;
    if (result < -32768 || result > 32767) {
        tell(c, QStringLiteral("%1 would make counter %2 %3, beyond -32768 to 32767; it stays %4. "
                               "Press OK to continue")
                    .arg(directive, QChar::fromLatin1(letter))
                    .arg(result)
                    .arg(value));
        return;
    }
    value = qint16(result);
}

void get1284(Call &c)
{
    c.in.getResponse();
    // Get Response closes the port when it is done; the rest of the script
    // still has to reach the printer, and the idle timer must not close it mid-run.
    c.s.link.OpenOnDemand();
}

const QHash<QByteArray, Handler> &table()
{
    static const QHash<QByteArray, Handler> handlers = {
        {"GRAPHIC", graphic}, {"BREAKON", breakOn},      {"BREAKOFF", breakOff},
        {"BREAK", breakFor},  {"STOP", stop},            {"ECHO", echoMessage},
        {"REM", rem},         {"PAUSE", pause},          {"WAIT", wait},
        {"DO", doScript},     {"RPT", repeat},           {"DATE", date},
        {"TIME", time},       {"A", showCounter},        {"A=", changeCounter},
        {"A+", changeCounter}, {"A-", changeCounter},    {"B", showCounter},
        {"B=", changeCounter}, {"B+", changeCounter},    {"B-", changeCounter},
        {"GET1284", get1284},
    };
    return handlers;
}

} // namespace

void ExecuteDirective(ScriptInterpreter &in, RunState &run, const QByteArray &name,
                      const QByteArray &argument)
{
    const Handler handler = table().value(name, nullptr);
    if (!handler || in.session().link.ShuttingDown)
        return; // not a directive: ignored; or the window has closed
    Call call{in, run, name, argument, in.session()};
    handler(call);
}

} // namespace Directives
