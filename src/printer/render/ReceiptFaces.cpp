#include "printer/render/ReceiptFaces.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <fontconfig/fontconfig.h>

namespace {
struct FaceFile
{
    const char *family;
    const char *regular;
    const char *bold; // null: drawn heavier by the font engine
    char16_t probe;   // the widest character a cell of its own must hold
};
// In the order they are tried: Debian's fonts-dejavu-core, fonts-tlwg-mono, fonts-wqy-zenhei.
const FaceFile kFiles[] = {
    {"DejaVu Sans Mono", "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
     "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf", u'M'},
    {"DejaVu Sans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
     u'\u05E9'},
    {"Tlwg Mono", "/usr/share/fonts/truetype/tlwg/TlwgMono.ttf", "/usr/share/fonts/truetype/tlwg/TlwgMono-Bold.ttf", u'M'},
    {"WenQuanYi Zen Hei Mono", "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", nullptr, u'\u56FD'},
};
constexpr int kCjkFace = 3;

// readFaceFilesOnly()'s files, the font set chosen from them once a process.
QStringList &faceFilesOnly()
{
    static QStringList files;
    return files;
}
bool g_fontSetChosen = false;

QFont makeFont(const QString &family)
{
    QFont font(family);
    font.setStyleHint(QFont::Monospace);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias | QFont::NoFontMerging));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    return font;
}

// The largest pixel size whose probe fits the cell (a dot of descent may go).
// A face that sits on the main face's baseline needs only its probe's ink to
// fit: the room its line keeps above and below for stacked marks is not drawn.
void fitToCell(QFont &font, int width, int height, char16_t probe, bool ownLine)
{
    for (int pixels = height; pixels > 4; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        const int tall = ownLine ? metrics.height() : metrics.boundingRect(QChar(probe)).height();
        if (metrics.horizontalAdvance(QChar(probe)) <= width && tall <= height + 1)
            return;
    }
}

TextStyle cellOf(int kind)
{
    TextStyle style;
    style.font = kind % 2 ? PrinterFont::B : PrinterFont::A;
    style.wide = kind >= 2;
    return style;
}

bool isMark(char16_t character)
{
    const QChar::Category category = QChar::category(char32_t(character));
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing;
}

// The katakana sound marks: a full-width cell's corner of ink, which
// narrowing the cell would thin to a dot or two.
bool isSoundMark(char16_t character)
{
    return character == u'\u309B' || character == u'\u309C';
}
} // namespace

void ReceiptFaces::readFaceFilesOnly(const QStringList &files)
{
    faceFilesOnly() = files;
}

QStringList ReceiptFaces::faceFiles()
{
    QStringList files;
    for (const FaceFile &file : kFiles) {
        files << QString::fromLatin1(file.regular);
        if (file.bold)
            files << QString::fromLatin1(file.bold);
    }
    return files;
}

QString ReceiptFaces::useFaceFiles(const QStringList &files)
{
    QStringList missing;
    QStringList folders;
    for (const QString &file : files) {
        const QFileInfo info(file);
        if (!info.isFile())
            missing << file;
        else if (!folders.contains(info.absolutePath()))
            folders << info.absolutePath();
    }
    if (!missing.isEmpty())
        return QStringLiteral("receipt faces: %1 not found; the faces are looked up among the system's fonts")
            .arg(missing.join(QLatin1String(", ")));
    FcConfig *config = FcConfigCreate();
    // The descriptions fc-cache keeps of the folders (the system's and the
    // user's), so that the fonts are not opened to learn what they hold.
    static const char kCaches[] = "<fontconfig><cachedir>/var/cache/fontconfig</cachedir>"
                                  "<cachedir prefix=\"xdg\">fontconfig</cachedir></fontconfig>";
    bool done = config && FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8 *>(kCaches), FcFalse);
    for (const QString &folder : std::as_const(folders))
        done = done && FcConfigAppFontAddDir(config, reinterpret_cast<const FcChar8 *>(QFile::encodeName(folder).constData()));
    done = done && FcConfigSetCurrent(config);
    if (config)
        FcConfigDestroy(config); // the current one is kept by fontconfig
    if (!done)
        return QStringLiteral("receipt faces: their folders (%1) cannot be read; the faces are looked up among the system's fonts")
            .arg(folders.join(QLatin1String(", ")));
    return QString();
}

ReceiptFaces::ReceiptFaces()
{
    if (!faceFilesOnly().isEmpty() && !g_fontSetChosen) {
        g_fontSetChosen = true;
        m_note = useFaceFiles(faceFilesOnly());
    }
    const QStringList installed = QFontDatabase::families();
    for (int i = 0; i < int(std::size(kFiles)); ++i) {
        const FaceFile &file = kFiles[i];
        const QString family = QLatin1String(file.family);
        if (!installed.contains(family)) {
            QFontDatabase::addApplicationFont(QString::fromLatin1(file.regular));
            if (file.bold)
                QFontDatabase::addApplicationFont(QString::fromLatin1(file.bold));
        }
        const bool found = QFontDatabase::families().contains(family);
        if (!found && i > 0)
            continue; // a fallback that is not there is not used
        Face face;
        // The main face missing altogether: the system's fixed face, as before.
        face.base = found ? makeFont(family) : QFontDatabase::systemFont(QFontDatabase::FixedFont);
        face.family = face.base.family();
        face.probe = file.probe;
        face.cjk = i == kCjkFace;
        // Which characters it has, whatever the size; fitted to the cells
        // only when a cell of a kind first needs it (each size tried is a font
        // engine of its own, and most receipts use a few of the 32 fits).
        QFont any = face.base;
        any.setPixelSize(cellOf(0).cellHeight());
        face.raw = QRawFont::fromFont(any);
        if (i == kCjkFace)
            m_cjk = int(m_faces.size());
        m_faces.append(face);
    }
}

