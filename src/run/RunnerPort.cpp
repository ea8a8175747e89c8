#include "run/RunnerPort.h"

#include "link/AnyPOSPrinter.h"
#include "link/Link.h"
#include "printer/device/VirtualPrinter.h"
#include "run/RunOptions.h"
#include "run/RunReceipts.h"

bool openRunnerPort(AnyPOSPrinter &anyPort, const RunOptions &options, std::function<void(const QString &)> notes,
                    RunReceipts *receipts, QString *failure)
{
    const LinkVariables &vars = options.link;
    // The built-in printer, serial, USB printer-class or network, by the name.
    AnyPOSPrinter *port = &anyPort;
    if (receipts)
        receipts->attach(*port);
    // The built-in printer's own words (paper out, a macro stored) are what
    // the simulator says on its standard error: without them a run that
    // empties the roll would only read "Unable to output data".
    VirtualPOSPrinter &builtIn = port->builtIn();
    const qint64 rollMm = options.paperLengthMm;
    const TwoByteCode cjk = options.cjk;
    const int paperWidth = options.paperWidthDots;
    builtIn.onPrinterMade = [made = std::move(builtIn.onPrinterMade), notes, rollMm, cjk, paperWidth](VirtualPrinter &printer) {
        printer.setRoll(rollMm, PrinterState::kDefaultNearEndMm);
        printer.paper().setTwoByteEncoding(cjk);
        printer.paper().setPaperWidth(paperWidth);
        if (made)
            made(printer);
        QObject::connect(&printer, &VirtualPrinter::noted, &printer, [notes, rollMm](const QString &line) {
            if (!notes)
                return;
            // The run's roll is the option's: say which to give a longer one.
            if (line.startsWith(QLatin1String("paper out")))
                notes(QStringLiteral("printer: %1 (the roll of %2 mm is used up: --paper-length MM gives a longer one)")
                          .arg(line)
                          .arg(rollMm));
            else
                notes(QStringLiteral("printer: ") + line);
        });
    };
    QString status;
    port->onStatus = [&status](const QString &text) { status = text; };
    port->OpenPort(vars.CommPort, buildPortMode(vars));
    port->SetFlowControl(vars.CommFlow);
    if (!port->isOpen()) {
        *failure = status.isEmpty() ? vars.CommPort + QStringLiteral(": the port did not open") : status;
        return false;
    }
    port->onStatus = std::move(notes);
    if (!status.isEmpty() && port->onStatus)
        port->onStatus(status);
    return true;
}

QString waitingAtEnd(POSPrinter &port, RunReceipts *receipts)
{
    auto *any = dynamic_cast<AnyPOSPrinter *>(&port);
    if (any && any->builtIn().hasPrinter()) {
        VirtualPrinter &printer = any->builtIn().printer();
        return printer.state().waiting > 0 ? QString() : printer.paper().waitingWords();
    }
    return receipts ? receipts->waitingWords() : QString();
}
