#include "run/RunReceipts.h"

#include "link/AnyPOSPrinter.h"
#include "printer/device/VirtualPrinter.h"
#include "session/SharedWords.h"

RunReceipts::RunReceipts(std::function<void(const QString &)> say) : m_say(std::move(say)) {}

bool RunReceipts::open(const QString &dir, bool decode, QString *error)
{
    if (!dir.isEmpty() && !m_files.open(dir, error))
        return false;
    m_files.setDecode(decode);
    return true;
}

void RunReceipts::attach(AnyPOSPrinter &port)
{
    m_port = &port;
    port.setWriteTap([this](const QByteArray &taken) {
        m_files.interpreter().feed(taken);
        flush();
    });
    VirtualPOSPrinter &builtIn = port.builtIn();
    builtIn.setPaper([this]() -> ReceiptInterpreter & { return m_files.interpreter(); });
    builtIn.onPrinterMade = [this](VirtualPrinter &printer) {
        QObject::connect(&printer, &VirtualPrinter::printed, &printer, [this] { flush(); });
    };
}

void RunReceipts::flush()
{
    for (const QString &line : m_files.takeNotes())
        m_say(line);
}

void RunReceipts::finish()
{
    // What an offline printer still holds never reached the paper: say so,
    // as the simulator does when it stops.
    if (m_port && m_port->builtIn().hasPrinter()) {
        const qsizetype waiting = m_port->builtIn().printer().state().waiting;
        if (waiting > 0)
            m_say(SharedWords::stoppedWaiting(waiting));
    }
    for (const QString &line : m_files.finish())
        m_say(line);
}
