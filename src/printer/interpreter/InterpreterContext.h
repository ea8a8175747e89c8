// What every part of the interpreter shares: the modes ESC @ resets, the
// command being read (its bytes, where it began, its data and what becomes
// of it), the revision, the trace recorder and the log lines. Not part of
// the interpreter's interface.
#pragma once

#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/interpreter/ReceiptModes.h"
#include "printer/interpreter/TraceRecorder.h"

#include <QSet>

struct InterpreterContext
{
    enum class Parse : quint8 { Text, Command, Payload };
    // What becomes of a command's data: read past, kept in data for the
    // command's family when it ends, or drawn as it comes.
    // Graphics: GS ( L and GS 8 L, whose parameters come first in their data.
    enum class Payload : quint8 { Skip, Keep, Raster, Column, Graphics };

    PrinterModes modes;
    QByteArray cmd;
    qint64 cmdStart = 0;
    qint64 at = 0; // offset of the byte being consumed
    Parse parse = Parse::Text;
    Payload payload = Payload::Skip;
    QByteArray data;
    quint64 revision = 0;
    TraceRecorder trace;
    QList<UnknownCommand> unknown;
    QStringList notes;
    QSet<QString> said;
    QStringList cutAtEdge; // ReceiptInterpreter::cutAtEdge()
    std::function<void(const QByteArray &)> requestHandler;

    void touch() { ++revision; }
    ByteRange commandRange() const { return {cmdStart, at + 1}; }
    // Where a line started now begins: the text byte, or the command that starts it.
    qint64 lineBegin() const { return parse == Parse::Text ? at : cmdStart; }
    quint8 parameter(int i) const { return cmd.size() > i ? quint8(cmd[i]) : 0; }
    int word(int i) const { return quint8(cmd[i]) + 256 * quint8(cmd[i + 1]); }
    // The data's length is the reader's: an empty one ends at once.
    void beginPayload(Payload kind)
    {
        payload = kind;
        parse = Parse::Payload;
        data.clear();
    }

    // A log line, said once.
    void note(const QString &line) { noteOnce(line, line); }
    void noteOnce(const QString &key, const QString &line);
    void noteUnknown(const QByteArray &key);
    // A symbol or an image cut at the paper's edge: said once, and kept for the view.
    void noteCut(const QString &words);
    void ignoredParameter();
};
