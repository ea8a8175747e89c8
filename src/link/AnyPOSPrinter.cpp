#include "link/AnyPOSPrinter.h"

#include "link/NetLink.h"

namespace {
// Stands in for the network link when its module cannot be loaded: a
// network printer's name then opens nothing and says why.
class MissingLink final : public LinkPOSPrinter {
public:
    explicit MissingLink(QString why) : m_why(std::move(why)) {}
    QByteArray ReadInput(long) override { return {}; }
    void OpenPort(const QString &portName, const QString &) override
    {
        beginOpen(portName);
        report(m_shown + QStringLiteral(": ") + m_why);
    }
    void SetFlowControl(long) override {}
    long WriteData(const QByteArray &, long) override { return m_writeCount = 0; }
    QString GetPortName(long) override { return {}; }
    void SetBreak(long, const QString &) override {}

private:
    bool deviceOpen() const override { return false; }
    void closeDevice() override {}
    QString m_why;
};
} // namespace

AnyPOSPrinter::AnyPOSPrinter()
{
    attach(m_serial);
    attach(m_usb);
    attach(m_virtual);
}

void AnyPOSPrinter::attach(LinkPOSPrinter &link)
{
    link.onStatus = [this](const QString &text) {
        if (onStatus)
            onStatus(text);
    };
    link.setWriteTap([this](const QByteArray &taken) { tapWritten(taken); });
    link.setInputHook([this] { inputArrived(); });
    link.SetReadTiming(m_readFirst, m_readGap);
}

std::vector<LinkPOSPrinter *> AnyPOSPrinter::links()
{
    std::vector<LinkPOSPrinter *> all{&m_serial, &m_usb, &m_virtual};
    if (m_net)
        all.push_back(m_net.get());
    return all;
}

void AnyPOSPrinter::setRememberedNetPorts(std::function<QStringList()> names)
{
    m_rememberedNetPorts = std::move(names);
}

LinkPOSPrinter &AnyPOSPrinter::linkFor(LinkKind kind)
{
    switch (kind) {
    case LinkKind::Usb: return m_usb;
    case LinkKind::Virtual: return m_virtual;
    case LinkKind::Network:
        if (!m_net) {
            QString why;
            m_net = makeNetworkLink(&why);
            if (!m_net)
                m_net = std::make_unique<MissingLink>(why);
            attach(*m_net);
        }
        return *m_net;
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
    // Also for the links not in use (or not made yet): the timing holds
    // whichever the next OpenPort picks.
    m_readFirst = first;
    m_readGap = gap;
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
        for (LinkPOSPrinter *link : {static_cast<LinkPOSPrinter *>(&m_virtual), static_cast<LinkPOSPrinter *>(&m_serial),
                                     static_cast<LinkPOSPrinter *>(&m_usb)}) {
            for (long i = 0;; ++i) {
                const QString entry = link->GetPortName(i);
                if (entry.isEmpty())
                    break;
                m_portList << entry;
            }
        }
        // The network printers used before: names from the settings, no link needed.
        if (m_rememberedNetPorts) {
            for (const QString &name : m_rememberedNetPorts())
                m_portList << rememberedNetEntry(name);
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
