// The log lines every part of the interpreter says: each once.
#include "printer/interpreter/InterpreterContext.h"

#include "printer/commands/PrinterCommands.h"

void InterpreterContext::noteOnce(const QString &key, const QString &line)
{
    if (said.contains(key))
        return;
    said.insert(key);
    notes.append(line);
}

void InterpreterContext::noteUnknown(const QByteArray &key)
{
    if (trace.on())
        trace.unknown(key);
    for (UnknownCommand &command : unknown) {
        if (command.bytes == key) {
            ++command.count;
            return;
        }
    }
    unknown.append({key, commandRange(), 1});
    note(PrinterCommands::unknownWords(key));
}

void InterpreterContext::noteCut(const QString &words)
{
    if (!cutAtEdge.contains(words))
        cutAtEdge.append(words);
    note(words);
}

void InterpreterContext::ignoredParameter()
{
    note(QStringLiteral("command %1: parameter out of range, ignored").arg(QString::fromLatin1(cmd.toHex(' ').toUpper())));
}
