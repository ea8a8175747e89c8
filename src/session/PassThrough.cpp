#include "session/PassThrough.h"

#include "link/Link.h"
#include "link/POSPrinter.h"
#include "session/ProgramEnd.h"

#include <algorithm>

namespace {
// What is read from the program at a time: the printer gets it in one write.
constexpr qsizetype kChunk = 65536;
// A printer that took nothing is offered the bytes again this often; one
// that went away is opened again this often.
constexpr int kRetryMs = 50;
constexpr int kReopenMs = 500;
// Links that cannot say when their printer answers (a USB printer) are read this often.
constexpr int kReplyPollMs = 20;
// The read timing the send and reply operations leave behind (Commands).
constexpr long kNextByteWaitMs = 10;
} // namespace

PassThrough::PassThrough(POSPrinter &printer, QString portName, QString portMode, QObject *parent)
    : QObject(parent),
      m_printer(printer),
      m_portName(std::move(portName)),
      m_portMode(std::move(portMode)),
      m_end(new ProgramEnd(this))
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &PassThrough::retry);
    m_replyPoll.setInterval(kReplyPollMs);
    connect(&m_replyPoll, &QTimer::timeout, this, &PassThrough::readReplies);
    connect(m_end, &ProgramEnd::readable, this, &PassThrough::takeFromProgram);
    m_holdCheck.setSingleShot(true);
    connect(&m_holdCheck, &QTimer::timeout, this, &PassThrough::releaseWhenFree);
    connect(m_end, &ProgramEnd::connected, this, &PassThrough::onConnected);
    connect(m_end, &ProgramEnd::disconnected, this, &PassThrough::onDisconnected);
}

PassThrough::~PassThrough()
{
    m_printer.setInputHook({});
}

QString PassThrough::checkListen(const QString &listen)
{
    return parseListen(listen).problem;
}

bool PassThrough::listen(const QString &listen, QString *error)
{
    stop();
    if (!m_end->listen(listen, error))
        return false;
    // Read as soon as the link says the printer has spoken; posted, since
    // the link tells from inside its own handlers.
    m_printer.setInputHook([this] { postReplyRead(); });
    setStatus(waitingText());
    return true;
}

void PassThrough::stop()
{
    const bool wasConnected = m_end->isConnected();
    m_printer.setInputHook({});
    m_replyPoll.stop();
    m_retry.stop();
    m_end->close();
    m_held.clear();
    if (wasConnected)
        emit clientDisconnected();
    setStatus(QString());
}

bool PassThrough::isListening() const
{
    return m_end->isListening();
}

bool PassThrough::isConnected() const
{
    return m_end->isConnected();
}

QString PassThrough::statusText() const
{
    return m_status;
}

QString PassThrough::address() const
{
    return m_end->address();
}

QString PassThrough::ptyPath() const
{
    return m_end->ptyPath();
}

QString PassThrough::peer() const
{
    return m_end->peer();
}

qsizetype PassThrough::heldBytes() const
{
    return m_held.size();
}

QString PassThrough::waitingText() const
{
    if (!m_end->isListening())
        return {};
    if (m_end->isConnected())
        return m_end->peer().startsWith(QLatin1Char('/'))
            ? QStringLiteral("point-of-sale program connected on ") + m_end->peer()
            : QStringLiteral("point-of-sale program connected from ") + m_end->peer();
    return QStringLiteral("waiting for a point-of-sale program on ") + m_end->address();
}

void PassThrough::setStatus(const QString &text)
{
    if (text == m_status)
        return;
    m_status = text;
    emit statusChanged(text);
}

void PassThrough::onConnected(const QString &peer)
{
    // Open for this program as every operation of the terminal opens it
    // (it may have been closed since the last one).
    reopen();
    // What the printer said before it came was meant for someone else (a
    // program that left before its answer was printed): never this one's.
    if (!m_busy && !heldForWindow()) {
        if (const QByteArray stale = readWaiting(); !stale.isEmpty())
            emit unheardFromPrinter(stale);
    }
    // Its answers are read while it is there; otherwise they are left for
    // the terminal's own operations, which read the port then.
    m_replyPoll.start();
    setStatus(waitingText());
    emit clientConnected(peer);
}

void PassThrough::reopen()
{
    m_busy = true; // a network printer's connect serves events meanwhile
    m_printer.OpenPort(m_portName, m_portMode);
    if (m_flow >= 0)
        m_printer.SetFlowControl(m_flow);
    m_busy = false;
}

void PassThrough::onDisconnected()
{
    // What the printer has answered so far is shown; what comes later waits
    // in the port for the window's own operations, or is shown and dropped
    // when the next program comes.
    if (!m_busy && !heldForWindow())
        passReplies();
    m_replyPoll.stop();
    emit clientDisconnected();
    // Its bytes still held go to the printer all the same: they were sent.
    if (m_held.isEmpty())
        setStatus(waitingText());
}

