#pragma once
// A mark beside the paper for something the printer did that prints
// nothing: a bell for a beep, a drawer for a drawer pulse. A widget of its
// own, so that its tool tip and its words reach a screen reader; never drawn
// on the paper, so a saved receipt stays the printer's paper.
#include "printer/paper/Receipt.h"

#include <QWidget>

class EventMark : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSize = 14;

    explicit EventMark(QWidget *parent = nullptr);

    // What it marks: the event, its receipt's number.
    void setEvent(const ReceiptEvent &event, int receipt);
    const ReceiptEvent &event() const { return m_event; }
    // "Beep", "Drawer 1 pulse"; and where: "at 12.5 mm of receipt 3, bytes 120-122".
    static QString name(const ReceiptEvent &event);
    static QString place(const ReceiptEvent &event, int receipt);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ReceiptEvent m_event;
};
