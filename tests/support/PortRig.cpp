#include "support/PortRig.h"

#include "printer/device/VirtualPrinter.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QtTest>

#include <cerrno>
#include <unistd.h>

void addLinkRows()
{
    QTest::addColumn<LinkKind>("link");
    QTest::newRow("serial") << LinkKind::Serial;
    QTest::newRow("USB") << LinkKind::Usb;
    QTest::newRow("network") << LinkKind::Network;
    QTest::newRow("built-in") << LinkKind::Virtual;
}

PortRig::PortRig(LinkKind link, const PrinterScript &script) : m_link(link), m_script(script)
{
    port.onStatus = [this](const QString &s) { statuses << s; };
    port.setWriteTap([this](const QByteArray &taken) { tapped += taken; });
}

PortRig::~PortRig() = default;

bool PortRig::start()
{
    if (m_link == LinkKind::Serial || m_link == LinkKind::Network) {
        QStringList args;
        for (const auto &[request, response] : std::as_const(m_script.replies))
            args << QStringLiteral("--reply") << QString::fromLatin1(request.toHex() + '=' + response.toHex());
        if (m_script.delayMs > 0)
            args << QStringLiteral("--reply-delay") << QString::number(m_script.delayMs);
        m_sim = std::make_unique<SimProcess>(m_link == LinkKind::Network ? withTcp(args) : args, false);
        if (!m_sim->start()) {
            m_why = m_sim->error();
            return false;
        }
        m_name = m_link == LinkKind::Network ? m_sim->netPort() : m_sim->port();
    } else if (m_link == LinkKind::Usb) {
        m_fifo = std::make_unique<FifoPrinter>();
        if (!m_fifo->isValid()) {
            m_why = QStringLiteral("no FIFO");
            return false;
        }
        m_name = m_fifo->path;
    } else {
        m_name = QStringLiteral("virtual");
        if (m_script.delayMs == 0) {
            for (const auto &[request, response] : std::as_const(m_script.replies))
                builtIn()->macros().addReplyRule(request, response);
        }
    }
    return true;
}

QString PortRig::listedName() const
{
    switch (m_link) {
    case LinkKind::Serial:
        return m_name + QStringLiteral("\tMarlix printer simulator");
    case LinkKind::Usb:
        return m_name + QStringLiteral("\tUSB printer (no device ID)");
    case LinkKind::Network:
        return m_name + QStringLiteral("\tNetwork printer (used before)");
    default:
        return QStringLiteral("virtual\tVirtual printer (built in)");
    }
}

VirtualPrinter *PortRig::builtIn()
{
    return m_link == LinkKind::Virtual ? &port.builtIn().printer() : nullptr;
}

void PortRig::ask(const QByteArray &request)
{
    if (m_link == LinkKind::Virtual && m_script.delayMs > 0) {
        // Held up until the error clears by itself; then the request is printed and answered.
        builtIn()->setAutoRecoveryAfter(m_script.delayMs);
        builtIn()->setError(PrinterError::AutoRecoverable);
    }
    port.WriteData(request, long(request.size()));
    if (m_link != LinkKind::Usb)
        return;
    m_got += m_fifo->printed(); // the request, out of the way of the reply
    for (const auto &[req, response] : std::as_const(m_script.replies)) {
        if (!request.endsWith(req))
            continue;
        if (m_script.delayMs == 0) {
            m_fifo->reply(response);
            continue;
        }
        QString octal;
        for (const char c : response)
            octal += QStringLiteral("\\%1").arg(uint(quint8(c)), 3, 8, QLatin1Char('0'));
        QProcess::startDetached(QStringLiteral("/bin/sh"),
                                {QStringLiteral("-c"),
                                 QStringLiteral("sleep %1; printf '%2' > \"$0\"").arg(m_script.delayMs / 1000.0).arg(octal),
                                 m_fifo->path});
    }
}

void PortRig::expectOut(const QByteArray &bytes)
{
    if (m_link != LinkKind::Virtual)
        return;
    m_witness = QByteArray("\xA5\x5A witness", 10);
    builtIn()->macros().addReplyRule(bytes, m_witness);
}

bool PortRig::printerGot(const QByteArray &bytes)
{
    switch (m_link) {
    case LinkKind::Serial:
    case LinkKind::Network:
        return m_sim->waitForReceived(int(bytes.size())) && m_sim->received() == bytes;
    case LinkKind::Usb: {
        const QDeadlineTimer deadline(3000);
        while ((m_got += m_fifo->printed()).size() < bytes.size() && !deadline.hasExpired())
            QTest::qWait(5);
        return m_got == bytes;
    }
    default:
        return !m_witness.isEmpty() && readReply(port).endsWith(m_witness);
    }
}

bool PortRig::vanish()
{
    if (m_link != LinkKind::Serial && m_link != LinkKind::Network)
        return false;
    m_sim->stop();
    return true;
}

QString PortRig::goneText() const
{
    if (m_link == LinkKind::Network)
        return QStringLiteral(": the printer has dropped the connection - it was closed; the next operation "
                              "connects again once the printer is back");
    return QStringLiteral(": the device has gone away - the port was closed; the next operation opens it again "
                          "once the device is back");
}

bool PortRig::held()
{
    switch (m_link) {
    case LinkKind::Usb: {
        // Held, the FIFO has a writer besides us: no end of file.
        char byte = 0;
        const ssize_t n = ::read(m_fifo->printer, &byte, 1);
        if (n > 0)
            m_got += byte;
        return n != 0;
    }
    case LinkKind::Network:
        QCoreApplication::processEvents();
        return !m_sim->log().contains(QStringLiteral("network: connection closed"));
    default:
        return port.isOpen();
    }
}
