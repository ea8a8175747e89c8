#include "link/VirtualPOSPrinter.h"

#include "link/PortNames.h"
#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/device/VirtualPrinter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>

VirtualPOSPrinter::VirtualPOSPrinter() = default;

VirtualPOSPrinter::~VirtualPOSPrinter()
{
    // The printer lets go of the paper's handlers before the paper can go.
    m_printer.reset();
}

VirtualPrinter &VirtualPOSPrinter::printer()
{
    if (m_printer)
        return *m_printer;
    ReceiptInterpreter *paper = nullptr;
    if (m_printedPaper) {
        paper = &m_printedPaper();
    } else {
        m_ownPaper = std::make_unique<ReceiptInterpreter>();
        paper = m_ownPaper.get();
    }
    m_printer = std::make_unique<VirtualPrinter>(*paper);
    // A reply is on its way as soon as the printer makes it, and readable
    // once the event loop has carried it, as a line's bytes are.
    QObject::connect(m_printer.get(), &VirtualPrinter::reply, m_printer.get(),
                     [this](const QByteArray &bytes) { arrive(bytes); }, Qt::QueuedConnection);
    if (onPrinterMade)
        onPrinterMade(*m_printer);
    return *m_printer;
}

void VirtualPOSPrinter::arrive(const QByteArray &bytes)
{
    m_input += bytes;
    inputArrived();
}

void VirtualPOSPrinter::deliverReplies()
{
    // What the printer already answered may still be on its way.
    QCoreApplication::sendPostedEvents(m_printer.get(), QEvent::MetaCall);
}

void VirtualPOSPrinter::OpenPort(const QString &portName, const QString &)
{
    beginOpen(portName);
    // Each time: the owner's paper may hold bytes another link sent before,
    // which print before this link's.
    if (m_printer && m_printedPaper)
        m_printedPaper();
    printer();
    endLinger();
    m_open = true;
    report(QString());
}

long VirtualPOSPrinter::WriteData(const QByteArray &data, long count)
{
    // Nothing goes to the write tap: the printer prints on its paper itself.
    m_writeCount = 0;
    const qsizetype total = std::clamp<qsizetype>(count, 0, data.size());
    if (!isOpen() || total == 0)
        return total == 0 ? 1 : 0;
    const qsizetype taken = printer().receive(data.left(total));
    m_writeCount = long(taken);
    return taken > 0 ? 1 : 0;
}

QByteArray VirtualPOSPrinter::ReadInput(long count)
{
    if (!isOpen() || count < 1)
        return {};
    // As a line's read waits in the kernel, this one serves no events (no
    // timer of the program, no queued signal, no operator's input runs in the
    // middle of it); only the printer's own clock runs, since a drawer
    // closing or an error recovering may make it speak while we wait.
    const QDeadlineTimer deadline(m_readWaitMs);
    for (deliverReplies(); m_input.isEmpty() && !deadline.hasExpired(); deliverReplies()) {
        const qint64 left = deadline.remainingTime();
        const int next = printer().msToNextChange();
        m_pump->sleepMs(int(next < 0 ? left : std::min<qint64>(left, next)));
        printer().makeDueChanges();
    }
    const QByteArray read = m_input.left(count);
    m_input.remove(0, read.size());
    return read;
}

QString VirtualPOSPrinter::GetPortName(long index)
{
    if (index != 0)
        return {};
    return QLatin1String(kVirtualPortName) + QLatin1Char('\t') + QLatin1String(kVirtualPortShown);
}

QString VirtualPOSPrinter::refusalReason() const
{
    if (!m_printer || !isOpen() || m_printer->state().online())
        return {};
    return QStringLiteral("The printer is offline: %1.").arg(PrinterStatus::offlineReasons(m_printer->state()));
}