const QFont &ReceiptFaces::font(const Face &face, int kind, bool bold) const
{
    QFont &font = face.fonts[kind][bold];
    if (!face.fitted[kind][bold]) {
        const TextStyle cell = cellOf(kind);
        font = face.base;
        font.setBold(bold);
        fitToCell(font, cell.cellWidth(), cell.cellHeight(), cell.wide ? u'\u56FD' : face.probe, ownLine(face, kind));
        face.fitted[kind][bold] = true;
    }
    return font;
}

// The main face, and the CJK face in two-byte cells, are centred in the
// cell; the others share the main face's baseline.
bool ReceiptFaces::ownLine(const Face &face, int kind) const
{
    return &face == &m_faces.first() || (kind >= 2 && face.cjk);
}

int ReceiptFaces::baseline(const Face &face, int kind) const
{
    if (face.baseline[kind] < 0) {
        if (ownLine(face, kind)) {
            const QFontMetrics metrics(font(face, kind, false));
            face.baseline[kind] = std::max(0, (cellOf(kind).cellHeight() - metrics.height()) / 2) + metrics.ascent();
        } else {
            face.baseline[kind] = baseline(m_faces.first(), kind);
        }
    }
    return face.baseline[kind];
}

QString ReceiptFaces::mainFamily() const
{
    return m_faces.first().family;
}

QStringList ReceiptFaces::families() const
{
    QStringList names;
    for (const Face &face : m_faces)
        names << face.family;
    return names;
}

int ReceiptFaces::kind(const TextStyle &style)
{
    return (style.wide ? 2 : 0) + (style.font == PrinterFont::B ? 1 : 0);
}

const ReceiptFaces::Face *ReceiptFaces::faceFor(char16_t character, bool wide) const
{
    const auto has = [character](const Face &face) { return face.raw.supportsCharacter(QChar(character)); };
    if (wide && m_cjk >= 0 && has(m_faces[m_cjk]))
        return &m_faces[m_cjk];
    for (const Face &face : m_faces) {
        if (has(face))
            return &face;
    }
    return nullptr;
}

void ReceiptFaces::drawWith(QImage &cell, const Face &face, char16_t character, const TextStyle &style) const
{
    const int k = kind(style);
    const QFont &font = ReceiptFaces::font(face, k, style.emphasized);
    const int base = baseline(face, k);
    QPainter painter(&cell);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QString text = QString(QChar(character));
    if (isMark(character) || isSoundMark(character)) {
        // A combining mark (Thai vowels and tone marks) has no width of its
        // own and no base to sit on: its outline, centred in the cell it prints in.
        const QRawFont raw = QRawFont::fromFont(font);
        const QList<quint32> glyphs = raw.glyphIndexesForString(text);
        const QPainterPath outline = glyphs.isEmpty() ? QPainterPath() : raw.pathForGlyph(glyphs.first());
        const QRectF box = outline.boundingRect();
        painter.translate((cell.width() - box.width()) / 2 - box.left(), base);
        painter.fillPath(outline, Qt::black);
        return;
    }
    const int advance = QFontMetrics(font).horizontalAdvance(text);
    if (advance > cell.width() + cell.width() / 4) {
        // A full-width character in a cell of one (the Katakana page's 円 年
        // 月 日): drawn as wide as it is, then narrowed to the cell.
        QImage wide(advance, cell.height(), QImage::Format_ARGB32_Premultiplied);
        wide.fill(Qt::transparent);
        QPainter full(&wide);
        full.setFont(font);
        full.setPen(Qt::black);
        full.drawText(QPoint(0, base), text);
        full.end();
        painter.drawImage(cell.rect(), wide);
        return;
    }
    painter.drawText(QPoint((cell.width() - advance) / 2, base), text);
}

bool ReceiptFaces::draw(QImage &cell, char16_t character, const TextStyle &style) const
{
    if (character == u' ' || character == 0xA0)
        return true;
    if (const Face *face = faceFor(character, style.wide)) {
        drawWith(cell, *face, character, style);
        return true;
    }
    // A compatibility form (a half-width katakana, a full-width letter): the
    // character it stands for, narrowed to the cell where it is the narrow form.
    const QChar c(character);
    const QString plain = c.decomposition();
    if (plain.size() == 1 && c.decompositionTag() != QChar::NoDecomposition) {
        // The half-width sound marks stand for the combining ones, which have
        // no base here: their spacing forms have the same shape.
        const char16_t meant = plain[0] == u'\u3099' ? u'\u309B' : plain[0] == u'\u309A' ? u'\u309C' : plain[0].unicode();
        if (const Face *face = faceFor(meant, true)) {
            if (isSoundMark(meant)) {
                TextStyle full = style;
                full.wide = true;
                drawWith(cell, *face, meant, full);
                return true;
            }
            const bool narrow = c.decompositionTag() == QChar::Narrow;
            TextStyle wide = style;
            wide.wide = narrow || style.wide;
            QImage full(narrow ? cell.width() * 2 : cell.width(), cell.height(), QImage::Format_ARGB32_Premultiplied);
            full.fill(Qt::transparent);
            drawWith(full, *face, meant, wide);
            QPainter painter(&cell);
            painter.drawImage(cell.rect(), full);
            return true;
        }
    }
    drawWith(cell, m_faces.first(), 0xFFFD, style);
    return false;
}
