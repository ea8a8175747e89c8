// Character input: the text bytes read through the code page (ESC t), the
// international set (ESC R) and two-byte mode (FS &, FS ., FS C, FS !), with
// the model's two-byte encoding and the lead byte of a pair waiting for its
// trail. Characters go to the paper layout. Not part of the interpreter's
// interface.
#pragma once

#include "printer/interpreter/PaperLayout.h"

class CharacterInput
{
public:
    CharacterInput(InterpreterContext &context, PaperLayout &layout)
        : m_context(context)
        , m_layout(layout)
    {
    }

    void setEncoding(TwoByteCode code);
    TwoByteCode encoding() const { return m_encoding; }
    // The encoding two-byte mode reads pairs with: the model's, or JIS where FS C chose it.
    TwoByteCode readingCode() const;

    // A byte 20-7E or 80-FF: a character, or half of one in two-byte mode.
    void text(quint8 byte, qint64 at);
    // A control byte ends a pair unfinished: its lead prints as the replacement mark.
    void endPair()
    {
        if (m_lead)
            lonePair();
    }
    // A lead byte waiting is forgotten (power on).
    void drop() { m_lead = 0; }
    // ESC t, ESC R, FS &, FS ., FS C, FS !; false when it is none of them.
    bool runCommand(quint8 introducer, quint8 c);

private:
    // The encoding pairs are read with now; None while one byte is a character.
    TwoByteCode pairsRead() const;
    TextStyle twoByteStyle() const;
    void lonePair();
    void putPair(quint8 lead, quint8 trail, const ByteRange &source);

    InterpreterContext &m_context;
    PaperLayout &m_layout;
    TwoByteCode m_encoding = TwoByteCode::Gb18030;
    quint8 m_lead = 0; // the first byte of a two-byte character, waiting for its trail
    qint64 m_leadAt = 0;
};
