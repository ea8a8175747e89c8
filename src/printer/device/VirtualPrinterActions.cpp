// The operator's side of the virtual printer: paper, cover, drawers, errors
// and the feed button.
#include "printer/device/VirtualPrinter.h"

#include "printer/interpreter/ReceiptInterpreter.h"

namespace {
QString said(const QString &action, const QString &why)
{
    return QStringLiteral("%1: %2, nothing changed").arg(action, why);
}
} // namespace

QString VirtualPrinter::stateText() const
{
    const QString automatic = m_asb == 0
        ? QStringLiteral("status back off")
        : QStringLiteral("status back %1").arg(QString::number(m_asb, 16).rightJustified(2, QLatin1Char('0')).toUpper());
    return PrinterStatus::describe(m_state) + QStringLiteral(", ") + automatic;
}

void VirtualPrinter::loadPaper()
{
    m_state.usedDots = 0;
    changed(QStringLiteral("paper load"));
    print();
}

void VirtualPrinter::paperNearEnd()
{
    if (m_state.nearEndDots <= 0) {
        log(said(QStringLiteral("paper near-end"), QStringLiteral("the near-end length is 0")));
        return;
    }
    // A millimetre past the near-end mark, as the sensor trips.
    m_state.usedDots = std::max<qint64>(0, m_state.rollDots - (m_state.nearEndDots - PrinterState::kDotsPerMm));
    changed(QStringLiteral("paper near-end"));
    print();
}

void VirtualPrinter::paperOut()
{
    m_state.usedDots = m_state.rollDots;
    changed(QStringLiteral("paper out"));
}

void VirtualPrinter::openCover(bool open)
{
    const QString action = open ? QStringLiteral("cover open") : QStringLiteral("cover close");
    if (m_state.coverOpen == open) {
        log(said(action, open ? QStringLiteral("it is open") : QStringLiteral("it is closed")));
        return;
    }
    m_state.coverOpen = open;
    changed(action);
    print();
}

void VirtualPrinter::setDrawer(int drawer, bool open)
{
    if (drawer < 1 || drawer > 2)
        return;
    const QString action = QStringLiteral("drawer %1 %2").arg(drawer).arg(open ? QStringLiteral("open") : QStringLiteral("close"));
    bool &isOpen = m_state.drawerOpen[drawer - 1];
    if (isOpen == open) {
        log(said(action, open ? QStringLiteral("it is open") : QStringLiteral("it is closed")));
        return;
    }
    isOpen = open;
    if (open && m_drawerClosesMs > 0)
        m_drawerTimer[drawer - 1].start(m_drawerClosesMs);
    else
        m_drawerTimer[drawer - 1].stop();
    changed(action);
}

void VirtualPrinter::feedButton()
{
    if (m_state.coverOpen || m_state.paperOut()) {
        log(said(QStringLiteral("feed"), m_state.coverOpen ? QStringLiteral("the cover is open") : QStringLiteral("no paper")));
        return;
    }
    // Down and up again: whoever watches the button sees both.
    m_state.feedHeld = true;
    emit stateChanged();
    sendAutomaticStatus(false);
    // The paper it feeds is drawn, and used from the roll as printing uses it.
    m_paper.feedByButton(kButtonFeedDots);
    takeFedPaper();
    m_state.feedHeld = false;
    changed(QStringLiteral("feed (%1 dots)").arg(kButtonFeedDots));
    emit printed();
}

void VirtualPrinter::setError(PrinterError error)
{
    if (error == PrinterError::None) {
        recover();
        return;
    }
    const QString action = QStringLiteral("error %1").arg(PrinterStatus::errorName(error));
    if (m_state.error == error) {
        log(said(action, QStringLiteral("it holds already")));
        return;
    }
    m_state.error = error;
    if (error == PrinterError::AutoRecoverable)
        m_autoRecovery.start();
    else
        m_autoRecovery.stop();
    changed(action);
}

void VirtualPrinter::recover()
{
    if (m_state.error == PrinterError::None) {
        log(said(QStringLiteral("recover"), QStringLiteral("no error holds")));
        return;
    }
    m_state.error = PrinterError::None;
    m_autoRecovery.stop();
    changed(QStringLiteral("recover"));
    print();
}

void VirtualPrinter::resetPrinter()
{
    const qsizetype dropped = waiting();
    m_macros.dropPartialCommand();
    clearBuffer();
    m_paper.resetPrinter();
    changed(QStringLiteral("printer reset: modes at their defaults, %1 bytes waiting dropped").arg(dropped));
}
