// The byte stream side of the interpreter: commands recognised byte by byte,
// whatever the chunks. What they put on paper is in ReceiptLayout.cpp.
#include "printer/ReceiptInterpreter.h"

#include "printer/CodePages.h"
#include "printer/PrinterCommands.h"
#include "printer/Symbols.h"

namespace {
constexpr quint8 ESC = 0x1B;
constexpr quint8 GS = 0x1D;
constexpr quint8 FS = 0x1C;
constexpr quint8 DLE = 0x10;

// Commands we draw nothing for whose length is fixed: skipped whole. Zero
// for a command we do not know, whose length we cannot know either.
int fixedEscLength(quint8 c)
{
    switch (c) {
    case 'L': case 'S': case 0x0C: case 'v':
        return 2;
    case '%': case '=': case '?': case 'R': case 'T': case 'U': case 'V': case 'e': case 'r': case 'u': case '{':
        return 3;
    case '$': case '\\': case 'c':
        return 4;
    case 'W':
        return 10;
    default:
        return 0;
    }
}

int fixedGsLength(quint8 c)
{
    switch (c) {
    case ':':
        return 2;
    case '/': case 'I': case 'T': case 'a': case 'b': case 'f': case 'r':
        return 3;
    case 'P': case '$': case '\\':
        return 4;
    case '^':
        return 5;
    default:
        return 0;
    }
}

int fixedFsLength(quint8 c)
{
    switch (c) {
    case '&':
        return 2;
    case '!': case '-': case 'C': case 'W':
        return 3;
    case 'S': case '?': case 'p':
        return 4;
    default:
        return 0;
    }
}

using PrinterCommands::smallChoice;

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
} // namespace

ReceiptInterpreter::ReceiptInterpreter()
    : m_symbols(std::make_unique<SymbolEncoder>())
{
    m_open.number = 1;
}

ReceiptInterpreter::~ReceiptInterpreter() = default;

void ReceiptInterpreter::reset()
{
    m_offset = 0;
    m_at = 0;
    m_parse = Parse::Text;
    m_cmd.clear();
    m_data.clear();
    m_remaining = 0;
    m_modes = Modes();
    m_qrData.clear();
    m_line = Pending();
    m_image = Image();
    m_open = Receipt();
    m_open.number = 1;
    m_y = 0;
    m_spent = 0;
    m_finished.clear();
    m_finishedTotal = 0;
    m_unknown.clear();
    m_notes.clear();
    m_said.clear();
    m_making = Making::None;
    m_traceTaking = false;
    if (m_trace)
        m_trace->clear();
    touch();
}

void ReceiptInterpreter::clearPaper()
{
    m_open = Receipt();
    m_open.number = 1;
    m_open.source = {m_offset, m_offset};
    m_y = 0;
    m_spent = 0;
    m_finished.clear();
    m_finishedTotal = 0;
    m_unknown.clear();
    if (m_trace) {
        // A fresh roll has no commands yet; one split across the clear
        // becomes the new roll's first.
        m_trace->clear();
        m_entry.receipt = m_open.number;
        m_entry.regions.clear();
    }
    touch();
}

void ReceiptInterpreter::setRetainLimit(int receipts)
{
    m_retain = std::max(0, receipts);
    while (int(m_finished.size()) > m_retain)
        m_finished.pop_front();
    if (m_trace)
        traceRetained();
}

QStringList ReceiptInterpreter::takeNotes()
{
    QStringList notes;
    notes.swap(m_notes);
    return notes;
}

void ReceiptInterpreter::note(const QString &line)
{
    if (m_said.contains(line))
        return;
    m_said.insert(line);
    m_notes.append(line);
}

void ReceiptInterpreter::noteUnknown(const QByteArray &key)
{
    if (m_trace)
        traceUnknown(key);
    for (UnknownCommand &command : m_unknown) {
        if (command.bytes == key) {
            ++command.count;
            return;
        }
    }
    m_unknown.append({key, commandRange(), 1});
    note(PrinterCommands::unknownWords(key));
}

void ReceiptInterpreter::ignoredParameter()
{
    note(QStringLiteral("command %1: parameter out of range, ignored").arg(hex(m_cmd)));
}

TextStyle ReceiptInterpreter::currentStyle() const
{
    TextStyle style = m_modes.style;
    style.emphasized = m_modes.emphasized || m_modes.doubleStrike;
    return style;
}

