#include "scripts/ScriptInterpreter.h"

#include "commands/Notation.h"
#include "link/Operator.h"
#include "scripts/Directives.h"
#include "scripts/ScriptArguments.h"
#include "session/Session.h"
#include "link/TerminalView.h"

#include <QFile>
#include <QFileInfo>

namespace {

// What the display shows after a piece is queued: the byte's name, a line
// break after LF only (a CR stays on its line), a line break for "\n".
QByteArray echoOf(const RunState &run)
{
    if (run.PieceLength != 1)
        return QByteArrayLiteral("\r\n");
    const quint8 b = quint8(run.Piece.at(0));
    QByteArray text = Notation::EchoName(b);
    if (b == 10)
        text += "\r\n";
    return text;
}

QString sameFileKey(const QString &name)
{
    return QFileInfo(name).canonicalFilePath();
}

} // namespace

ScriptInterpreter::ScriptInterpreter(Session &session, PauseView &pause,
                                     std::function<void()> getResponse)
    : m_s(session), m_pause(pause), m_getResponse(std::move(getResponse))
{
}

void ScriptInterpreter::getResponse()
{
    if (m_getResponse)
        m_getResponse();
}

bool ScriptInterpreter::isRunningFile(const QString &name) const
{
    if (m_chain.contains(name))
        return true;
    // "./main.dmo" or a link to it is the same script and would nest without end.
    const QString key = sameFileKey(name);
    if (key.isEmpty())
        return false;
    for (const QString &running : m_chain)
        if (sameFileKey(running) == key)
            return true;
    return false;
}

QString ScriptInterpreter::openForReading(QFile &file)
{
    const QFileInfo info(file.fileName());
    if (info.exists() && !info.isFile())
        return QStringLiteral("it is not a file");
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return {};
}

bool ScriptInterpreter::openScript(QFile &file, const QString &name)
{
    const QString reason = openForReading(file);
    if (reason.isEmpty())
        return true;
    countUnopenedFile();
    // A DO's file is skipped and the run goes on, and it is worded as such,
    // like a GRAPHIC's; only the file Send Script started ends the run.
    const QString text = m_chain.isEmpty()
        ? QStringLiteral("Unable to open the demonstration file %1: %2.")
        : QStringLiteral("{DO} skipped: unable to open %1: %2. Press OK to continue");
    m_s.op.message(text.arg(name, reason), Msg::Buttons::Ok, Msg::Icon::Exclamation);
    return false;
}

bool ScriptInterpreter::RunScript(const QString &scriptName)
{
    if (m_chain.isEmpty())
        m_packetSizeTold = false;

    RunState run;
    run.ScriptName = scriptName;
    run.depth = int(m_chain.size());
    const ScriptArguments::PacketSize packet =
        ScriptArguments::readPacketSize(m_s.view.packetSizeText());
    run.PacketSize = packet.value;

    m_s.link.OutBuffer.clear();
    QFile file(scriptName);
    if (!openScript(file, scriptName))
        return false;
    if (!packet.problem.isEmpty() && !m_packetSizeTold) {
        m_packetSizeTold = true; // once per Send Script, not again for every DO
        m_s.op.message(packet.problem, Msg::Buttons::Ok, Msg::Icon::Information);
    }

    run.ScriptFolder = ScriptArguments::scriptFolder(scriptName);
    run.ScriptMode = ScriptArguments::isScriptMode(m_s.view.scriptFileText());
    m_s.view.setSendCommandEnabled(false);
    m_s.view.setGetrespEnabled(false);

    m_chain.append(scriptName);
    if (run.ScriptMode)
        playScript(run, file);
    else
        playRaw(run, file);
    m_chain.removeLast();

    file.close();
    endRun();
    return true;
}

void ScriptInterpreter::playRaw(RunState &run, QFile &file)
{
    bool atEnd = file.atEnd();
    while (!atEnd && !stopped(run)) {
        run.Piece = file.read(kRawStep);
        run.PieceLength = int(run.Piece.size());
        atEnd = run.Piece.size() < kRawStep || file.atEnd();
        queue(run); // raw files are not echoed
    }
}

void ScriptInterpreter::playScript(RunState &run, QFile &file)
{
    bool atEnd = file.atEnd();
    while (!stopped(run) && !(atEnd && run.RepeatCount < 1)) {
        if (run.RepeatCount > 0) {
            --run.RepeatCount;
            run.Line = run.RepeatText;
        } else if (!readLine(run, file, atEnd)) {
            return; // only control bytes were left
        }
        scanLine(run);
    }
}

