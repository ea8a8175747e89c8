#pragma once
// One printer on one link, for the port contract: the dispatcher the window
// uses (AnyPOSPrinter), the name that reaches the printer, what the status
// line and the write tap were told, and the printer's end. The serial and
// network printers are the simulator (a pty, its TCP port), the USB printer
// a FIFO, the built-in printer the one in this process.
#include "link/AnyPOSPrinter.h"
#include "support/LinkFixtures.h"
#include "support/SimProcess.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>

Q_DECLARE_METATYPE(LinkKind)

// The printer's behaviour: it answers each REQ with RESP, after delayMs.
// With a delay, the built-in printer answers as itself, its paper held up by
// an error that clears after delayMs: REQ must be a request it answers so.
struct PrinterScript {
    QList<QPair<QByteArray, QByteArray>> replies;
    int delayMs = 0;
};

class PortRig {
public:
    explicit PortRig(LinkKind link, const PrinterScript &script = {});
    ~PortRig();
    PortRig(const PortRig &) = delete;
    PortRig &operator=(const PortRig &) = delete;

    // The printer is there; false with why() when it could not be set up.
    bool start();
    QString why() const { return m_why; }

    AnyPOSPrinter port;
    QStringList statuses; // every status the port reported, in order
    QByteArray tapped;    // everything the write tap was given
    // The name that reaches the printer, as the operator would choose it.
    QString name() const { return m_name; }
    // The name as the port list shows it (name, TAB, description).
    QString listedName() const;
    // The port the built-in printer serves (null on the other links).
    VirtualPrinter *builtIn();

    // Writes request as Send Command does and lets the printer take its turn.
    void ask(const QByteArray &request);
    // Call before writing what printerGot() is to check: the built-in printer
    // keeps no record, so it is given a rule that answers those bytes alone.
    void expectOut(const QByteArray &bytes);
    // Whether the printer got exactly the bytes expected, in order, since
    // start() (waits a bounded time). On the built-in port it reads the answer.
    bool printerGot(const QByteArray &bytes);
    // The printer goes away (unplugged, switched off); false when this link cannot.
    bool vanish();
    // What the status line says after the port's name once the printer went away.
    QString goneText() const;
    // Whether the device is still held after a ClosePort (a network connection,
    // the USB device), as the printer's end sees it.
    bool held();

private:
    LinkKind m_link;
    PrinterScript m_script;
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<FifoPrinter> m_fifo;
    QByteArray m_got;     // USB: what the FIFO gave so far
    QByteArray m_witness; // built-in: the reply that says the printer got what was expected
    QString m_name;
    QString m_why;
};

// The rows of a case that every link takes: serial, USB, network, built-in.
void addLinkRows();
// Starts the rig or skips the test (QSKIP must return from the test itself).
#define START_RIG_OR_SKIP(rig)                                                       \
    do {                                                                             \
        if (!(rig).start())                                                          \
            QSKIP(qPrintable(QStringLiteral("printer unavailable: ") + (rig).why())); \
    } while (false)
