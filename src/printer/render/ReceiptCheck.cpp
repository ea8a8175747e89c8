#include "printer/render/ReceiptCheck.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

QByteArray contents(const QString &path, bool *ok = nullptr)
{
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    return opened ? file.readAll() : QByteArray();
}

// Black and white at a byte a dot: 1 ink, 0 paper (whatever the PNG's colour table).
QImage inkOf(const QImage &picture)
{
    return picture.convertToFormat(QImage::Format_Grayscale8);
}

bool inked(const QImage &grey, int x, int y)
{
    return x < grey.width() && y < grey.height() && grey.constScanLine(y)[x] < 128;
}

QStringList textLines(const QString &path, bool *ok)
{
    const QByteArray bytes = contents(path, ok);
    QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString quoted(const QStringList &lines, qsizetype i)
{
    return i < lines.size() ? QLatin1Char('\'') + lines.at(i) + QLatin1Char('\'') : QStringLiteral("(none)");
}

QString rows(int first, int last)
{
    return first == last ? QStringLiteral("row %1").arg(first) : QStringLiteral("rows %1-%2").arg(first).arg(last);
}

ReceiptComparison compareOne(const QString &dir, const QString &name, const QString &expectDir)
{
    ReceiptComparison result;
    result.name = name;
    const QString png = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    const QString basePng = expectDir + QLatin1Char('/') + name + QStringLiteral(".png");
    const QString diffPng = dir + QLatin1Char('/') + name + QStringLiteral(".diff.png");
    bool nowRead = false;
    bool baseRead = false;
    const QByteArray nowBytes = contents(png, &nowRead);
    const QByteArray baseBytes = contents(basePng, &baseRead);
    QFile::remove(diffPng); // one from an earlier run no longer says anything
    if (nowRead && baseRead && nowBytes == baseBytes)
        return result; // the usual case, told without drawing anything

    const QImage now = QImage::fromData(nowBytes, "png");
    const QImage expected = QImage::fromData(baseBytes, "png");
    result.outcome = ReceiptComparison::Differs;
    if (now.isNull() || expected.isNull()) {
        result.report = QStringLiteral("%1 differs: %2 cannot be read as a PNG")
                            .arg(name, now.isNull() ? png : basePng);
        return result;
    }
    const ReceiptCheck::Difference difference = ReceiptCheck::difference(now, expected);
    if (!difference.image.isNull()) {
        result.dots = difference.dots;
        result.firstRow = difference.firstRow;
        result.lastRow = difference.lastRow;
    }
    bool nowText = false;
    bool baseText = false;
    const QString text = ReceiptCheck::textChange(textLines(dir + QLatin1Char('/') + name + QStringLiteral(".txt"), &nowText),
                                                  textLines(expectDir + QLatin1Char('/') + name + QStringLiteral(".txt"), &baseText));
    if (difference.image.isNull() && (text.isEmpty() || !nowText || !baseText)) {
        result.outcome = ReceiptComparison::Same; // the same dots, written another way
        return result;
    }
    QStringList parts;
    if (difference.dots > 0)
        parts.append(QStringLiteral("%1 dots in %2")
                         .arg(QLocale(QLocale::English).toString(difference.dots), rows(difference.firstRow, difference.lastRow)));
    if (now.size() != expected.size())
        parts.append(QStringLiteral("%1 x %2 dots, was %3 x %4")
                         .arg(now.width()).arg(now.height()).arg(expected.width()).arg(expected.height()));
    if (nowText && baseText && !text.isEmpty())
        parts.append(text);
    result.report = QStringLiteral("%1 differs: %2").arg(name, parts.join(QStringLiteral("; ")));
    if (!difference.image.isNull()) {
        if (difference.image.save(diffPng, "png"))
            result.diffImage = diffPng;
        else
            result.report += QStringLiteral(" (cannot write %1)").arg(diffPng);
    }
    return result;
}

} // namespace

ReceiptCheck::Difference ReceiptCheck::difference(const QImage &now, const QImage &expected)
{
    const QImage a = inkOf(now);
    const QImage b = inkOf(expected);
    const int width = std::max(a.width(), b.width());
    const int height = std::max(a.height(), b.height());
    Difference result;
    QList<bool> changed(height, false);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (inked(a, x, y) != inked(b, x, y)) {
                ++result.dots;
                changed[y] = true;
            }
        }
    }
    if (result.dots == 0 && a.size() == b.size())
        return result;

    QImage image(kMargin + width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        if (changed[y]) {
            if (result.firstRow < 0)
                result.firstRow = y;
            result.lastRow = y;
            std::fill(line, line + kMargin - 2, kMark); // a gap keeps the mark off the paper's edge
        }
        for (int x = 0; x < width; ++x) {
            const bool inNow = inked(a, x, y);
            const bool inBase = inked(b, x, y);
            if (inNow && inBase)
                line[kMargin + x] = kFaint;
            else if (inNow)
                line[kMargin + x] = kAdded;
            else if (inBase)
                line[kMargin + x] = kRemoved;
        }
    }
    result.image = image;
    return result;
}

