#include "link/AnyPOSPrinter.h"

AnyPOSPrinter::AnyPOSPrinter()
{
    for (LinkPOSPrinter *link : links()) {
        link->onStatus = [this](const QString &text) {
            if (onStatus)
                onStatus(text);
        };
        link->setWriteTap([this](const QByteArray &taken) { tapWritten(taken); });
    }
}

void AnyPOSPrinter::setRememberedNetPorts(std::function<QStringList()> names)
{
    m_net.rememberedPorts = std::move(names);
}

LinkPOSPrinter &AnyPOSPrinter::linkFor(LinkKind kind)
{
    switch (kind) {
    case LinkKind::Usb: return m_usb;
    case LinkKind::Network: return m_net;
    case LinkKind::Serial: break;
    }
    return m_serial;
}

void AnyPOSPrinter::OpenPort(const QString &portName, const QString &portMode)
{
    // Decided afresh each time: a USB printer plugged in later, a name changed
    // in the settings.
    const LinkKind kind = resolvePortName(portName).kind;
    LinkPOSPrinter &next = linkFor(kind);
    if (&next != m_current)
        m_current->ClosePort();
    m_current = &next;
    m_kind = kind;
    m_current->OpenPort(portName, portMode);
}

void AnyPOSPrinter::ClosePort()
{
    m_current->ClosePort();
}

QByteArray AnyPOSPrinter::ReadInput(long count)
{
    return m_current->ReadInput(count);
}

void AnyPOSPrinter::SetFlowControl(long flow)
{
    m_current->SetFlowControl(flow);
}

long AnyPOSPrinter::WriteData(const QByteArray &data, long count)
{
    return m_current->WriteData(data, count);
}

void AnyPOSPrinter::SetReadTiming(long first, long gap)
{
    // Also for the links not in use: the timing holds whichever the next OpenPort picks.
    for (LinkPOSPrinter *link : links())
        link->SetReadTiming(first, gap);
}

long AnyPOSPrinter::GetWriteCount()
{
    return m_current->GetWriteCount();
}

QString AnyPOSPrinter::GetPortName(long index)
{
    if (index == 0 || m_portList.isEmpty()) {
        m_portList.clear();
        for (LinkPOSPrinter *link : links()) {
            for (long i = 0;; ++i) {
                const QString entry = link->GetPortName(i);
                if (entry.isEmpty())
                    break;
                m_portList << entry;
            }
        }
    }
    if (index < 0 || index >= m_portList.size())
        return {};
    return m_portList.at(index);
}

void AnyPOSPrinter::SetBreak(long code, const QString &unused)
{
    m_current->SetBreak(code, unused);
}

bool AnyPOSPrinter::LinkDown() const
{
    return m_current->LinkDown();
}
