#include "scripts/ScriptArguments.h"

#include "commands/Notation.h"

#include <QRegularExpression>
#include <cmath>

namespace ScriptArguments {

namespace {

bool looksLikeNumber(const QByteArray &trimmed, bool radix)
{
    static const QRegularExpression decimal(
        QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    static const QRegularExpression prefixed(QStringLiteral(R"(^&([Hh][0-9A-Fa-f]+|[Oo][0-7]+)$)"));
    const QString text = QString::fromLatin1(trimmed);
    return decimal.match(text).hasMatch() || (radix && prefixed.match(text).hasMatch());
}

} // namespace

WholeNumber readWholeNumber(const QByteArray &text, bool radix)
{
    WholeNumber result;
    const QByteArray trimmed = text.trimmed();
    if (!looksLikeNumber(trimmed, radix))
        return result;
    result.value = Notation::ReadNumber(trimmed);
    const double rounded = std::nearbyint(result.value); // halves to even
    if (!std::isfinite(rounded) || rounded < -32768.0 || rounded > 32767.0) {
        result.kind = WholeNumber::OutOfRange;
        return result;
    }
    result.kind = WholeNumber::Ok;
    result.rounded = int(rounded);
    return result;
}

PacketSize readPacketSize(const QString &boxText)
{
    PacketSize result;
    // A text that cannot be one byte per character cannot be a number either.
    const QByteArray bytes = boxText.toLatin1();
    const WholeNumber n = readWholeNumber(bytes, false);
    switch (n.kind) {
    case WholeNumber::Ok:
        result.value = n.rounded;
        break;
    case WholeNumber::OutOfRange:
        // The operator asked for big (or no) batches: give the nearest size there is.
        result.value = n.value < 0 ? -32768 : 32767;
        result.problem = QStringLiteral("Packet Size %1 is beyond -32768 to 32767; %2 is used.")
                             .arg(boxText.trimmed())
                             .arg(result.value);
        break;
    case WholeNumber::NotANumber:
        result.value = kDefaultPacketSize;
        result.problem = QStringLiteral("Packet Size \"%1\" is not a number; %2 is used.")
                             .arg(boxText)
                             .arg(kDefaultPacketSize);
        break;
    }
    return result;
}

int numberArgument(const QByteArray &argument)
{
    const double rounded = std::nearbyint(Notation::ReadNumber(argument));
    if (!std::isfinite(rounded) || rounded < 0 || rounded > 32767.0)
        return 0;
    return int(rounded);
}

QString scriptFolder(const QString &scriptName)
{
    for (qsizetype i = scriptName.size() - 2; i >= 0; --i) {
        const QChar c = scriptName.at(i);
        if (c == QLatin1Char('/') || c == QLatin1Char(':'))
            return scriptName.left(i + 1);
    }
    return QString();
}

QString fileArgument(const QString &folder, const QByteArray &argument)
{
    QString name = QString::fromLatin1(argument);
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return folder + name;
}

bool isScriptMode(const QString &boxText)
{
    return boxText.right(3).toUpper() == QLatin1String("DMO");
}

} // namespace ScriptArguments
