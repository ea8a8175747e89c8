#include "commands/PassThroughText.h"

#include "commands/Notation.h"
#include "commands/StatusDecoder.h"

QByteArray PassThroughText::sent(const QByteArray &bytes)
{
    QByteArray text;
    if (bytes.isEmpty())
        return text;
    if (m_last != Sent)
        text += kSentMark;
    m_last = Sent;
    for (const char c : bytes)
        text += Notation::EchoName(static_cast<quint8>(c));
    return text;
}

QByteArray PassThroughText::answered(const QByteArray &bytes, DisplayMode mode)
{
    QByteArray text;
    for (const char c : bytes) {
        if (m_last != Answered) {
            text += kAnsweredMark;
            m_head.clear();
            m_last = Answered;
        }
        text += StatusDecoder::ReceivedByteText(static_cast<quint8>(c), mode);
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
