#include "session/PortHub.h"

#include "link/AnyPOSPrinter.h"
#include "session/PaperFeed.h"
#include "printer/device/VirtualPrinter.h"
#include "session/SettingsStore.h"

PortHub::PortHub(POSPrinter *port, std::function<void(ReceiptInterpreter &)> prepare, bool withPaper,
                 QObject *parent)
    : QObject(parent), m_feed(new PaperFeed(this))
{
    m_feed->setPrepare(std::move(prepare));
    if (!port) {
        // Serial line, USB printer, network printer or the built-in one, as the port's name says.
        m_own = std::make_unique<AnyPOSPrinter>();
        m_own->onStatus = [this](const QString &text) { emit status(text); };
        m_own->setRememberedNetPorts(&SettingsStore::loadNetPorts);
        port = m_own.get();
        // The built-in printer prints on the very paper the preview shows.
        if (withPaper) {
            m_own->builtIn().setPaper([this]() -> ReceiptInterpreter & { return m_feed->printedPaper(); });
            m_own->builtIn().onPrinterMade = [this](VirtualPrinter &printer) {
                connect(&printer, &VirtualPrinter::printed, this, &PortHub::paperMoved);
            };
        }
    }
    m_port = port;
    if (!withPaper)
        return;
    m_tapped = true;
    // Every byte the port takes, whoever wrote it, is kept for the paper, also
    // while the preview is closed; it is printed later, off the sending path.
    m_port->setWriteTap([this](const QByteArray &taken) {
        m_feed->take(taken);
        emit paperMoved();
    });
}

PortHub::~PortHub()
{
    if (m_tapped)
        m_port->setWriteTap({});
}

VirtualPrinter *PortHub::ensureBuiltInPrinterFor(const QString &portName)
{
    if (!m_own || resolvePortName(portName).kind != LinkKind::Virtual)
        return nullptr;
    return &m_own->builtIn().printer();
}