void ReceiptInterpreter::feed(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const quint8 *>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        if (m_parse == Parse::Payload && m_payload == Payload::Skip) {
            // Bytes of a command we skip: no need to look at each.
            const qint64 take = std::min<qint64>(m_remaining, size - i);
            if (m_traceTaking)
                traceBytes(bytes.constData() + i, qsizetype(take));
            m_remaining -= take;
            i += take;
            m_offset += take;
            m_at = m_offset - 1;
            if (m_remaining == 0)
                finishPayload();
            continue;
        }
        consume(data[i], m_offset);
        ++i;
        ++m_offset;
    }
}

void ReceiptInterpreter::consume(quint8 byte, qint64 at)
{
    m_at = at;
    switch (m_parse) {
    case Parse::Command:
        continueCommand(byte);
        return;
    case Parse::Payload:
        payloadByte(byte);
        return;
    case Parse::Text:
        break;
    }
    if (byte >= 0x20 && byte != 0x7F) {
        const int page = CodePages::isDrawn(m_modes.codePage) ? m_modes.codePage : CodePages::kPc437;
        const TextStyle style = currentStyle();
        if (m_trace)
            traceCharacter(byte, at, style, page);
        putCharacter(byte, style, page, {at, at + 1});
        return;
    }
    if (m_trace) {
        traceEnd(at); // the text run before it
        traceCommandStart(at);
        traceByte(byte);
    }
    switch (byte) {
    case 0x0A:
        printLine(true, 1, at + 1, true);
        break;
    case 0x09:
        tab();
        break;
    case ESC: case GS: case FS: case DLE:
        m_cmd = QByteArray(1, char(byte));
        m_cmdStart = at;
        m_parse = Parse::Command;
        return; // its entry ends with the command
    default:
        break; // CR, DEL and the other control bytes print nothing
    }
    if (m_trace)
        traceEnd(at + 1);
}

void ReceiptInterpreter::continueCommand(quint8 byte)
{
    m_cmd.append(char(byte));
    traceByte(byte);
    switch (quint8(m_cmd[0])) {
    case ESC:
        decodeEsc();
        return;
    case GS:
        decodeGs();
        return;
    case FS:
        decodeFs();
        return;
    default:
        decodeDle();
        return;
    }
}

void ReceiptInterpreter::done()
{
    if (m_trace)
        traceEnd(m_at + 1);
    m_parse = Parse::Text;
    m_cmd.clear();
}

// An unknown command of unknown length: the introducer and the byte after it
// go, and whatever followed them is read again as fresh input.
void ReceiptInterpreter::unknown()
{
    noteUnknown(m_cmd.left(2));
    const QByteArray rest = m_cmd.mid(2);
    const qint64 restStart = m_cmdStart + 2;
    if (m_trace) {
        m_traceSize = std::min(m_traceSize, 2); // the rest is read again
        traceEnd(restStart);
    }
    done();
    for (qsizetype i = 0; i < rest.size(); ++i)
        consume(quint8(rest[i]), restStart + i);
}

// A command we do not draw, of the given length (0: not known either).
void ReceiptInterpreter::skipFixed(int length)
{
    if (length == 0) {
        unknown();
    } else if (need(length)) {
        noteUnknown(m_cmd.left(2));
        done();
    }
}

void ReceiptInterpreter::skip(int keyLength, qint64 payload)
{
    noteUnknown(m_cmd.left(keyLength));
    beginPayload(Payload::Skip, payload);
}

void ReceiptInterpreter::beginPayload(Payload kind, qint64 bytes)
{
    m_payload = kind;
    m_remaining = bytes;
    m_parse = Parse::Payload;
    m_data.clear();
    if (bytes <= 0)
        finishPayload();
}

void ReceiptInterpreter::payloadByte(quint8 byte)
{
    traceByte(byte);
    if (m_payload == Payload::UntilNul) {
        // m_remaining is the most data the command takes before it ends anyway.
        if (byte == 0) {
            finishPayload();
            return;
        }
        m_data.append(char(byte));
        if (m_data.size() >= m_remaining)
            finishPayload();
        return;
    }
    --m_remaining;
    switch (m_payload) {
    case Payload::Raster:
        rasterByte(byte);
        break;
    case Payload::Column:
        columnByte(byte);
        break;
    case Payload::Barcode: case Payload::TwoD:
        m_data.append(char(byte));
        break;
    default:
        break;
    }
    if (m_remaining <= 0)
        finishPayload();
}

