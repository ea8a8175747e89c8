#pragma once
// The port component on the printer built into the program (port name
// "virtual"): no device, no pty, no thread. What is written goes to a
// VirtualPrinter in this process, the very device the simulator serves;
// its replies arrive through the event loop, as a line's bytes would, and
// wait to be read. A read waits as the other links' reads do, serving no
// events: it sleeps through the pump while only the printer's own clock runs. Like USB and network printers it has no line settings
// and no break. The printer is made on the first OpenPort (or when someone
// asks for it), on the paper the owner gives: the Receipt Preview's.
#include "link/EventPump.h"
#include "link/LinkPOSPrinter.h"

#include <QByteArray>
#include <functional>
#include <memory>

class ReceiptInterpreter;
class VirtualPrinter;

class VirtualPOSPrinter final : public LinkPOSPrinter {
public:
    VirtualPOSPrinter();
    ~VirtualPOSPrinter() override;
    VirtualPOSPrinter(const VirtualPOSPrinter &) = delete;
    VirtualPOSPrinter &operator=(const VirtualPOSPrinter &) = delete;

    // The owner's paper, for the printer to print on: printedPaper prints
    // what waits on it (what another link sent before goes on it first) and
    // gives it. Called when the printer is made and at every OpenPort; the
    // paper must outlive this component. Without it the printer has paper of
    // its own. Writes go to the printer, not to the write tap.
    void setPaper(std::function<ReceiptInterpreter &()> printedPaper) { m_printedPaper = std::move(printedPaper); }
    // How a read waits for a reply (sleepMs only); the production pump unless given.
    void setPump(EventPump *pump) { m_pump = pump ? pump : &m_ownPump; }
    // The printer, made now if it was not.
    VirtualPrinter &printer();
    bool hasPrinter() const { return m_printer != nullptr; }
    // Called once, when the printer has been made (to show its panel, ...).
    std::function<void(VirtualPrinter &)> onPrinterMade;

    QByteArray ReadInput(long count) override;
    void OpenPort(const QString &portName, const QString &portMode) override;
    void SetFlowControl(long) override {}
    // Takes what the printer's receive buffer takes: while the printer is
    // offline and its buffer full, nothing (the caller retries, as on a line
    // whose printer is busy).
    long WriteData(const QByteArray &data, long count) override;
    QString GetPortName(long index) override;
    void SetBreak(long, const QString &) override {}
    // Offline, what keeps it so: the operator can act on the printer's panel.
    QString refusalReason() const override;

    // Reply bytes that arrived and were not read yet.
    qsizetype waitingInput() const { return m_input.size(); }

private:
    bool deviceOpen() const override { return m_open; }
    void closeDevice() override { m_open = false; }
    void arrive(const QByteArray &bytes);

    void deliverReplies();

    std::function<ReceiptInterpreter &()> m_printedPaper;
    std::unique_ptr<ReceiptInterpreter> m_ownPaper;
    std::unique_ptr<VirtualPrinter> m_printer;
    QByteArray m_input;
    bool m_open = false;
    AppEventPump m_ownPump;
    EventPump *m_pump = &m_ownPump;
};
