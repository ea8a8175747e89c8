// Graphics: GS ( L and GS 8 L (an image in the print buffer, printed by
// fn 32; NV graphics defined under key codes, printed, deleted, listed) and
// the older NV bit images, FS q and FS p. Only what can reach the paper is
// kept of an image (the paper's width, the receipt's length); the rest of
// its bytes is read and dropped, whatever length the command declared.
#include "printer/interpreter/GraphicsCommands.h"

#include "printer/commands/ControlBytes.h"
#include "printer/commands/PrinterCommands.h"
#include "printer/interpreter/ReceiptParts.h"

#include <cstring>

namespace {
using namespace ControlBytes;
constexpr int kSmallData = 16; // the most a command of parameters alone takes
constexpr int kBitImage = 0x100; // the function of an FS q image: none of GS ( L's

// GS ( L fn 30 to 34 may be given as 0 to 4.
int functionOf(quint8 fn)
{
    return fn <= 4 ? fn + 0x30 : fn;
}

QString keyText(const QByteArray &key)
{
    return QStringLiteral("'%1'").arg(QString::fromLatin1(key));
}
} // namespace

QImage ReceiptParts::turned(const QImage &image, int quarters)
{
    quarters &= 3;
    if (quarters == 0 || image.isNull())
        return image;
    if (quarters == 2)
        return image.mirrored(true, true);
    const int w = image.width(), h = image.height();
    QImage out = monoImage(h, w);
    for (int y = 0; y < h; ++y) {
        const uchar *line = image.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            if (!(line[x >> 3] & (0x80 >> (x & 7))))
                continue;
            // One quarter clockwise: (x, y) to (h - 1 - y, x); three: (y, w - 1 - x).
            const int tx = quarters == 1 ? h - 1 - y : y;
            const int ty = quarters == 1 ? x : w - 1 - x;
            out.scanLine(ty)[tx >> 3] |= uchar(0x80 >> (tx & 7));
        }
    }
    return out;
}

QImage ReceiptParts::scaled(const QImage &image, int scaleX, int scaleY, int maxWidth)
{
    const int width = std::min(image.width() * scaleX, maxWidth);
    if (width <= 0 || image.height() == 0)
        return {};
    if (scaleX == 1 && scaleY == 1)
        return width == image.width() ? image : image.copy(0, 0, width, image.height());
    QImage out = monoImage(width, image.height() * scaleY);
    for (int y = 0; y < image.height(); ++y) {
        const uchar *source = image.constScanLine(y);
        uchar *target = out.scanLine(y * scaleY);
        for (int dot = 0; dot < width; ++dot) {
            const int x = dot / scaleX;
            if (source[x >> 3] & (0x80 >> (x & 7)))
                target[dot >> 3] |= uchar(0x80 >> (dot & 7));
        }
        for (int copy = 1; copy < scaleY; ++copy)
            std::memcpy(out.scanLine(y * scaleY + copy), target, size_t(out.bytesPerLine()));
    }
    return out;
}

QString ReceiptParts::cutImageWords(int sentWidth, int drawnWidth)
{
    const int lost = sentWidth - drawnWidth;
    return QStringLiteral("image %1 dots wide, cut at %2: ").arg(sentWidth).arg(drawnWidth)
        + (lost == 1 ? QStringLiteral("its right dot is not printed")
                     : QStringLiteral("its right %1 dots are not printed").arg(lost));
}

bool GraphicsCommands::runCommand(quint8 introducer, quint8 c)
{
    if (introducer != FS || (c != 'q' && c != 'p'))
        return false;
    if (m_layout.pageMode()) {
        m_context.note(QStringLiteral("NV bit images are neither defined nor printed in page mode"));
        return true;
    }
    if (c == 'q') { // no images: every bit image deleted
        m_nv.clearBitImages();
        m_bitImagesStart = m_context.cmdStart;
        return true;
    }
    const int number = quint8(m_context.cmd[2]);
    const int mode = PrinterCommands::smallChoice(quint8(m_context.cmd[3]), 4);
    const QImage *image = m_nv.bitImage(number);
    if (mode < 0)
        m_context.ignoredParameter();
    else if (!image)
        m_context.note(QStringLiteral("NV bit image %1 is not defined: nothing printed").arg(number));
    else
        print(*image, (mode & 1) + 1, (mode & 2) / 2 + 1, m_context.commandRange());
    return true;
}