bool ScriptInterpreter::readLine(RunState &run, QFile &file, bool &atEnd)
{
    char c = 0;
    do {
        if (!file.getChar(&c)) {
            atEnd = true;
            return false;
        }
    } while (quint8(c) < 32);
    run.Line = QByteArray(1, c);
    // The line keeps the control byte that ends it: a "\" before it sends it.
    while (file.getChar(&c)) {
        if (run.Line.size() < kMaxLineKept)
            run.Line += c;
        if (quint8(c) < 32)
            break;
    }
    atEnd = file.atEnd();
    return true;
}

void ScriptInterpreter::scanLine(RunState &run)
{
    while (!run.Line.isEmpty() && !stopped(run)) {
        run.PieceLength = 1;
        const quint8 c = quint8(run.Line.at(0));
        bool ordinary = true;
        if (c < 32 || c == '`') {
            run.Line.clear(); // the line's end, or a comment to its end
            return;
        }
        if (c == '{') {
            ordinary = directiveStep(run);
        } else if (c == '\\' && run.Line.size() >= 2 && run.Line.at(1) == 'n') {
            run.Piece = QByteArrayLiteral("\r\n");
            run.PieceLength = 2;
            run.Line = run.Line.mid(2, Notation::kMaxRest);
        } else if (c == '\\' && run.Line.size() >= 2 && run.Line.at(1) == 't') {
            run.Piece = QByteArrayLiteral("\t");
            run.Line = run.Line.mid(2, Notation::kMaxRest);
        } else {
            run.Piece = QByteArray(1, char(Notation::NextCommandByte(run.Line, m_s.op)));
        }
        if (ordinary && run.PieceLength > 0) {
            queue(run);
            if (!run.ended)
                echo(run);
        }
    }
}

// Returns true when the step produced an ordinary piece that the caller
// queues and echoes; directives queue their own pieces.
bool ScriptInterpreter::directiveStep(RunState &run)
{
    // Everything before a directive goes out first, so that its timing applies to it.
    if (!m_s.link.OutBuffer.isEmpty()) {
        m_s.link.FlushOutput();
        m_s.link.OutBuffer.clear();
    }
    const QByteArray line = run.Line;
    qsizetype term = -1;
    for (qsizetype i = 1; i <= 10 && i < line.size(); ++i) {
        const char c = line.at(i);
        if (c == ':' || c == '.' || c == '}') {
            term = i;
            break;
        }
    }
    if (term < 0) {
        run.Piece = QByteArrayLiteral("{");
        run.Line = line.mid(1, Notation::kMaxRest);
        return true;
    }
    QByteArray name = line.mid(1, term - 1).toUpper();
    while (name.startsWith(' '))
        name.remove(0, 1);

    QByteArray argument;
    qsizetype after = term + 1;
    if (line.at(term) != '}') {
        const qsizetype close = line.indexOf('}', term + 1);
        if (close < 0 || close - term - 1 > 30) {
            // Not a directive after all: drop "{NAME:" and send the next character as it is.
            run.Line = line.mid(term + 2, Notation::kMaxRest);
            if (term + 1 >= line.size()) {
                run.PieceLength = 0;
                return false;
            }
            run.Piece = line.mid(term + 1, 1);
            return true;
        }
        argument = line.mid(term + 1, close - term - 1);
        after = close + 1;
    }
    run.Line = line.mid(after, Notation::kMaxRest);
    run.PieceLength = 0;
    Directives::ExecuteDirective(*this, run, name, argument);
    queue(run);
    return false;
}

void ScriptInterpreter::queue(RunState &run)
{
    if (run.PieceLength <= 0)
        return;
    Link &link = m_s.link;
    link.OutBuffer += run.Piece.left(run.PieceLength);
    if (link.OutBuffer.size() >= run.PacketSize) {
        link.FlushOutput();
        if (!link.OutBuffer.isEmpty()) {
            // The operator gave up on the printer: the run ends here.
            link.OutBuffer.clear();
            run.ended = true;
        }
    }
}

void ScriptInterpreter::echo(const RunState &run)
{
    if (m_s.view.transcriptChecked())
        m_s.AppendToTerm(echoOf(run));
}

bool ScriptInterpreter::stopped(RunState &run) const
{
    // The main window has closed: the run ends at its next step.
    if (m_s.link.ShuttingDown || m_s.link.RunAbandoned)
        run.ended = true;
    return run.ended;
}

void ScriptInterpreter::endRun()
{
    if (m_s.link.RunAbandoned)
        m_s.link.OutBuffer.clear(); // the operator gave up on the printer: no more questions
    if (!m_s.link.OutBuffer.isEmpty())
        m_s.link.FlushOutput();
    m_s.view.setSendCommandEnabled(true);
    // Get Response stays off in macro mode: it would close the port the macro window holds.
    m_s.view.setGetrespEnabled(!m_s.link.MacroMode);
    m_s.view.focusIndata();
}
