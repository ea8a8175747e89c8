#pragma once
// The display's text and the widget that shows it. Every append serves
// events; laying out and painting the display each time would make a fast
// script crawl. While text streams in, the widget catches up every
// kRepaintMs instead, and at once when the stream pauses. text() is exact at
// every moment.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QPlainTextEdit;

class TermDisplay : public QObject {
public:
    static constexpr int kRepaintMs = 40;

    // Past limit characters only the last keep remain.
    TermDisplay(QPlainTextEdit &term, int limit, int keep, QObject *parent = nullptr);

    void append(const QByteArray &text);
    // The exact text: one character per byte, CR LF line breaks.
    const QByteArray &text() const { return m_text; }

private:
    void catchUp();

    QPlainTextEdit &m_term;
    const int m_limit;
    const int m_keep;
    QByteArray m_text;
    QTimer m_repaint;
    QString m_pendingShown;      // appended but not yet in the widget
    bool m_stale = false;        // the widget must be rebuilt from m_text
};
