#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

// --expect DIR: the receipts of a run against a baseline folder of earlier
// ones, by name (receipt-NNN.png, and its .txt where both have one). A
// receipt that differs gets receipt-NNN.diff.png beside it; one that is in
// only one of the folders is a difference too. --update makes this run's
// receipts the baseline.
struct ReceiptComparison {
    enum Outcome { Same, Differs, Missing, Extra };
    QString name; // "receipt-002"
    Outcome outcome = Same;
    qint64 dots = 0;   // Differs: dots inked in one and not the other
    int firstRow = -1; // Differs: the rows (receipt dots) they lie in
    int lastRow = -1;
    QString diffImage; // Differs: the diff image's path, "" when none was written
    QString report;    // the line said about it, "" when Same

    bool differs() const { return outcome != Same; }
};

class ReceiptCheck
{
public:
    // The dots two receipt pictures differ in, and the diff image: a margin
    // that marks each differing row, then the paper with the baseline's ink
    // faint, ink only in `now` in kAdded, ink only in `expected` in kRemoved.
    struct Difference {
        qint64 dots = 0;
        int firstRow = -1;
        int lastRow = -1;
        QImage image; // null when they are the same
    };
    static constexpr int kMargin = 8;
    static constexpr QRgb kFaint = 0xFFC8C8C8;
    static constexpr QRgb kAdded = 0xFF0050E0;   // blue
    static constexpr QRgb kRemoved = 0xFFE04000; // orange-red: told apart from blue by any eye
    static constexpr QRgb kMark = 0xFFC000C0;
    static Difference difference(const QImage &now, const QImage &expected);

    // The first line the texts differ in: "text: 'TOTAL 4.30' -> 'TOTAL 4.40'",
    // "" when they are the same.
    static QString textChange(const QStringList &now, const QStringList &expected);

    // The receipts `names` (receipt-NNN, this run's, in dir) against the
    // baseline; the baseline's receipts this run did not print are Missing.
    static QList<ReceiptComparison> compare(const QString &dir, const QStringList &names, const QString &expectDir);
    // Copies the receipts `names` (png and txt) from dir into the baseline and
    // removes its receipts this run did not print. The lines say what was done
    // (the receipts written counted, those removed named) and what failed; false
    // when something could not be written or removed.
    static bool update(const QString &dir, const QStringList &names, const QString &expectDir, QStringList *log);
    // "1 receipt", "3 receipts".
    static QString count(qsizetype receipts);
    // The baseline's receipt names, in order.
    static QStringList baselineNames(const QString &expectDir);
};
