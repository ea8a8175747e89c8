#include "commands/PassThroughText.h"

#include "commands/Notation.h"
#include "commands/StatusDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {
// Each byte's text made once: a megabyte passing through is shown without
// a megabyte of small allocations.
using Texts = std::array<QByteArray, 256>;

// The same, flat, for the program's side, which carries the bulk: a
// megabyte is copied out of one table without a call per byte.
struct SentTexts
{
    static constexpr int kLongest = 8; // "< 255>", "[ESC]", "\<"
    char text[256][kLongest];
    quint8 size[256];
};

const SentTexts &sentTexts()
{
    static const SentTexts texts = [] {
        SentTexts t{};
        for (int b = 0; b < 256; ++b) {
            // A "<", "[" or "\" of the program's own is escaped, so that the
            // line, pasted into the Command box, sends exactly these bytes
            // again (the notation would read "<12>" as one byte 12).
            const bool opensForm = b == '<' || b == '[' || b == '\\';
            const QByteArray name = opensForm ? QByteArray("\\") + char(b) : Notation::EchoName(quint8(b));
            Q_ASSERT(name.size() <= SentTexts::kLongest);
            t.size[b] = quint8(std::min<qsizetype>(name.size(), SentTexts::kLongest));
            std::memcpy(t.text[b], name.constData(), t.size[b]);
        }
        return t;
    }();
    return texts;
}

const Texts &answerTexts(DisplayMode mode)
{
    static const std::array<Texts, 3> texts = [] {
        std::array<Texts, 3> t;
        const DisplayMode modes[] = {DisplayMode::Normal, DisplayMode::Hex, DisplayMode::Dec};
        for (int m = 0; m < 3; ++m)
            for (int b = 0; b < 256; ++b)
                t[m][b] = StatusDecoder::ReceivedByteText(quint8(b), modes[m]);
        return t;
    }();
    return texts[mode == DisplayMode::Hex ? 1 : mode == DisplayMode::Dec ? 2 : 0];
}
} // namespace

QByteArray PassThroughText::sent(const QByteArray &bytes)
{
    QByteArray text;
    if (bytes.isEmpty())
        return text;
    if (m_last != Sent)
        text += kSentMark;
    m_last = Sent;
    const SentTexts &shown = sentTexts();
    qsizetype at = text.size();
    text.resize(at + bytes.size() * SentTexts::kLongest);
    char *out = text.data();
    for (const char c : bytes) {
        const quint8 b = quint8(c);
        std::memcpy(out + at, shown.text[b], SentTexts::kLongest);
        at += shown.size[b];
    }
    text.truncate(at);
    return text;
}

QByteArray PassThroughText::answered(const QByteArray &bytes, DisplayMode mode)
{
    QByteArray text;
    const Texts &shown = answerTexts(mode);
    for (const char c : bytes) {
        if (m_last != Answered) {
            text += kAnsweredMark;
            m_head.clear();
            m_last = Answered;
        }
        text += shown[quint8(c)];
        if (m_head.size() >= 2)
            continue;
        m_head += c;
        // A status reply is two bytes; its words come as soon as both are
        // in, and what the printer says next begins a line of its own.
        if (m_head.size() == 2) {
            if (const QByteArray words = StatusDecoder::StatusMessage(m_head); !words.isEmpty()) {
                text += "\r\n" + words;
                m_last = None;
            }
        }
    }
    return text;
}

QByteArray PassThroughText::unheard(const QByteArray &bytes, DisplayMode mode)
{
    if (bytes.isEmpty())
        return {};
    QByteArray text = kAnsweredMark;
    const Texts &shown = answerTexts(mode);
    for (const char c : bytes)
        text += shown[quint8(c)];
    m_last = None;
    return text + " (no point-of-sale program connected)";
}
