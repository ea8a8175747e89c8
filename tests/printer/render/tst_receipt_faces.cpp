// The receipt faces taken from their own font files instead of the system's
// whole font list, and the system's list kept, with a note, when one is missing.
#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/render/ReceiptFaces.h"
#include "printer/render/ReceiptRenderer.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QtTest>

#include <fontconfig/fontconfig.h>

namespace {
// Families of the system's fonts whose files lie outside folders.
QStringList systemFamiliesOutside(const QStringList &folders)
{
    QStringList names;
    FcConfig *system = FcInitLoadConfigAndFonts();
    FcPattern *any = FcPatternCreate();
    FcObjectSet *wanted = FcObjectSetBuild(FC_FAMILY, FC_FILE, nullptr);
    FcFontSet *fonts = FcFontList(system, any, wanted);
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcChar8 *family = nullptr;
        FcChar8 *file = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch
            && FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch
            && !folders.contains(QFileInfo(QFile::decodeName(reinterpret_cast<char *>(file))).absolutePath()))
            names << QString::fromUtf8(reinterpret_cast<char *>(family));
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(wanted);
    FcPatternDestroy(any);
    FcConfigDestroy(system);
    return names;
}
} // namespace

class TestReceiptFaces : public QObject
{
    Q_OBJECT

private slots:
    // First: nothing in this process has read fonts yet.
    void facesFromTheirFilesAlone()
    {
        QStringList folders;
        for (const QString &file : ReceiptFaces::faceFiles()) {
            if (!QFileInfo::exists(file))
                QSKIP("a receipt face's font file is not installed here");
            folders << QFileInfo(file).absolutePath();
        }
        QCOMPARE(ReceiptFaces::useFaceFiles(ReceiptFaces::faceFiles()), QString());
        const QStringList families = QFontDatabase::families();
        QStringList others = systemFamiliesOutside(folders);
        others.removeIf([&](const QString &name) { return !families.contains(name); });
        QCOMPARE(others, QStringList()); // only what the faces' folders hold
        QCOMPARE(ReceiptFaces().families(),
                 QStringList({"DejaVu Sans Mono", "DejaVu Sans", "Tlwg Mono", "WenQuanYi Zen Hei Mono"}));
    }

    void aMissingFileIsNamedOnce()
    {
        const QString missing = QStringLiteral("/nonexistent-folder/ReceiptFace.ttf");
        ReceiptFaces::readFaceFilesOnly(ReceiptFaces::faceFiles() << missing);
        ReceiptInterpreter interpreter;
        interpreter.feed("Total 4,50\n");
        const Receipt receipt = interpreter.finish();
        ReceiptRenderer first;
        first.render(receipt);
        const QStringList notes = first.takeNotes();
        QCOMPARE(notes.size(), 1);
        QVERIFY2(notes.first().contains(missing) && notes.first().contains(QLatin1String("system's fonts")),
                 qPrintable(notes.first()));
        ReceiptRenderer second;
        second.render(receipt);
        QCOMPARE(second.takeNotes(), QStringList());
        QVERIFY(!first.faces().families().isEmpty()); // drawn all the same, from the faces found by name
    }
};

QTEST_MAIN(TestReceiptFaces)
#include "tst_receipt_faces.moc"