bool GraphicsCommands::begin(quint8 introducer, quint8 c)
{
    const bool graphics = introducer == GS && (c == '(' || c == '8') && m_context.cmd[2] == 'L';
    if (!graphics && !(introducer == FS && c == 'q'))
        return false;
    if (!graphics && m_layout.pageMode()) {
        m_context.note(QStringLiteral("NV bit images are neither defined nor printed in page mode"));
        return false; // its data is read past
    }
    const qint64 bytes = CommandSyntax::frame(m_context.cmd).data;
    m_input = GraphicsInput();
    m_context.data.clear();
    m_context.beginPayload(InterpreterContext::Payload::Graphics);
    if (graphics || bytes <= 0)
        return true;
    // FS q: one image of the definition; the first deletes those defined before.
    if (m_bitImagesStart != m_context.cmdStart) {
        m_nv.clearBitImages();
        m_bitImagesStart = m_context.cmdStart;
    }
    const int x = quint8(m_context.cmd[3]) + 256 * quint8(m_context.cmd[4]);
    const int y = quint8(m_context.cmd[5]) + 256 * quint8(m_context.cmd[6]);
    m_input.function = kBitImage;
    m_input.width = x * 8;
    m_input.height = y * 8;
    m_input.column = true;
    m_input.planeBytes = bytes;
    beginImage();
    return true;
}

// The parameters are in: what the rest of the data is, and whether to keep it.
void GraphicsCommands::beginImage()
{
    GraphicsInput &g = m_input;
    const auto at = [this](int i) { return quint8(m_context.data[i]); };
    const auto word = [&at](int i) { return at(i) + 256 * at(i + 1); };
    switch (g.function) {
    case 0x43: case 0x44: // NV graphics: m fn a kc1 kc2 b xL xH yL yH c
        g.key = m_context.data.mid(3, 2);
        g.width = word(6);
        g.height = word(8);
        g.column = g.function == 0x44;
        g.keep = at(2) == 0x30 && at(3) >= 0x20 && at(3) <= 0x7E && at(4) >= 0x20 && at(4) <= 0x7E && at(5) >= 1 && at(5) <= 4
                 && at(10) >= 0x31 && at(10) <= 0x34;
        break;
    case 0x70: case 0x71: // the print buffer: m fn a bx by c xL xH yL yH
        g.width = word(6);
        g.height = word(8);
        g.column = g.function == 0x71;
        g.keep = at(2) == 0x30 && (at(3) == 1 || at(3) == 2) && (at(4) == 1 || at(4) == 2) && at(5) == 0x31;
        break;
    case kBitImage:
        g.keep = true;
        break;
    default:
        return;
    }
    if (g.function != kBitImage)
        g.planeBytes = g.column ? qint64(g.width) * ((g.height + 7) / 8) : qint64((g.width + 7) / 8) * g.height;
    g.keep = g.keep && g.width > 0 && g.height > 0;
    if (!g.keep) {
        m_context.ignoredParameter();
        return;
    }
    g.image = ReceiptParts::monoImage(std::min(g.width, int(Paper::kWidthDots)), std::min(g.height, Paper::kMaxReceiptDots));
    g.bits = g.image.bits(); // detached once: each byte goes straight in
}

void GraphicsCommands::byte(quint8 byte)
{
    GraphicsInput &g = m_input;
    if (g.image.isNull()) {
        // Parameters: the function decides how many.
        if (g.headerSize == 0) {
            if (m_context.data.size() < kSmallData)
                m_context.data.append(char(byte));
            if (m_context.data.size() == 2) {
                g.function = functionOf(quint8(m_context.data[1]));
                const bool image = g.function == 0x43 || g.function == 0x44 || g.function == 0x70 || g.function == 0x71;
                g.headerSize = image ? (g.function >= 0x70 ? 10 : 11) : 0;
            }
            return;
        }
        if (m_context.data.size() < g.headerSize)
            m_context.data.append(char(byte));
        if (m_context.data.size() == g.headerSize && !g.imaging) {
            g.imaging = true; // the image's bytes come next
            beginImage();
        }
        return;
    }
    const qint64 i = g.received++;
    if (i >= g.planeBytes)
        return; // another colour: a mono printer draws the first
    if (g.column) {
        const qint64 perColumn = (g.height + 7) / 8;
        const int x = int(i / perColumn);
        const int y0 = int(i % perColumn) * 8;
        if (x >= g.image.width() || byte == 0)
            return;
        for (int bit = 0; bit < 8 && y0 + bit < g.image.height(); ++bit) {
            if (byte & (0x80 >> bit))
                g.bits[(y0 + bit) * g.image.bytesPerLine() + (x >> 3)] |= uchar(0x80 >> (x & 7));
        }
        return;
    }
    const qint64 perRow = (g.width + 7) / 8;
    const int y = int(i / perRow);
    const int column = int(i % perRow);
    if (y >= g.image.height() || column * 8 >= g.image.width())
        return;
    // Only the dots of the image, not what pads its last byte.
    const int dots = std::min(8, g.image.width() - column * 8);
    g.bits[y * g.image.bytesPerLine() + column] = uchar(byte & (0xFF00 >> dots));
}

