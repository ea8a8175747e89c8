#include "session/CommonOptions.h"

#include "printer/characters/Characters.h"
#include "session/CommandLineChecks.h"
#include "session/PassThrough.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

using CommandLineChecks::choice;

namespace CommonOptions {

QCommandLineOption baud(const QString &help)
{
    return QCommandLineOption({QStringLiteral("b"), QStringLiteral("baud")}, help, QStringLiteral("N"));
}
QCommandLineOption parity(const QString &help)
{
    return QCommandLineOption({QStringLiteral("parity")}, help, QStringLiteral("N|E|O"));
}
QCommandLineOption dataBits(const QString &help)
{
    return QCommandLineOption({QStringLiteral("data-bits")}, help, QStringLiteral("7|8"));
}
QCommandLineOption stopBits(const QString &help)
{
    return QCommandLineOption({QStringLiteral("stop-bits")}, help, QStringLiteral("1|2"));
}
QCommandLineOption flow(const QString &help)
{
    return QCommandLineOption({QStringLiteral("flow")}, help, QStringLiteral("none|xon|hardware"));
}
QCommandLineOption passThrough(const QString &help)
{
    return QCommandLineOption({QStringLiteral("pass-through")}, help, QStringLiteral("LISTEN"));
}
QCommandLineOption receipts(const QString &help)
{
    return QCommandLineOption({QStringLiteral("receipts")}, help, QStringLiteral("DIR"));
}
QCommandLineOption expect(const QString &help)
{
    return QCommandLineOption({QStringLiteral("expect")}, help, QStringLiteral("DIR"));
}
QCommandLineOption update(const QString &help)
{
    return QCommandLineOption(QStringLiteral("update"), help);
}
QCommandLineOption junit(const QString &help)
{
    return QCommandLineOption({QStringLiteral("junit")}, help, QStringLiteral("FILE"));
}
QCommandLineOption cjk(const QString &help)
{
    return QCommandLineOption({QStringLiteral("cjk")}, help, QStringLiteral("ENCODING"));
}
QCommandLineOption paper(const QString &help)
{
    return QCommandLineOption({QStringLiteral("paper")}, help, QStringLiteral("80|58"));
}
QCommandLineOption paperLength(const QString &help)
{
    return QCommandLineOption({QStringLiteral("paper-length")}, help, QStringLiteral("MM"));
}

QString readBaud(const QString &text, qint64 *value, Wording wording)
{
    // Digits alone: no blanks or sign around them, as a rate is written.
    bool ok = false;
    const qint64 rate = text.toLongLong(&ok);
    if (!ok || rate < 1 || rate > kMaxBaud || text.trimmed() != text || text.startsWith(QLatin1Char('+'))) {
        if (wording == Wording::Window)
            return QStringLiteral("--baud %1: not a baud rate (a whole number such as 19200, at most %2)")
                .arg(text)
                .arg(kMaxBaud);
        return QStringLiteral("bad --baud %1: expected a rate in bits per second, such as 19200").arg(text);
    }
    *value = rate;
    return {};
}

QString readParity(const QString &text, QString *value)
{
    if (choice(text, {QStringLiteral("n"), QStringLiteral("e"), QStringLiteral("o")}) < 0)
        return QStringLiteral("bad --parity %1: expected N, E or O").arg(text);
    *value = text.toUpper();
    return {};
}

QString readDataBits(const QString &text, QString *value)
{
    if (choice(text, {QStringLiteral("7"), QStringLiteral("8")}) < 0)
        return QStringLiteral("bad --data-bits %1: expected 7 or 8").arg(text);
    *value = text;
    return {};
}

QString readStopBits(const QString &text, QString *value)
{
    if (choice(text, {QStringLiteral("1"), QStringLiteral("2")}) < 0)
        return QStringLiteral("bad --stop-bits %1: expected 1 or 2").arg(text);
    *value = text;
    return {};
}

QString readFlow(const QString &text, qint16 *value)
{
    const qsizetype i = choice(text, {QStringLiteral("none"), QStringLiteral("xon"), QStringLiteral("hardware")});
    if (i < 0)
        return QStringLiteral("bad --flow %1: expected none, xon or hardware").arg(text);
    *value = qint16(i);
    return {};
}

QString readPassThrough(const QString &text, QString *listen, Wording wording)
{
    const QString place = text.trimmed();
    // The reason names what was given.
    if (const QString why = PassThrough::checkListen(place); !why.isEmpty())
        return (wording == Wording::Window ? QStringLiteral("--pass-through: ") : QStringLiteral("bad --pass-through: "))
            + why;
    *listen = place;
    return {};
}

QString readReceipts(const QString &text, QString *dir)
{
    if (text.isEmpty())
        return QStringLiteral("--receipts needs a folder");
    *dir = text;
    return {};
}

QString readCjk(const QString &text, TwoByteCode *value)
{
    const std::optional<TwoByteCode> code = Characters::encodingFromName(text);
    if (!code)
        return QStringLiteral("bad --cjk %1: expected GB18030, Shift_JIS, Big5 or EUC-KR").arg(text);
    *value = *code;
    return {};
}

QString readPaper(const QString &text, int *widthDots)
{
    const qsizetype i = choice(text, {QStringLiteral("80"), QStringLiteral("58")});
    if (i < 0)
        return QStringLiteral("bad --paper %1: expected 80 or 58, the paper's width in millimetres").arg(text);
    *widthDots = i == 0 ? Paper::kWidthDots : Paper::kNarrowWidthDots;
    return {};
}

QString readMillimetres(const QString &name, const QString &text, qint64 least, qint64 *value)
{
    const std::optional<qint64> mm = CommandLineChecks::wholeNumber(text, least, kMaxRollMm);
    if (!mm)
        return QStringLiteral("bad %1 %2: expected millimetres, %3 to %4").arg(name, text).arg(least).arg(kMaxRollMm);
    *value = *mm;
    return {};
}

QString readPaperLength(const QString &text, qint64 *mm)
{
    return readMillimetres(QStringLiteral("--paper-length"), text, 1, mm);
}

QString baselineError(const QString &receiptsDir, bool expectSet, const QString &expectDir, bool update,
                      bool junitSet, const QString &junitFile)
{
    if (expectSet && expectDir.isEmpty())
        return QStringLiteral("--expect needs a folder");
    if (expectSet && receiptsDir.isEmpty())
        return QStringLiteral("--expect needs --receipts DIR: the folder this run's receipts go to");
    if (update && !expectSet)
        return QStringLiteral("--update needs --expect DIR: the baseline folder to write");
    // The run's receipts would overwrite the baseline they are checked against
    // (and --update would remove each one to copy it onto itself).
    const auto where = [](const QString &dir) {
        const QFileInfo info(dir);
        return info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
    };
    if (expectSet && !receiptsDir.isEmpty() && !expectDir.isEmpty() && where(expectDir) == where(receiptsDir))
        return QStringLiteral("--expect needs a folder of its own, not the --receipts folder");
    if (junitSet && junitFile.isEmpty())
        return QStringLiteral("--junit needs a file name");
    if (junitSet && (!expectSet || update))
        return QStringLiteral("--junit reports the check of --expect DIR (without --update)");
    return {};
}

bool asksForReceipts(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--")
            return false;
        if (argument == "--receipts" || argument.startsWith("--receipts=") || argument == "--decode")
            return true;
    }
    return false;
}

std::unique_ptr<QCoreApplication> consoleApplication(int &argc, char **argv)
{
    if (!asksForReceipts(argc, argv))
        return std::make_unique<QCoreApplication>(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace CommonOptions
