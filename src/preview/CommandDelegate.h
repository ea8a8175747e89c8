#pragma once
// How the Commands panel draws a cell. The list follows a stream: every few
// tenths of a second its rows move up and all of them are drawn again. Qt's
// own delegate lays out (shapes) each cell's text two or three times a paint,
// which was most of what the panel cost while a script played. This one
// shapes a text once, elided to its column's width, and draws it from then
// on as prepared glyphs; background, selection and focus stay the style's.
#include <QCache>
#include <QStaticText>
#include <QStyledItemDelegate>

class CommandDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kCachedTexts = 4000; // a few screens of rows, four columns each

    explicit CommandDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    struct Key {
        QString text;
        size_t font = 0;
        int width = 0;
        int elide = 0;
        bool operator==(const Key &) const = default;
    };

private:
    // The text shaped for the font, elided to the width.
    const QStaticText &prepared(const QString &text, const QFont &font, int width, Qt::TextElideMode elide) const;

    mutable QCache<Key, QStaticText> m_texts;
};

inline size_t qHash(const CommandDelegate::Key &key, size_t seed = 0)
{
    return qHashMulti(seed, key.text, key.font, key.width, key.elide);
}