void ReceiptInterpreter::finishPayload()
{
    const QByteArray command = m_cmd;
    const Payload kind = m_payload;
    if (kind == Payload::Column)
        finishColumnImage();
    else if (kind == Payload::Raster)
        commitRasterPiece();
    else if ((kind == Payload::Barcode || kind == Payload::UntilNul) && quint8(command[0]) == GS)
        printBarcode(m_barcodeType, m_data);
    else if (kind == Payload::TwoD && m_data.size() >= 2) {
        const quint8 symbol = m_data[0];
        const quint8 function = m_data[1];
        if (symbol != 0x31) {
            noteUnknown(command.left(3) + char(symbol));
        } else if (function == 0x43 && m_data.size() >= 3) {
            const int size = quint8(m_data[2]);
            if (size >= 1 && size <= 16)
                m_modes.qrModule = size;
            else
                ignoredParameter();
        } else if (function == 0x45 && m_data.size() >= 3) {
            const int level = quint8(m_data[2]) - 0x30;
            if (level >= 0 && level <= 3)
                m_modes.qrEcc = level + 1;
            else
                ignoredParameter();
        } else if (function == 0x50) {
            m_qrData = m_data.mid(3);
        } else if (function == 0x51) {
            printQr();
        }
        // Other functions (the model, 41, among them) change nothing we draw.
    }
    m_data.clear();
    done();
}

void ReceiptInterpreter::decodeEsc()
{
    if (!need(2))
        return;
    const quint8 c = m_cmd[1];
    switch (c) {
    case '@':
        m_line = Pending();
        m_modes = Modes();
        m_qrData.clear();
        touch();
        done();
        return;
    case '2':
        m_modes.lineSpacing = 30;
        done();
        return;
    case 'i': case 'm':
        cut(CutKind::Partial, 0);
        done();
        return;
    case 'g': // the macro commands: the printer model acts on them
        if (need(3))
            done();
        return;
    case 0x1F:
        if (!need(3))
            return;
        if (QByteArray("mberdqtf").contains(m_cmd[2]))
            beginPayload(Payload::UntilNul, 256); // a name of up to 255 bytes and its 00
        else
            unknown();
        return;
    case 'p': // drawer kick
        if (need(5))
            done();
        return;
    case '*': {
        if (!need(3))
            return;
        const quint8 mode = m_cmd[2];
        if (mode != 0 && mode != 1 && mode != 0x20 && mode != 0x21) {
            unknown();
            return;
        }
        if (need(5))
            beginColumnImage(mode, quint8(m_cmd[3]) + 256 * quint8(m_cmd[4]));
        return;
    }
    case 'D': // tab positions: up to 32 and a 00
        noteUnknown(m_cmd);
        beginPayload(Payload::UntilNul, 32);
        return;
    case '!': case 'E': case 'G': case '-': case 'M': case 'a': case ' ': case '3': case 'd': case 'J': case 't':
        break;
    default:
        skipFixed(fixedEscLength(c));
        return;
    }
    if (!need(3))
        return;
    const quint8 n = m_cmd[2];
    TextStyle &style = m_modes.style;
    switch (c) {
    case '!':
        style.font = (n & 0x01) ? PrinterFont::B : PrinterFont::A;
        m_modes.emphasized = n & 0x08;
        style.height = (n & 0x10) ? 2 : 1;
        style.width = (n & 0x20) ? 2 : 1;
        style.underline = (n & 0x80) ? 1 : 0;
        break;
    case 'E':
        m_modes.emphasized = n & 1;
        break;
    case 'G':
        m_modes.doubleStrike = n & 1;
        break;
    case '-':
        if (const int value = smallChoice(n, 3); value >= 0)
            style.underline = quint8(value);
        else
            ignoredParameter();
        break;
    case 'M':
        if (const int value = smallChoice(n, 2); value >= 0)
            style.font = value ? PrinterFont::B : PrinterFont::A;
        else
            ignoredParameter();
        break;
    case 'a':
        if (const int value = smallChoice(n, 3); value >= 0)
            m_modes.justify = value;
        else
            ignoredParameter();
        break;
    case ' ':
        style.spacing = n;
        break;
    case '3':
        m_modes.lineSpacing = n;
        break;
    case 'd':
        printLine(true, n, m_at + 1, true);
        break;
    case 'J':
        printLine(false, n, m_at + 1, true);
        break;
    case 't':
        m_modes.codePage = n;
        if (!CodePages::isDrawn(n))
            note(QStringLiteral("code page %1 is not drawn: printed as PC437").arg(n));
        break;
    default:
        break;
    }
    done();
}

