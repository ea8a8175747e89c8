#include "session/CommandLineChecks.h"

#include <QIODevice>
#include <QRegularExpression>

namespace CommandLineChecks {

std::optional<qint64> wholeNumber(const QString &text, qint64 least, qint64 most)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (!ok || n < least || n > most)
        return std::nullopt;
    return n;
}

qsizetype choice(const QString &value, const QStringList &choices)
{
    return choices.indexOf(value.toLower());
}

QString notLatin1(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text.at(i).unicode() > 0xFF)
            return text.mid(i, text.at(i).isHighSurrogate() ? 2 : 1);
    return {};
}

QByteArray toolLine(const QString &program, const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QString line = text;
    line.replace(lineBreak, QStringLiteral(" "));
    return QStringLiteral("%1: %2\n").arg(program, line).toLocal8Bit();
}

int stopWithoutRunning(const QString &program, bool error, const QString &text, QIODevice &out, QIODevice &err)
{
    if (!error) {
        out.write(text.toLocal8Bit());
        return 0;
    }
    err.write(toolLine(program, text) + QStringLiteral("Try %1 --help.\n").arg(program).toLocal8Bit());
    return kUsageStatus;
}

} // namespace CommandLineChecks
