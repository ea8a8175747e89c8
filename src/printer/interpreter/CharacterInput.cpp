// Characters: the code page (ESC t), the international character set
// (ESC R) and two-byte characters (FS &, FS ., FS C, FS !), and the text
// bytes read through them.
#include "printer/interpreter/CharacterInput.h"

#include "printer/characters/Characters.h"
#include "printer/characters/CodePages.h"
#include "printer/commands/ControlBytes.h"
#include "printer/commands/PrinterCommands.h"

namespace {
using namespace ControlBytes;

QString hexByte(quint8 byte)
{
    return QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}
} // namespace

void CharacterInput::setEncoding(TwoByteCode code)
{
    if (code != TwoByteCode::None && code != TwoByteCode::Jis)
        m_encoding = code;
}

TwoByteCode CharacterInput::readingCode() const
{
    return m_encoding == TwoByteCode::ShiftJis && m_context.modes.japaneseCode == 0 ? TwoByteCode::Jis : m_encoding;
}

// Two-byte mode, or Shift JIS chosen by FS C on a Japanese model: its lead
// bytes never stand for a character of their own, so the printer reads its
// pairs without FS & (as client libraries for Japanese printers expect).
TwoByteCode CharacterInput::pairsRead() const
{
    if (m_context.modes.twoByte || (m_encoding == TwoByteCode::ShiftJis && m_context.modes.japaneseCode == 1))
        return readingCode();
    return TwoByteCode::None;
}

// A two-byte character: the font and emphasis in force, the character size
// in force doubled where FS ! doubles it; no character spacing.
TextStyle CharacterInput::twoByteStyle() const
{
    TextStyle style = m_layout.currentStyle();
    style.wide = true;
    style.spacing = 0;
    if (m_context.modes.twoByteMode & 0x04)
        style.width = std::max<quint8>(style.width, 2);
    if (m_context.modes.twoByteMode & 0x08)
        style.height = std::max<quint8>(style.height, 2);
    if (m_context.modes.twoByteMode & 0x80)
        style.underline = std::max<quint8>(style.underline, 1);
    return style;
}

bool CharacterInput::runCommand(quint8 introducer, quint8 c)
{
    const quint8 n = m_context.parameter(2);
    if (introducer == ESC) {
        if (c == 't') {
            m_context.modes.codePage = n;
            if (!CodePages::isKnown(n))
                m_context.note(QStringLiteral("code page %1 not known: printed as PC437").arg(n));
            return true;
        }
        if (c == 'R') {
            if (n < Characters::kInternationalSets)
                m_context.modes.international = n;
            else
                m_context.ignoredParameter();
            return true;
        }
        return false;
    }
    if (introducer != FS)
        return false;
    switch (c) {
    case '&':
        m_context.modes.twoByte = true;
        return true;
    case '.':
        m_context.modes.twoByte = false;
        return true;
    case 'C':
        if (const int choice = PrinterCommands::smallChoice(n, 2); choice >= 0)
            m_context.modes.japaneseCode = choice;
        else
            m_context.ignoredParameter();
        return true;
    case '!':
        m_context.modes.twoByteMode = n;
        return true;
    default:
        return false;
    }
}

// A byte 20-7E or 80-FF: a character, or half of one in two-byte mode.
void CharacterInput::text(quint8 byte, qint64 at)
{
    const PrinterModes &modes = m_context.modes;
    const quint8 page = CodePages::isKnown(modes.codePage) ? quint8(modes.codePage) : quint8(CodePages::kPc437);
    const TwoByteCode code = pairsRead();
    if (m_lead || Characters::isLead(code, byte)) {
        if (m_context.trace.on())
            m_context.trace.character(byte, at, m_layout.open().number, m_layout.currentStyle(),
                                      {page, quint8(m_context.modes.international), code});
        if (!m_lead) {
            m_lead = byte;
            m_leadAt = at;
            return;
        }
        const quint8 lead = m_lead;
        m_lead = 0;
        putPair(lead, byte, {m_leadAt, at + 1});
        return;
    }
    const TextStyle style = m_layout.currentStyle();
    const Reading reading{page, quint8(m_context.modes.international), TwoByteCode::None};
    if (m_context.trace.on())
        m_context.trace.character(byte, at, m_layout.open().number, style, {page, reading.international, code});
    const char c = char(byte);
    m_layout.putCharacter(&c, 1, style, reading, {at, at + 1});
}

void CharacterInput::putPair(quint8 lead, quint8 trail, const ByteRange &source)
{
    const TwoByteCode code = readingCode();
    if (!Characters::pair(code, lead, trail)) {
        const QString bytes = trail ? QStringLiteral("bytes %1 %2").arg(hexByte(lead), hexByte(trail))
                                    : QStringLiteral("byte %1 without its second byte").arg(hexByte(lead));
        const QString name = Characters::encodingName(code);
        m_context.noteOnce(QStringLiteral("pair ") + name,
                           QStringLiteral("%1: not a %2 character, printed as a replacement mark").arg(bytes, name));
    }
    const char bytes[2] = {char(lead), char(trail)};
    m_layout.putCharacter(bytes, 2, twoByteStyle(), {0, 0, code}, source);
}

// A lead byte whose trail never came (a control byte came first): the
// printer prints the replacement mark for it. Kept as the lead and 00.
void CharacterInput::lonePair()
{
    const quint8 lead = m_lead;
    m_lead = 0;
    putPair(lead, 0, {m_leadAt, m_leadAt + 1});
}
