#include "terminal/TermDisplay.h"

#include <QPlainTextEdit>
#include <QTextCursor>

TermDisplay::TermDisplay(QPlainTextEdit &term, int limit, int keep, QObject *parent)
    : QObject(parent), m_term(term), m_limit(limit), m_keep(keep)
{
    m_repaint.setSingleShot(true);
    m_repaint.setInterval(kRepaintMs);
    connect(&m_repaint, &QTimer::timeout, this, [this] {
        catchUp();
        m_term.setUpdatesEnabled(true);
    });
}

void TermDisplay::append(const QByteArray &text)
{
    if (m_term.updatesEnabled() && m_term.isVisible()) {
        m_term.setUpdatesEnabled(false);
        m_repaint.start();
    }
    m_text += text;
    if (m_text.size() > m_limit) {
        m_text = m_text.right(m_keep);
        m_stale = true;
        m_pendingShown.clear();
    } else if (!m_stale) {
        m_pendingShown += QString::fromLatin1(text);
    }
    if (m_term.updatesEnabled())
        catchUp();
}

void TermDisplay::catchUp()
{
    if (m_stale) {
        QString shown = QString::fromLatin1(m_text);
        shown.remove(QLatin1Char('\r'));
        m_term.setPlainText(shown);
    } else if (!m_pendingShown.isEmpty()) {
        // Inserting at the end lays out only the new text, not the whole display.
        m_pendingShown.remove(QLatin1Char('\r'));
        QTextCursor end(m_term.document());
        end.movePosition(QTextCursor::End);
        end.insertText(m_pendingShown);
    }
    m_stale = false;
    m_pendingShown.clear();
    m_term.moveCursor(QTextCursor::End);
    m_term.ensureCursorVisible();
}
