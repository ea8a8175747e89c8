#include "support/SymbolReader.h"

#include <QProcess>
#include <QTemporaryDir>

namespace {
const QString kPython = QStringLiteral("/usr/bin/python3"); // Debian's, where python3-zxing-cpp installs
const char *const kReadScript = R"(
import sys, numpy, zxingcpp
data = open(sys.argv[1], 'rb').read()
head = data.split(b'\n', 3)
width, height = map(int, head[1].split())
image = numpy.frombuffer(head[3], dtype=numpy.uint8)[:width * height].reshape(height, width)
found = zxingcpp.read_barcode(image)
print(found.format.name + ' ' + found.text if found else 'none')
)";
} // namespace

bool haveSymbolReader()
{
    QProcess probe;
    probe.start(kPython, {QStringLiteral("-c"), QStringLiteral("import zxingcpp, numpy")});
    return probe.waitForFinished(20000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

QString readSymbol(const QImage &dots)
{
    constexpr int kQuiet = 16;
    QImage paper(dots.width() + 2 * kQuiet, dots.height() + 2 * kQuiet, QImage::Format_Grayscale8);
    paper.fill(255);
    for (int y = 0; y < dots.height(); ++y) {
        for (int x = 0; x < dots.width(); ++x) {
            if (dots.pixelIndex(x, y))
                paper.setPixel(x + kQuiet, y + kQuiet, qRgb(0, 0, 0));
        }
    }
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("symbol.pgm"));
    if (!paper.save(file, "PGM"))
        return QStringLiteral("cannot write ") + file;
    QProcess reader;
    reader.start(kPython, {QStringLiteral("-c"), QString::fromLatin1(kReadScript), file});
    if (!reader.waitForFinished(30000))
        return QStringLiteral("the reader hung");
    return QString::fromUtf8(reader.readAllStandardOutput()).trimmed() + QString::fromUtf8(reader.readAllStandardError()).trimmed();
}
