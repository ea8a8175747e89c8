#pragma once

#include "printer/device/MacroStore.h"
#include "printer/device/PrinterState.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>

class ReceiptInterpreter;
struct ReceiptEvent;

// The virtual printer as a device: bytes in, replies out, paper moved, and a
// state that the operator changes and the status replies tell. One class for
// every face of it (the simulator's pty and network port, the program's
// built-in printer), with no I/O of its own and no thread.
//
// Received bytes go first past the arrival side: the macro store (identity,
// macros and --reply rules), which reads them with the one command reader,
// and real-time requests (DLE EOT, DLE ENQ, DLE DC4, FS ENQ) it finds,
// answered at once, also offline, but never inside another command's data. What is to be printed then waits in the receive buffer
// (4 KiB) and goes to the paper, the interpreter it is given, while the
// printer is online: a byte at a time, so that printing stops exactly where
// the roll ends. Requests that are printed (GS r, GS I, GS a) are answered then,
// in stream order. Offline, the buffer fills; full, receive() takes no more.
//
// reply() comes inside receive() and also at any other time: a request
// printed once the operator loaded paper, automatic status back after a
// change. A --reply rule that matched any byte of a request answers in its
// place. Paper the feed button moves counts against the roll only: it is not
// drawn on the paper, whose bytes are the stream's.
class VirtualPrinter : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype kBufferSize = 4096;
    // Paper the feed button moves at one press: a line.
    static constexpr int kButtonFeedDots = 30;
    static constexpr int kDefaultAutoRecoveryMs = 5000;

    // paper is the printer's paper; it must outlive the printer, which takes
    // its request and event handlers.
    explicit VirtualPrinter(ReceiptInterpreter &paper, QObject *parent = nullptr);
    ~VirtualPrinter() override;

    // Identity, macros and --reply rules.
    MacroStore &macros() { return m_macros; }
    // The paper it prints on.
    ReceiptInterpreter &paper() { return m_paper; }

    // A fresh roll of this length is loaded; near end below nearEndMm left.
    void setRoll(qint64 lengthMm, qint64 nearEndMm);
    // An opened drawer closes by itself after ms (0: it stays open).
    void setDrawerClosesAfter(int ms) { m_drawerClosesMs = ms; }
    // An auto-recoverable error clears by itself after ms.
    void setAutoRecoveryAfter(int ms) { m_autoRecovery.setInterval(ms); }

    // The printer's own clock, for an owner that waits for a reply without
    // serving events (a read on the built-in port): ms until its next change
    // by itself (a drawer closing, an error recovering), -1 when none is due;
    // and the changes whose time has come, made now.
    int msToNextChange() const;
    void makeDueChanges();

    // Takes what it can of bytes and returns how many it took: fewer when the
    // receive buffer is full. The caller keeps the rest and stops reading
    // until roomToReceive().
    qsizetype receive(const QByteArray &bytes);

    const PrinterState &state() const { return m_state; }
    // The whole state on one line ("online, paper 79998 mm of 80000 left, ...").
    QString stateText() const;

    // The operator, each in one log line.
    void loadPaper();
    void paperNearEnd();
    void paperOut();
    void openCover(bool open);
    void setDrawer(int drawer, bool open); // drawer 1 or 2
    void feedButton();
    void setError(PrinterError error);
    void recover();
    // As at power on, the paper and NV memory kept: the modes back to their
    // defaults, a partial command and what waits in the receive buffer dropped.
    void resetPrinter();

signals:
    void reply(const QByteArray &bytes);
    void stateChanged();
    void noted(const QString &line);
    // There is room again after receive() refused bytes. Never emitted from
    // inside receive(): a slot may call it at once.
    void roomToReceive();
    // The paper moved (bytes printed, the feed button): the interpreter has news.
    void printed();

private:
    struct Mark
    {
        qint64 end;         // where in the buffer's stream the request ends
        QByteArray command;
    };
    struct Printed
    {
        QByteArray request; // GS r, GS I, GS a; empty for a drawer pulse
        int drawer = 0;
    };

    qsizetype waiting() const { return m_buffer.size() - m_head; }
    void arrive(const QByteArray &answer, const QByteArray &command);
    void realTime(const QByteArray &command, qsizetype ownBytes);
    void print();
    void handlePrinted(const Printed &what);
    void takeFedPaper();
    void usePaper(qint64 dots);
    void syncWaiting();
    void offerRoom();
    void reportProgress();
    void clearBuffer();
    void changed(const QString &what);
    void drawerClosedByItself(int drawer);
    void recoveredByItself();
    void sendAutomaticStatus(bool always);
    void answer(const QByteArray &bytes);
    void log(const QString &line) { emit noted(line); }
    void pulse(int drawer, const QString &how);

    ReceiptInterpreter &m_paper;
    MacroStore m_macros;
    PrinterState m_state;
    QByteArray m_buffer;     // from m_head: bytes waiting to be printed
    qsizetype m_head = 0;
    qint64 m_buffered = 0;   // bytes that ever entered the buffer
    QByteArray m_bufferedTail; // the last of them
    std::deque<Mark> m_marks; // requests that a --reply rule answered instead
    QList<Printed> m_printedNow; // what the paper met in the byte being printed
    qint64 m_fedSeen = 0;    // the interpreter's paperFedDots() last looked at
    bool m_refused = false;  // receive() took fewer bytes than it was given
    qsizetype m_shownWaiting = 0; // as stateChanged() last told
    qint64 m_shownUsed = 0;
    bool m_printing = false;
    bool m_held = false;     // the last print() left bytes waiting
    int m_receiving = 0;
    quint8 m_asb = 0;
    QByteArray m_lastAsb;
    int m_drawerClosesMs = 0;
    QTimer m_drawerTimer[2];
    QTimer m_autoRecovery;
};
