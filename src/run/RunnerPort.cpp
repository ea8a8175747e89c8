#include "run/RunnerPort.h"

#include "link/AnyPOSPrinter.h"
#include "link/Link.h"
#include "printer/VirtualPrinter.h"
#include "run/RunReceipts.h"

std::unique_ptr<POSPrinter> openRunnerPort(const LinkVariables &vars, std::function<void(const QString &)> notes,
                                           RunReceipts *receipts, QString *failure)
{
    // The built-in printer, serial, USB printer-class or network, by the name.
    auto port = std::make_unique<AnyPOSPrinter>();
    if (receipts)
        receipts->attach(*port);
    // The built-in printer's own words (paper out, a macro stored) are what
    // the simulator says on its standard error: without them a run that
    // empties the roll would only read "Unable to output data".
    VirtualPOSPrinter &builtIn = port->builtIn();
    builtIn.onPrinterMade = [made = std::move(builtIn.onPrinterMade), notes](VirtualPrinter &printer) {
        if (made)
            made(printer);
        QObject::connect(&printer, &VirtualPrinter::noted, &printer, [notes](const QString &line) {
            if (notes)
                notes(QStringLiteral("printer: ") + line);
        });
    };
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