void GraphicsCommands::finish()
{
    GraphicsInput &g = m_input;
    const auto at = [this](int i) { return i < m_context.data.size() ? quint8(m_context.data[i]) : quint8(0); };
    const QByteArray key = m_context.data.mid(2, 2);
    const ByteRange source = m_context.commandRange();
    if (m_context.data.size() < 2 && g.function != kBitImage) {
        m_context.ignoredParameter();
    } else if (g.function == kBitImage) {
        if (!m_nv.addBitImage(g.image, g.planeBytes))
            m_context.note(QStringLiteral("NV bit image %1 (%2 bytes) does not fit the NV memory (%3 of %4 bytes free): not defined")
                     .arg(m_nv.bitImageCount() + 1).arg(g.planeBytes).arg(m_nv.remaining()).arg(m_nv.capacity()));
    } else if (at(0) != 0x30) {
        m_context.ignoredParameter();
    } else {
        switch (g.function) {
        case 0x30: case 0x33: case 0x40: // the capacity, what is left, the key codes: answered
            if (g.function == 0x40 && m_context.data.mid(2) != "KC")
                m_context.ignoredParameter();
            else if (m_context.requestHandler)
                m_context.requestHandler(m_context.cmd + m_context.data);
            break;
        case 0x31: // reference dot density: the printer keeps its 203 dpi
        case 0x70: case 0x71: // stored in the print buffer, each dot bx by by
            if (g.function == 0x31 || g.image.isNull())
                break;
            m_buffered = ReceiptParts::scaled(g.image, at(3), at(4), Paper::kWidthDots);
            break;
        case 0x32:
            if (!m_buffered.isNull())
                print(m_buffered, 1, 1, source);
            m_buffered = QImage();
            break;
        case 0x41:
            if (m_context.data.mid(2) == "CLR")
                m_nv.removeAll();
            else
                m_context.ignoredParameter();
            break;
        case 0x42:
            m_nv.remove(key);
            break;
        case 0x43: case 0x44: {
            const qsizetype bytes = g.planeBytes * at(5);
            if (g.image.isNull())
                break;
            if (!m_nv.define(m_input.key, g.image, bytes))
                m_context.note(QStringLiteral("NV graphic %1 (%2 bytes) does not fit the NV memory (%3 of %4 bytes free): not defined")
                         .arg(keyText(m_input.key)).arg(bytes).arg(m_nv.remaining()).arg(m_nv.capacity()));
            break;
        }
        case 0x45: {
            const QImage *image = m_nv.graphic(key);
            if (!image)
                m_context.note(QStringLiteral("NV graphic %1 is not defined: nothing printed").arg(keyText(key)));
            else if (m_layout.pageMode())
                m_context.note(QStringLiteral("NV graphics are not printed in page mode"));
            else if ((at(4) == 1 || at(4) == 2) && (at(5) == 1 || at(5) == 2))
                print(*image, at(4), at(5), source);
            else
                m_context.ignoredParameter();
            break;
        }
        default: // download graphics and the rest: not drawn
            m_context.noteUnknown(m_context.cmd.left(3) + char(at(0)) + char(at(1)));
            break;
        }
    }
    m_input = GraphicsInput();
}

// An image on a band of its own, justified, cut at the printable width and
// the receipt's length.
void GraphicsCommands::print(const QImage &image, int scaleX, int scaleY, const ByteRange &source)
{
    m_layout.printPendingContent();
    QImage dots = ReceiptParts::scaled(image, scaleX, scaleY, m_layout.printableWidth());
    if (dots.isNull())
        return;
    if (dots.height() > Paper::kMaxReceiptDots)
        dots = dots.copy(0, 0, dots.width(), Paper::kMaxReceiptDots);
    const int sentWidth = image.width() * scaleX > dots.width() ? image.width() * scaleX : 0;
    if (sentWidth > 0)
        m_context.noteCut(ReceiptParts::cutImageWords(sentWidth, dots.width()));
    ReceiptLine line;
    line.source = source;
    line.images.append({DotImage::Kind::Raster, m_layout.bandLeft(dots.width()), 0, dots, source, {}, nullptr, sentWidth});
    line.height = dots.height();
    m_layout.placeBand(line, ReceiptParts::cost(line));
}

QByteArray GraphicsCommands::reply(const QByteArray &command) const
{
    // GS ( L pL pH m fn or GS 8 L p1 p2 p3 p4 m fn
    const int at = command.startsWith("\x1D(L") ? 5 : command.startsWith("\x1D" "8L") ? 7 : -1;
    if (at < 0 || command.size() < at + 2 || quint8(command[at]) != 0x30)
        return {};
    switch (functionOf(quint8(command[at + 1]))) {
    case 0x30: return m_nv.capacityReply();
    case 0x33: return m_nv.remainingReply();
    case 0x40: return m_nv.keyListReply();
    default: return {};
    }
}
