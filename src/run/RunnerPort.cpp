#include "run/RunnerPort.h"

#include "link/AnyPOSPrinter.h"
#include "link/Link.h"
#include "run/RunReceipts.h"

std::unique_ptr<POSPrinter> openRunnerPort(const LinkVariables &vars, std::function<void(const QString &)> notes,
                                           RunReceipts *receipts, QString *failure)
{
    // The built-in printer, serial, USB printer-class or network, by the name.
    auto port = std::make_unique<AnyPOSPrinter>();
    if (receipts)
        receipts->attach(*port);
    QString status;
    port->onStatus = [&status](const QString &text) { status = text; };
    port->OpenPort(vars.CommPort, buildPortMode(vars));
    port->SetFlowControl(vars.CommFlow);
    if (!port->isOpen()) {
        *failure = status.isEmpty() ? vars.CommPort + QStringLiteral(": the port did not open") : status;
        return nullptr;
    }
    port->onStatus = std::move(notes);
    if (!status.isEmpty() && port->onStatus)
        port->onStatus(status);
    return port;
}
