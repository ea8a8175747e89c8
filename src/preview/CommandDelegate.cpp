#include "preview/CommandDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

CommandDelegate::CommandDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
    , m_texts(kCachedTexts)
{
}

void CommandDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // The panel, the selection and the focus frame, as the style draws them;
    // a plain cell has none of them, the view's background is its own.
    if ((opt.state & (QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver))
        || opt.backgroundBrush.style() != Qt::NoBrush)
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if (text.isEmpty())
        return;

    // The text where and in the colour the style puts it.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect box = opt.rect.adjusted(margin, 0, -margin, 0);
    const QStaticText &shown = prepared(text, opt.font, box.width(), opt.textElideMode);
    const QSizeF size = shown.size();
    const Qt::Alignment align = QStyle::visualAlignment(opt.direction, opt.displayAlignment);
    QPointF at(box.left(), box.top());
    if (align & Qt::AlignRight)
        at.rx() += box.width() - size.width();
    else if (align & Qt::AlignHCenter)
        at.rx() += (box.width() - size.width()) / 2;
    // Vertically the style places the line's own height (ascent and descent,
    // rounded), not the prepared text's, which may count the font's leading.
    const int height = qRound(QFontMetricsF(opt.font).height());
    if (align & Qt::AlignBottom)
        at.ry() += box.height() - height;
    else if (align & Qt::AlignVCenter)
        at.ry() += (box.height() - height) / 2; // whole pixels, as the style places lines
    QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(opt.state & QStyle::State_Active))
        group = QPalette::Inactive;
    painter->save();
    painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                  : QPalette::Text));
    painter->setFont(opt.font);
    painter->drawStaticText(at, shown);
    painter->restore();
}

const QStaticText &CommandDelegate::prepared(const QString &text, const QFont &font, int width,
                                             Qt::TextElideMode elide) const
{
    const Key key{text, qHash(font), width, int(elide)};
    if (const QStaticText *cached = m_texts.object(key))
        return *cached;
    auto *made = new QStaticText(QFontMetrics(font).elidedText(text, elide, width));
    made->setTextFormat(Qt::PlainText);
    made->setPerformanceHint(QStaticText::AggressiveCaching);
    made->prepare(QTransform(), font);
    m_texts.insert(key, made);
    return *made;
}
