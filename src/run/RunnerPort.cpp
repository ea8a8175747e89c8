#include "run/RunnerPort.h"

#include "link/AnyPOSPrinter.h"
#include "link/Link.h"

std::unique_ptr<POSPrinter> openRunnerPort(const LinkVariables &vars,
                                           std::function<void(const QString &)> notes, QString *failure)
{
    // Serial, USB printer-class or network, by the name.
    auto port = std::make_unique<AnyPOSPrinter>();
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