void ReceiptInterpreter::decodeGs()
{
    if (!need(2))
        return;
    const quint8 c = m_cmd[1];
    const auto word = [this](int at) { return quint8(m_cmd[at]) + 256 * quint8(m_cmd[at + 1]); };
    switch (c) {
    case '!': case 'B': case 'H': case 'h': case 'w': {
        if (!need(3))
            return;
        const quint8 n = m_cmd[2];
        if (c == '!') {
            const int width = (n >> 4) + 1;
            const int height = (n & 0x0F) + 1;
            if (width <= 8 && height <= 8) {
                m_modes.style.width = quint8(width);
                m_modes.style.height = quint8(height);
            } else {
                ignoredParameter();
            }
        } else if (c == 'B') {
            m_modes.style.reverse = n & 1;
        } else if (c == 'H') {
            if (const int value = smallChoice(n, 4); value >= 0)
                m_modes.barcodeText = value;
            else
                ignoredParameter();
        } else if (c == 'h') {
            if (n >= 1)
                m_modes.barcodeHeight = n;
            else
                ignoredParameter();
        } else if (n >= 2 && n <= 6) {
            m_modes.barcodeModule = n;
        } else {
            ignoredParameter();
        }
        done();
        return;
    }
    case 'L': case 'W':
        if (!need(4))
            return;
        if (c == 'L')
            m_modes.leftMargin = word(2);
        else
            m_modes.printWidth = word(2);
        done();
        return;
    case 'V': {
        if (!need(3))
            return;
        const quint8 m = m_cmd[2];
        if (m == 0 || m == 1 || m == 0x30 || m == 0x31) {
            cut((m & 1) ? CutKind::Partial : CutKind::Full, 0);
            done();
        } else if (m == 0x41 || m == 0x42) {
            if (need(4)) {
                cut(m == 0x41 ? CutKind::Full : CutKind::Partial, quint8(m_cmd[3]));
                done();
            }
        } else {
            unknown();
        }
        return;
    }
    case 'v': {
        if (!need(3))
            return;
        if (m_cmd[2] != '0') {
            unknown();
            return;
        }
        if (!need(8))
            return;
        const quint8 mode = m_cmd[3];
        const int bytesPerRow = word(4);
        const int rows = word(6);
        if ((mode & 0xF0) != 0 && (mode & 0xF0) != 0x30) {
            ignoredParameter();
            beginPayload(Payload::Skip, qint64(bytesPerRow) * rows);
        } else if ((mode & 0x0F) > 3) {
            ignoredParameter();
            beginPayload(Payload::Skip, qint64(bytesPerRow) * rows);
        } else {
            beginRaster(mode & 3, bytesPerRow, rows);
        }
        return;
    }
    case 'k': {
        if (!need(3))
            return;
        const quint8 m = m_cmd[2];
        if (m <= 6) {
            m_barcodeType = m;
            beginPayload(Payload::UntilNul, kMaxBarcodeData);
        } else if (m >= 0x41 && m <= 0x49) {
            if (!need(4))
                return;
            m_barcodeType = m - 0x41;
            beginPayload(Payload::Barcode, quint8(m_cmd[3]));
        } else {
            unknown();
        }
        return;
    }
    case '(':
        if (!need(5))
            return;
        if (m_cmd[2] == 'k')
            beginPayload(Payload::TwoD, word(3));
        else
            skip(3, word(3));
        return;
    case '8':
        if (!need(3))
            return;
        if (m_cmd[2] != 'L') {
            unknown();
            return;
        }
        if (need(7))
            skip(3, qint64(word(3)) + (qint64(word(5)) << 16));
        return;
    case '*':
        if (need(4))
            skip(2, qint64(quint8(m_cmd[2])) * quint8(m_cmd[3]) * 8);
        return;
    default:
        skipFixed(fixedGsLength(c));
        return;
    }
}

void ReceiptInterpreter::decodeFs()
{
    if (!need(2))
        return;
    const quint8 c = m_cmd[1];
    if (c == '.') { // Kanji mode off: nothing to draw
        done();
        return;
    }
    skipFixed(fixedFsLength(c));
}

// Real-time requests: answered by the printer model, nothing printed.
void ReceiptInterpreter::decodeDle()
{
    if (!need(2))
        return;
    const quint8 c = m_cmd[1];
    if (c != 0x04 && c != 0x05 && c != 0x14) {
        unknown();
        return;
    }
    if (!need(3))
        return;
    int length = 3;
    if (c == 0x14) {
        switch (quint8(m_cmd[2])) {
        case 1: case 2: length = 5; break;
        case 7: length = 4; break;
        case 8: length = 10; break;
        default: break;
        }
    }
    if (need(length))
        done();
}
