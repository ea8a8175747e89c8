#include "preview/EventMark.h"

#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kInk(0xff, 0xd5, 0x4f);
const QColor kEdge(0x30, 0x30, 0x30);
} // namespace

EventMark::EventMark(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(kSize, kSize);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
}

QString EventMark::name(const ReceiptEvent &event)
{
    if (event.kind == ReceiptEvent::Kind::Beep)
        return QStringLiteral("Beep");
    return QStringLiteral("Drawer %1 pulse").arg(event.drawer);
}

QString EventMark::place(const ReceiptEvent &event, int receipt)
{
    QString text = QStringLiteral("at %1 mm of receipt %2, bytes %3-%4")
                       .arg(QString::number(double(event.y) / Paper::kDotsPerMm, 'f', 1))
                       .arg(receipt)
                       .arg(event.source.begin)
                       .arg(event.source.end - 1);
    if (event.realTime)
        text += QStringLiteral(" (real-time: done as it arrived)");
    return text;
}

void EventMark::setEvent(const ReceiptEvent &event, int receipt)
{
    m_event = event;
    const QString words = name(event);
    const QString where = place(event, receipt);
    setToolTip(words + QLatin1Char(' ') + where + QStringLiteral(": nothing printed"));
    setAccessibleName(words);
    setAccessibleDescription(where);
    update();
    show();
}

void EventMark::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kEdge, 1));
    painter.setBrush(kInk);
    const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    if (m_event.kind == ReceiptEvent::Kind::Beep) {
        // A bell: a dome, its rim and the clapper.
        QPainterPath bell;
        bell.moveTo(box.left() + 1, box.bottom() - 3);
        bell.cubicTo(box.left() + 3, box.bottom() - 5, box.left() + 2, box.top(), box.center().x(), box.top());
        bell.cubicTo(box.right() - 2, box.top(), box.right() - 3, box.bottom() - 5, box.right() - 1, box.bottom() - 3);
        bell.closeSubpath();
        painter.drawPath(bell);
        painter.drawEllipse(QPointF(box.center().x(), box.bottom() - 1.5), 1.5, 1.5);
    } else {
        // A drawer: a box with its handle.
        painter.drawRect(box.adjusted(0, 2, 0, 0));
        painter.drawLine(QPointF(box.center().x() - 2.5, box.center().y() + 1), QPointF(box.center().x() + 2.5, box.center().y() + 1));
    }
}
