#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMap>

// The printer's non-volatile graphics memory: graphics defined under two
// key-code bytes (GS ( L fn 43) and the older numbered bit images (FS q),
// within one capacity, as a real printer's memory has one. An image counts
// as the bytes its definition declared; a definition that does not fit is
// refused and changes nothing.
class NvGraphics
{
public:
    static constexpr qsizetype kDefaultCapacity = 384 * 1024;

    // Memory already taken stays: a smaller capacity only refuses what comes next.
    void setCapacity(qsizetype bytes) { m_capacity = std::max<qsizetype>(0, bytes); }
    qsizetype capacity() const { return m_capacity; }
    qsizetype used() const { return m_used; }
    qsizetype remaining() const { return std::max<qsizetype>(0, m_capacity - m_used); }

    // The graphic under key, replacing one defined before; false: no room.
    bool define(const QByteArray &key, const QImage &image, qsizetype bytes);
    const QImage *graphic(const QByteArray &key) const;
    bool remove(const QByteArray &key);
    void removeAll();
    QList<QByteArray> keys() const { return m_graphics.keys(); }

    // FS q: a definition replaces every bit image before it; they are
    // numbered from 1 in the order defined.
    void clearBitImages();
    bool addBitImage(const QImage &image, qsizetype bytes);
    const QImage *bitImage(int number) const;
    int bitImageCount() const { return int(m_bitImages.size()); }

    // The replies to GS ( L fn 30, 33 and 40: the capacity ("7" "0" digits NUL),
    // what is left ("7" "1" digits NUL), the key codes ("7" "r" 40, key code
    // pairs, NUL; in blocks of 40 with 41 before every block but the last).
    QByteArray capacityReply() const;
    QByteArray remainingReply() const;
    QByteArray keyListReply() const;

private:
    struct Stored
    {
        QImage image;
        qsizetype bytes = 0;
    };
    qsizetype m_capacity = kDefaultCapacity;
    qsizetype m_used = 0;
    QMap<QByteArray, Stored> m_graphics;
    QList<Stored> m_bitImages;
};
