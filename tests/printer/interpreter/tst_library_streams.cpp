// Streams that receipt libraries of other authors made (tools/library-streams/
// graphics makes them): every command known, nothing noted, and on paper
// what the library meant, fact by fact (NAME.txt beside NAME.bin).
#include "support/ReceiptText.h"
#include "support/SymbolReader.h"

#include "printer/interpreter/ReceiptInterpreter.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {
const QString kFolder = QStringLiteral(MARLIX_SOURCE_DIR "/tests/data/library-streams/graphics");

QString imageFact(const DotImage &image, const ReceiptLine &line, bool *needsReader)
{
    switch (image.kind) {
    case DotImage::Kind::Symbol:
    case DotImage::Kind::QrCode:
        *needsReader = true;
        return QStringLiteral("symbol ") + readSymbol(image.dots);
    case DotImage::Kind::Barcode: {
        QString fact = QStringLiteral("barcode");
        for (const TextRun &run : line.runs) {
            fact += QStringLiteral(", text %1 in font %2")
                        .arg(run.y < image.y ? QStringLiteral("above") : QStringLiteral("below"))
                        .arg(run.style.font == PrinterFont::B ? QLatin1Char('B') : QLatin1Char('A'));
        }
        return fact;
    }
    case DotImage::Kind::Column:
        return QStringLiteral("column %1x%2").arg(image.width()).arg(image.height());
    default:
        return QStringLiteral("raster %1x%2").arg(image.width()).arg(image.height());
    }
}

// Each receipt's images in paper order, then its events, then its cut.
QStringList facts(const QList<Receipt> &receipts, bool *needsReader)
{
    QStringList found;
    for (const Receipt &receipt : receipts) {
        for (const ReceiptLine &line : receipt.lines) {
            for (const DotImage &image : line.images)
                found << imageFact(image, line, needsReader);
        }
        for (const ReceiptEvent &event : receipt.events)
            found << (event.kind == ReceiptEvent::Kind::Beep ? QStringLiteral("beep") : QStringLiteral("drawer %1").arg(event.drawer));
        if (receipt.cut == CutKind::Full || receipt.cut == CutKind::Partial)
            found << (receipt.cut == CutKind::Full ? QStringLiteral("cut full") : QStringLiteral("cut partial"));
    }
    return found;
}
} // namespace

class TestLibraryStreams : public QObject
{
    Q_OBJECT
private slots:
    void drawnAsMeant_data();
    void drawnAsMeant();
};

void TestLibraryStreams::drawnAsMeant_data()
{
    QTest::addColumn<QString>("name");
    const QStringList streams = QDir(kFolder).entryList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name);
    QVERIFY(streams.size() >= 3);
    for (const QString &stream : streams)
        QTest::newRow(qPrintable(stream)) << stream.chopped(4);
}

void TestLibraryStreams::drawnAsMeant()
{
    QFETCH(QString, name);
    QFile stream(kFolder + QLatin1Char('/') + name + QStringLiteral(".bin"));
    QFile meant(kFolder + QLatin1Char('/') + name + QStringLiteral(".txt"));
    QVERIFY(stream.open(QIODevice::ReadOnly) && meant.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList expected = QString::fromUtf8(meant.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);

    ReceiptInterpreter interpreter;
    interpreter.setRetainLimit(100);
    interpreter.feed(stream.readAll());
    QList<Receipt> receipts(interpreter.finished().cbegin(), interpreter.finished().cend());
    receipts.append(interpreter.finish());
    QVERIFY2(interpreter.unknownCommands().isEmpty(), qPrintable(interpreter.takeNotes().join(QLatin1Char('|'))));
    QCOMPARE(interpreter.takeNotes(), QStringList());
    bool needsReader = false;
    const QStringList found = facts(receipts, &needsReader);
    if (needsReader && !haveSymbolReader())
        QSKIP("python3-zxing-cpp is not installed (tools/setup-deps.sh installs it)");
    QCOMPARE(found, expected);
}

QTEST_GUILESS_MAIN(TestLibraryStreams)
#include "tst_library_streams.moc"