void PassThrough::takeFromProgram()
{
    // One batch at a time: the next is read once the printer has this one.
    if (!m_held.isEmpty() || m_busy)
        return;
    if (heldForWindow()) {
        // Its writes wait on the pty or the TCP window meanwhile.
        m_end->setReading(false);
        setStatus(QStringLiteral("The window's own command, loop or script is running: the point-of-sale program waits."));
        m_waitsForWindow = true;
        if (m_holdWhile)
            m_holdCheck.start(kRetryMs);
        return;
    }
    const QByteArray bytes = m_end->read(kChunk);
    if (bytes.isEmpty())
        return;
    m_held = bytes;
    flushHeld();
}

void PassThrough::flushHeld()
{
    if (m_busy)
        return;
    m_busy = true;
    while (!m_held.isEmpty()) {
        m_printer.WriteData(m_held, long(m_held.size()));
        const qsizetype taken = std::clamp<qsizetype>(m_printer.GetWriteCount(), 0, m_held.size());
        if (taken == 0)
            break;
        const QByteArray went = m_held.left(taken);
        m_held.remove(0, taken);
        emit toPrinter(went);
    }
    m_busy = false;
    // The reply to what just went may be there already.
    postReplyRead();
    if (m_held.isEmpty()) {
        m_openedForHeld = false;
        setStatus(waitingText());
        m_end->setReading(true); // the next batch is read when the loop comes round
        return;
    }
    // Nothing more is read from the program until the printer has taken
    // these: its writes wait on the pty or the TCP window.
    m_end->setReading(false);
    if (m_printer.LinkDown()) {
        setStatus(shownPortName(m_portName)
                  + QStringLiteral(": the printer has gone away; opening it again - the point-of-sale program waits"));
        m_retry.start(kReopenMs);
        return;
    }
    const QString why = m_printer.refusalReason();
    setStatus((why.isEmpty() ? QStringLiteral("The printer takes nothing just now.") : why)
              + QStringLiteral(" The point-of-sale program waits."));
    m_retry.start(kRetryMs);
}

void PassThrough::retry()
{
    if (m_busy) {
        m_retry.start(kRetryMs);
        return;
    }
    if (m_printer.LinkDown()) {
        // As the terminal opens a printer that is back: with the port's own settings.
        reopen();
        if (m_printer.LinkDown()) {
            m_retry.start(kReopenMs);
            return;
        }
    } else if (!m_openedForHeld) {
        // A port closed under us (the window's idle timer after an
        // operation of its own) takes nothing either: opened once, it is
        // left alone while the printer itself is busy.
        m_openedForHeld = true;
        reopen();
    }
    flushHeld();
}

void PassThrough::setHeld(bool held)
{
    m_heldByWindow = held;
    // After the events of the moment, as the poll would: the window's handler ends first.
    if (!held && m_waitsForWindow)
        QMetaObject::invokeMethod(this, &PassThrough::releaseWhenFree, Qt::QueuedConnection);
}

void PassThrough::releaseWhenFree()
{
    if (!m_waitsForWindow)
        return;
    if (heldForWindow()) {
        if (m_holdWhile)
            m_holdCheck.start(kRetryMs);
        return;
    }
    m_waitsForWindow = false;
    setStatus(waitingText());
    m_end->setReading(true);
    takeFromProgram();
}

void PassThrough::postReplyRead()
{
    if (m_replyReadPosted)
        return;
    m_replyReadPosted = true;
    QMetaObject::invokeMethod(this, &PassThrough::readReplies, Qt::QueuedConnection);
}

void PassThrough::readReplies()
{
    m_replyReadPosted = false;
    if (!m_busy && m_end->isConnected() && !heldForWindow())
        passReplies();
}

QByteArray PassThrough::readWaiting()
{
    // Only what is there: the loop is not held up waiting for a printer
    // that says nothing.
    m_printer.SetReadTiming(0, 0);
    QByteArray reply;
    for (QByteArray piece = m_printer.ReadInput(1); !piece.isEmpty(); piece = m_printer.ReadInput(1))
        reply += piece;
    m_printer.SetReadTiming(kNextByteWaitMs, kNextByteWaitMs);
    return reply;
}

void PassThrough::passReplies()
{
    const QByteArray reply = readWaiting();
    if (!reply.isEmpty() && m_end->isConnected()) {
        m_end->write(reply);
        emit fromPrinter(reply);
    } else if (!reply.isEmpty()) {
        emit unheardFromPrinter(reply); // it left before its answer came
    }
    // A printer that went away while the program was quiet is opened again
    // all the same, so that its answers and the next bytes find it.
    if (m_printer.LinkDown() && !m_retry.isActive()) {
        setStatus(shownPortName(m_portName) + QStringLiteral(": the printer has gone away; opening it again"));
        m_retry.start(kReopenMs);
    }
}
