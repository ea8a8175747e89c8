// The operator's side of the virtual printer: paper, cover, drawers, errors
// and the feed button, by method or by a line of text.
#include "printer/device/VirtualPrinter.h"

#include "printer/interpreter/ReceiptInterpreter.h"

#include <QStringList>

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

QString VirtualPrinter::actionList()
{
    return QStringLiteral(
        "actions, one a line:\n"
        "  paper out | paper near-end | paper load\n"
        "  cover open | cover close\n"
        "  drawer 1 open | drawer 1 close | drawer 2 open | drawer 2 close\n"
        "  feed                 press the feed button once\n"
        "  error recoverable | error autocutter | error unrecoverable | error auto\n"
        "  recover              end the error\n"
        "  state                the whole state on one line\n"
        "  help                 this list");
}

bool VirtualPrinter::act(const QString &line, QString *text)
{
    text->clear();
    const QString action = line.simplified().toLower();
    const QStringList words = action.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto is = [&action](const char *text) { return action == QLatin1String(text); };
    if (words.isEmpty()) {
        return true;
    } else if (is("help")) {
        *text = actionList();
    } else if (is("state")) {
        *text = QStringLiteral("state: ") + stateText();
    } else if (is("paper out")) {
        paperOut();
    } else if (is("paper near-end")) {
        paperNearEnd();
    } else if (is("paper load")) {
        loadPaper();
    } else if (is("cover open") || is("cover close")) {
        openCover(words[1] == QLatin1String("open"));
    } else if (words.size() == 3 && words[0] == QLatin1String("drawer") && (words[1] == QLatin1String("1") || words[1] == QLatin1String("2"))
               && (words[2] == QLatin1String("open") || words[2] == QLatin1String("close"))) {
        setDrawer(words[1].toInt(), words[2] == QLatin1String("open"));
    } else if (is("feed")) {
        feedButton();
    } else if (is("error recoverable")) {
        setError(PrinterError::Recoverable);
    } else if (is("error autocutter")) {
        setError(PrinterError::Autocutter);
    } else if (is("error unrecoverable")) {
        setError(PrinterError::Unrecoverable);
    } else if (is("error auto")) {
        setError(PrinterError::AutoRecoverable);
    } else if (is("recover")) {
        recover();
    } else {
        *text = QStringLiteral("unknown action \"%1\": type help for the list").arg(line.trimmed());
        return false;
    }
    return true;
}

void VirtualPrinter::resetPrinter()
{
    const qsizetype dropped = waiting();
    m_macros.dropPartialCommand();
    clearBuffer();
    m_paper.resetPrinter();
    changed(QStringLiteral("printer reset: modes at their defaults, %1 bytes waiting dropped").arg(dropped));
}
