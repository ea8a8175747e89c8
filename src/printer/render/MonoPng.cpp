#include "printer/render/MonoPng.h"

#include <QtEndian>

#include <zlib.h>

namespace {
// Level 2 with a small window: a receipt's blank rows and rows of
// characters come out some 12 % larger than at zlib's default level, in a
// third of its time (bench/receipts-speed.py times the whole run).
constexpr int kLevel = 2;
constexpr int kWindowBits = 13;
constexpr int kMemLevel = 5;

void appendChunk(QByteArray &png, const char *type, const char *data, qsizetype size)
{
    char word[4];
    qToBigEndian<quint32>(quint32(size), word);
    png.append(word, 4);
    const qsizetype start = png.size();
    png.append(type, 4);
    png.append(data, size);
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(png.constData() + start),
                            uInt(png.size() - start));
    qToBigEndian<quint32>(quint32(crc), word);
    png.append(word, 4);
}

bool deflateRows(const QByteArray &raw, QByteArray *packed)
{
    z_stream stream{};
    if (deflateInit2(&stream, kLevel, Z_DEFLATED, kWindowBits, kMemLevel, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    packed->resize(qsizetype(deflateBound(&stream, uLong(raw.size()))));
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(raw.constData()));
    stream.avail_in = uInt(raw.size());
    stream.next_out = reinterpret_cast<Bytef *>(packed->data());
    stream.avail_out = uInt(packed->size());
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    packed->truncate(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return done;
}
} // namespace

QByteArray MonoPng::encode(const QImage &dots)
{
    Q_ASSERT(dots.format() == QImage::Format_Mono);
    const int width = dots.width();
    const int height = dots.height();
    const int rowBytes = (width + 7) / 8;
    // The bits past the width in a row's last byte: zero, whatever the image holds there.
    const uchar tail = width % 8 ? uchar(0xFF << (8 - width % 8)) : 0xFF;

    // Each row: filter type 0 (none), then its bits as they are.
    QByteArray raw(qsizetype(height) * (rowBytes + 1), Qt::Uninitialized);
    auto *out = reinterpret_cast<uchar *>(raw.data());
    for (int y = 0; y < height; ++y) {
        *out++ = 0;
        std::copy_n(dots.constScanLine(y), rowBytes, out);
        out[rowBytes - 1] &= tail;
        out += rowBytes;
    }
    QByteArray packed;
    if (!deflateRows(raw, &packed))
        return {};

    char header[13];
    qToBigEndian<quint32>(quint32(width), header);
    qToBigEndian<quint32>(quint32(height), header + 4);
    header[8] = 1;  // bits a pixel
    header[9] = 3;  // palette
    header[10] = 0; // deflate
    header[11] = 0; // the rows' filters, each row saying its own
    header[12] = 0; // not interlaced
    char palette[6];
    for (int i = 0; i < 2; ++i) {
        const QRgb colour = dots.colorCount() == 2 ? dots.color(i) : (i ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        palette[i * 3] = char(qRed(colour));
        palette[i * 3 + 1] = char(qGreen(colour));
        palette[i * 3 + 2] = char(qBlue(colour));
    }

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png.reserve(png.size() + 25 + 18 + 12 + packed.size() + 12);
    appendChunk(png, "IHDR", header, sizeof header);
    appendChunk(png, "PLTE", palette, sizeof palette);
    appendChunk(png, "IDAT", packed.constData(), packed.size());
    appendChunk(png, "IEND", nullptr, 0);
    return png;
}