QString ReceiptCheck::textChange(const QStringList &now, const QStringList &expected)
{
    const qsizetype count = std::max(now.size(), expected.size());
    for (qsizetype i = 0; i < count; ++i) {
        if (i >= now.size() || i >= expected.size() || now.at(i) != expected.at(i))
            return QStringLiteral("text: %1 -> %2").arg(quoted(expected, i), quoted(now, i));
    }
    return {};
}

QString ReceiptCheck::count(qsizetype receipts)
{
    return receipts == 1 ? QStringLiteral("1 receipt") : QStringLiteral("%1 receipts").arg(receipts);
}

QStringList ReceiptCheck::baselineNames(const QString &expectDir)
{
    static const QRegularExpression pattern(QStringLiteral("^(receipt-\\d+)\\.png$"));
    QStringList names;
    for (const QString &file : QDir(expectDir).entryList({QStringLiteral("receipt-*.png")}, QDir::Files, QDir::Name)) {
        const QRegularExpressionMatch match = pattern.match(file);
        if (match.hasMatch())
            names.append(match.captured(1));
    }
    return names;
}

QList<ReceiptComparison> ReceiptCheck::compare(const QString &dir, const QStringList &names, const QString &expectDir)
{
    QList<ReceiptComparison> results;
    // Sets: a CI run checks thousands of receipts.
    const QStringList stored = baselineNames(expectDir);
    const QSet<QString> baseline(stored.begin(), stored.end());
    const QSet<QString> printed(names.begin(), names.end());
    QStringList all = (baseline + printed).values();
    std::sort(all.begin(), all.end());
    for (const QString &name : std::as_const(all)) {
        if (!baseline.contains(name)) {
            results.append({name, ReceiptComparison::Extra, 0, -1, -1, {},
                            QStringLiteral("%1 extra: printed, not in the baseline %2").arg(name, expectDir)});
        } else if (!printed.contains(name)) {
            results.append({name, ReceiptComparison::Missing, 0, -1, -1, {},
                            QStringLiteral("%1 missing: in the baseline %2, not printed").arg(name, expectDir)});
        } else {
            results.append(compareOne(dir, name, expectDir));
        }
    }
    return results;
}

bool ReceiptCheck::update(const QString &dir, const QStringList &names, const QString &expectDir, QStringList *log)
{
    if (!QDir().mkpath(expectDir)) {
        log->append(QStringLiteral("--update: cannot create the folder %1").arg(expectDir));
        return false;
    }
    bool ok = true;
    const auto copy = [&](const QString &file) {
        const QString from = dir + QLatin1Char('/') + file;
        const QString to = expectDir + QLatin1Char('/') + file;
        if (!QFile::exists(from))
            return true;
        QFile::remove(to);
        if (QFile::copy(from, to))
            return true;
        log->append(QStringLiteral("--update: cannot write %1").arg(to));
        ok = false;
        return false;
    };
    qsizetype written = 0;
    for (const QString &name : names) {
        const bool png = copy(name + QStringLiteral(".png"));
        if (copy(name + QStringLiteral(".txt")) && png)
            ++written;
    }
    // What this run did not print is no longer the baseline's: removed and
    // named, or named where it stays (a later check would find it missing).
    QStringList removed;
    QStringList left;
    for (const QString &name : baselineNames(expectDir)) {
        if (names.contains(name))
            continue;
        QFile::remove(expectDir + QLatin1Char('/') + name + QStringLiteral(".txt"));
        if (QFile::remove(expectDir + QLatin1Char('/') + name + QStringLiteral(".png")))
            removed.append(name);
        else
            left.append(name);
    }
    QString line = written == names.size()
                       ? QStringLiteral("baseline %1: %2 written").arg(expectDir, count(written))
                       : QStringLiteral("baseline %1: %2 of %3 written").arg(expectDir).arg(written).arg(count(names.size()));
    if (!removed.isEmpty())
        line += QStringLiteral(", %1 no longer printed removed (%2)").arg(removed.size()).arg(removed.join(QStringLiteral(", ")));
    log->append(line);
    for (const QString &name : std::as_const(left))
        log->append(QStringLiteral("baseline %1: %2 left from an earlier run: cannot remove it").arg(expectDir, name));
    return ok && left.isEmpty();
}
