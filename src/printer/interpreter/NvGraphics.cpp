#include "printer/interpreter/NvGraphics.h"

namespace {
constexpr int kKeysPerBlock = 40;

QByteArray numberReply(char identifier, qsizetype value)
{
    return QByteArray("7") + identifier + QByteArray::number(value) + '\0';
}
} // namespace

bool NvGraphics::define(const QByteArray &key, const QImage &image, qsizetype bytes)
{
    const auto old = m_graphics.constFind(key);
    const qsizetype freed = old == m_graphics.cend() ? 0 : old->bytes;
    if (m_used - freed + bytes > m_capacity)
        return false;
    m_used += bytes - freed;
    m_graphics.insert(key, {image, bytes});
    return true;
}

const QImage *NvGraphics::graphic(const QByteArray &key) const
{
    const auto it = m_graphics.constFind(key);
    return it == m_graphics.cend() ? nullptr : &it->image;
}

bool NvGraphics::remove(const QByteArray &key)
{
    const auto it = m_graphics.find(key);
    if (it == m_graphics.end())
        return false;
    m_used -= it->bytes;
    m_graphics.erase(it);
    return true;
}

void NvGraphics::removeAll()
{
    for (const Stored &stored : std::as_const(m_graphics))
        m_used -= stored.bytes;
    m_graphics.clear();
}

void NvGraphics::clearBitImages()
{
    for (const Stored &stored : std::as_const(m_bitImages))
        m_used -= stored.bytes;
    m_bitImages.clear();
}

bool NvGraphics::addBitImage(const QImage &image, qsizetype bytes)
{
    if (m_used + bytes > m_capacity)
        return false;
    m_used += bytes;
    m_bitImages.append({image, bytes});
    return true;
}

const QImage *NvGraphics::bitImage(int number) const
{
    return number >= 1 && number <= m_bitImages.size() ? &m_bitImages[number - 1].image : nullptr;
}

QByteArray NvGraphics::capacityReply() const
{
    return numberReply('0', m_capacity);
}

QByteArray NvGraphics::remainingReply() const
{
    return numberReply('1', remaining());
}

// Blocks of at most 40 key codes: status 41 when another block follows, 40 for the last.
QByteArray NvGraphics::keyListReply() const
{
    const QList<QByteArray> all = keys();
    QByteArray reply;
    qsizetype at = 0;
    do {
        const qsizetype count = std::min<qsizetype>(kKeysPerBlock, all.size() - at);
        reply += "7r";
        reply += char(at + count < all.size() ? 0x41 : 0x40);
        for (qsizetype i = at; i < at + count; ++i)
            reply += all[i];
        reply += '\0';
        at += count;
    } while (at < all.size());
    return reply;
}
