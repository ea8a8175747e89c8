#include "run/RunnerPort.h"

#include "link/Link.h"
#include "link/SerialPOSPrinter.h"

std::unique_ptr<POSPrinter> openRunnerPort(const LinkVariables &vars,
                                           std::function<void(const QString &)> notes, QString *failure)
{
    auto serial = std::make_unique<SerialPOSPrinter>();
    QString status;
    serial->onStatus = [&status](const QString &text) { status = text; };
    serial->OpenPort(vars.CommPort, buildPortMode(vars));
    serial->SetFlowControl(vars.CommFlow);
    if (!serial->isOpen()) {
        *failure = status.isEmpty() ? vars.CommPort + QStringLiteral(": the port did not open") : status;
        return nullptr;
    }
    serial->onStatus = std::move(notes);
    if (!status.isEmpty() && serial->onStatus)
        serial->onStatus(status);
    return serial;
}
