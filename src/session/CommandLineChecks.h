#pragma once
// What the console tools (marlix-run, the printer simulator) check in their
// command lines alike, and how they stop when they are not to run: plain
// functions, so that each tool's parser stays its own.
#include <QString>
#include <QStringList>

#include <optional>

class QIODevice;

namespace CommandLineChecks {

// A bad command line ends a tool with this status.
constexpr int kUsageStatus = 2;

// text as a whole number from least to most; nothing when it is not one.
std::optional<qint64> wholeNumber(const QString &text, qint64 least, qint64 most);
// The index of value among choices (written in lower case), any letter case; -1 when none.
qsizetype choice(const QString &value, const QStringList &choices);
// The first character of text that is not one byte (Latin-1), "" when there is none.
QString notLatin1(const QString &text);

// "PROGRAM: TEXT" as one line, line breaks in text made blanks.
QByteArray toolLine(const QString &program, const QString &text);
// A tool that is not to run: help or version text on out, status 0; or
// the error, and where to look for help, on err, status 2.
int stopWithoutRunning(const QString &program, bool error, const QString &text, QIODevice &out, QIODevice &err);

} // namespace CommandLineChecks
