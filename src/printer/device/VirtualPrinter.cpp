// The device side of the virtual printer: bytes in, the receive buffer, the
// paper and the replies. The operator's side is in VirtualPrinterActions.cpp.
#include "printer/device/VirtualPrinter.h"

#include "printer/interpreter/ReceiptInterpreter.h"

#include "printer/commands/ControlBytes.h"

#include <algorithm>

namespace {
using namespace ControlBytes;
const QByteArray kReset("\x1B\x40", 2);
// The last bytes that went into the buffer, enough for any command found.
constexpr qsizetype kTail = 16;

// Requests answered when they are printed, not when they arrive.
bool isPrintedRequest(const QByteArray &command)
{
    return command.size() == 3 && quint8(command[0]) == GS
        && (command[1] == 'r' || command[1] == 'I' || command[1] == 'a');
}
} // namespace

VirtualPrinter::VirtualPrinter(ReceiptInterpreter &paper, QObject *parent)
    : QObject(parent)
    , m_paper(paper)
    , m_lastAsb(4, '\0')
{
    m_macros.setStopAt([](const QByteArray &command) {
        return CommandSyntax::isRealTime(command) || isPrintedRequest(command) || command == kReset;
    });
    m_paper.setRequestHandler([this](const QByteArray &command) { m_printedNow.append({command, 0}); });
    m_paper.setEventHandler([this](const ReceiptEvent &event, int) {
        // DLE DC4 opened its drawer as it arrived.
        if (event.kind == ReceiptEvent::Kind::DrawerPulse && !event.realTime)
            m_printedNow.append({QByteArray(), event.drawer});
    });
    m_fedSeen = m_paper.paperFedDots();
    for (int i = 0; i < 2; ++i) {
        m_drawerTimer[i].setSingleShot(true);
        connect(&m_drawerTimer[i], &QTimer::timeout, this, [this, i] { drawerClosedByItself(i); });
    }
    m_autoRecovery.setSingleShot(true);
    m_autoRecovery.setInterval(kDefaultAutoRecoveryMs);
    connect(&m_autoRecovery, &QTimer::timeout, this, [this] { recoveredByItself(); });
}

void VirtualPrinter::drawerClosedByItself(int drawer)
{
    if (!m_state.drawerOpen[drawer])
        return;
    m_state.drawerOpen[drawer] = false;
    changed(QStringLiteral("drawer %1 closed by itself").arg(drawer + 1));
}

void VirtualPrinter::recoveredByItself()
{
    if (m_state.error != PrinterError::AutoRecoverable)
        return;
    m_state.error = PrinterError::None;
    changed(QStringLiteral("error auto: recovered by itself"));
    print();
}

int VirtualPrinter::msToNextChange() const
{
    int next = -1;
    for (const QTimer *timer : {&m_drawerTimer[0], &m_drawerTimer[1], &m_autoRecovery}) {
        if (timer->isActive() && (next < 0 || timer->remainingTime() < next))
            next = std::max(0, timer->remainingTime());
    }
    return next;
}

void VirtualPrinter::makeDueChanges()
{
    for (int i = 0; i < 2; ++i) {
        if (m_drawerTimer[i].isActive() && m_drawerTimer[i].remainingTime() <= 0) {
            m_drawerTimer[i].stop();
            drawerClosedByItself(i);
        }
    }
    if (m_autoRecovery.isActive() && m_autoRecovery.remainingTime() <= 0) {
        m_autoRecovery.stop();
        recoveredByItself();
    }
}

VirtualPrinter::~VirtualPrinter()
{
    m_paper.setRequestHandler({});
    m_paper.setEventHandler({});
}

void VirtualPrinter::setRoll(qint64 lengthMm, qint64 nearEndMm)
{
    m_state.rollDots = std::max<qint64>(1, lengthMm) * PrinterState::kDotsPerMm;
    m_state.nearEndDots = std::max<qint64>(0, nearEndMm) * PrinterState::kDotsPerMm;
    m_state.usedDots = 0;
    m_shownUsed = 0;
}

qsizetype VirtualPrinter::receive(const QByteArray &bytes)
{
    ++m_receiving;
    qsizetype taken = 0;
    while (taken < bytes.size()) {
        const qsizetype room = kBufferSize - waiting();
        if (room <= 0)
            break;
        // Up to the end of the next command that matters as it arrives: its
        // answer comes after what went before it, and before what follows.
        const qsizetype limit = std::min(bytes.size(), taken + room);
        QByteArray answer;
        QByteArray command;
        taken += m_macros.receive(bytes.constData() + taken, limit - taken, &answer, &command);
        arrive(answer, command);
    }
    --m_receiving;
    if (taken < bytes.size())
        m_refused = true;
    else
        offerRoom(); // to another link, refused before
    reportProgress();
    return taken;
}

void VirtualPrinter::arrive(const QByteArray &answer, const QByteArray &command)
{
    for (const QString &line : m_macros.takeNotes())
        log(line);
    const QByteArray paper = m_macros.takePaper();
    // A --reply rule that answered on one of the command's bytes answers
    // instead of the printer.
    const bool ruled = !command.isEmpty() && m_macros.lastRuleMatch() > m_macros.receivedTotal() - command.size();
    m_buffer += paper;
    m_buffered += paper.size();
    m_bufferedTail = (m_bufferedTail + paper).right(kTail);
    syncWaiting();
    // The command went to the paper (not into a silent recording).
    const bool toPaper = !command.isEmpty() && m_bufferedTail.endsWith(command);
    if (ruled && isPrintedRequest(command) && toPaper)
        m_marks.push_back({m_buffered, command});
    if (!answer.isEmpty())
        emit reply(answer);
    print();
    if (command.isEmpty())
        return;
    if (CommandSyntax::isRealTime(command)) {
        // Offline, the request's own bytes wait in the buffer too; they are
        // not what FS ENQ 9 asks about.
        const qsizetype own = toPaper ? std::min(waiting(), command.size()) : 0;
        if (!ruled)
            realTime(command, own);
    } else if (command == kReset) {
        // Online it was printed with what came before it; offline it waits,
        // and the program that sent it is told the reset did not happen.
        m_state.resetRejected = !m_state.online();
        if (m_state.resetRejected)
            log(QStringLiteral("ESC @ while offline: reset rejected"));
    }
}

void VirtualPrinter::realTime(const QByteArray &command, qsizetype ownBytes)
{
    const quint8 function = command[1];
    const quint8 n = command.size() > 2 ? quint8(command[2]) : 0;
    if (quint8(command[0]) == FS) {
        if (function != 0x05)
            return;
        PrinterState asked = m_state;
        asked.waiting -= ownBytes;
        answer(PrinterStatus::condition(asked, n));
        if (n == 11)
            m_state.powerCycleAsked = true;
        return;
    }
    if (quint8(command[0]) != DLE)
        return;
    switch (function) {
    case 0x04:
        answer(PrinterStatus::transmit(m_state, n));
        return;
    case 0x05: {
        const PrinterError error = m_state.error;
        if ((n != 1 && n != 2) || (error != PrinterError::Recoverable && error != PrinterError::Autocutter))
            return;
        m_state.error = PrinterError::None;
        const qsizetype dropped = n == 2 ? waiting() : 0;
        if (n == 2)
            clearBuffer();
        changed(n == 2 ? QStringLiteral("DLE ENQ 2: %1 error recovered, %2 bytes cleared").arg(PrinterStatus::errorName(error)).arg(dropped)
                       : QStringLiteral("DLE ENQ 1: %1 error recovered").arg(PrinterStatus::errorName(error)));
        print();
        return;
    }
    case 0x14:
        // fn 1 m t: a pulse on pin 2 (m 0, drawer 1) or pin 5 (m 1, drawer 2).
        if (n == 1 && command.size() >= 5 && quint8(command[3]) <= 1)
            pulse(quint8(command[3]) + 1, QStringLiteral("DLE DC4"));
        return;
    default:
        return;
    }
}

void VirtualPrinter::print()
{
    if (m_printing)
        return;
    m_printing = true;
    bool any = false;
    // Bytes that waited for the printer to come back: say when they go.
    const qsizetype waited = m_held ? waiting() : 0;
    while (waiting() > 0 && m_state.online()) {
        // A byte at a time: the roll ends after the very byte that used it up,
        // however the bytes came.
        const qint64 end = m_buffered - waiting() + 1;
        const char *byte = m_buffer.constData() + m_head;
        ++m_head;
        m_paper.feed(QByteArray::fromRawData(byte, 1));
        any = true;
        while (!m_marks.empty() && m_marks.front().end < end)
            m_marks.pop_front();
        if (!m_marks.empty() && m_marks.front().end == end) {
            if (!m_printedNow.isEmpty() && m_printedNow.last().request == m_marks.front().command)
                m_printedNow.removeLast();
            m_marks.pop_front();
        }
        takeFedPaper();
        if (m_printedNow.isEmpty())
            continue;
        QList<Printed> met;
        met.swap(m_printedNow);
        syncWaiting();
        for (const Printed &what : met)
            handlePrinted(what);
    }
    syncWaiting();
    if (m_head == m_buffer.size()) {
        m_buffer.clear();
        m_head = 0;
    } else if (m_head >= kBufferSize) {
        m_buffer.remove(0, m_head);
        m_head = 0;
    }
    m_printing = false;
    m_held = waiting() > 0;
    if (any)
        emit printed();
    if (waited > 0 && waiting() < waited)
        log(waiting() > 0 ? QStringLiteral("printed %1 bytes that waited, %2 still waiting").arg(waited - waiting()).arg(waiting())
                          : QStringLiteral("printed %1 bytes that waited").arg(waited));
    offerRoom();
    reportProgress();
}

void VirtualPrinter::handlePrinted(const Printed &what)
{
    if (what.request.isEmpty()) {
        pulse(what.drawer, QStringLiteral("ESC p"));
        return;
    }
    const quint8 n = what.request[2];
    switch (what.request[1]) {
    case 'r':
        answer(PrinterStatus::transmitStatus(m_state, n));
        return;
    case 'I':
        answer(PrinterStatus::printerId(m_macros.identity(), n));
        return;
    case 'a':
        m_asb = n;
        sendAutomaticStatus(true);
        return;
    default: // GS ( L and GS 8 L: what the NV memory holds
        answer(m_paper.graphicsReply(what.request));
        return;
    }
}

void VirtualPrinter::answer(const QByteArray &bytes)
{
    if (!bytes.isEmpty())
        emit reply(bytes);
}

void VirtualPrinter::takeFedPaper()
{
    const qint64 fed = m_paper.paperFedDots();
    if (fed < m_fedSeen)
        m_fedSeen = 0; // its owner reset it: it counts from 0 again
    const qint64 dots = fed - m_fedSeen;
    m_fedSeen = fed;
    usePaper(dots);
}

void VirtualPrinter::usePaper(qint64 dots)
{
    if (dots <= 0 || m_state.paperOut())
        return;
    const bool wasNearEnd = m_state.nearEnd();
    m_state.usedDots = std::min(m_state.rollDots, m_state.usedDots + dots);
    if (m_state.paperOut())
        changed(QStringLiteral("paper out"));
    else if (!wasNearEnd && m_state.nearEnd())
        changed(QStringLiteral("paper near end (%1 mm left)").arg(m_state.leftDots() / PrinterState::kDotsPerMm));
}

void VirtualPrinter::clearBuffer()
{
    m_buffer.clear();
    m_head = 0;
    m_marks.clear();
    syncWaiting();
    offerRoom();
}

void VirtualPrinter::offerRoom()
{
    if (!m_refused || m_receiving > 0 || waiting() >= kBufferSize)
        return;
    m_refused = false;
    emit roomToReceive();
}

void VirtualPrinter::syncWaiting()
{
    m_state.waiting = waiting();
}

// Bytes waiting and paper used change all the time: one signal for a batch.
void VirtualPrinter::reportProgress()
{
    if (m_state.waiting == m_shownWaiting && m_state.usedDots == m_shownUsed)
        return;
    m_shownWaiting = m_state.waiting;
    m_shownUsed = m_state.usedDots;
    emit stateChanged();
}

void VirtualPrinter::changed(const QString &what)
{
    syncWaiting();
    m_shownWaiting = m_state.waiting;
    m_shownUsed = m_state.usedDots;
    log(QStringLiteral("%1: %2, %3 bytes waiting")
            .arg(what, m_state.online() ? QStringLiteral("online") : QStringLiteral("offline"))
            .arg(m_state.waiting));
    emit stateChanged();
    sendAutomaticStatus(false);
}

void VirtualPrinter::sendAutomaticStatus(bool always)
{
    if (m_asb == 0)
        return;
    const QByteArray packet = PrinterStatus::automatic(m_state);
    if (!always) {
        const QByteArray mask = PrinterStatus::automaticMask(m_asb);
        bool differs = false;
        for (int i = 0; i < packet.size(); ++i)
            differs = differs || ((packet[i] ^ m_lastAsb[i]) & mask[i]) != 0;
        if (!differs)
            return;
    }
    m_lastAsb = packet;
    emit reply(packet);
}

void VirtualPrinter::pulse(int drawer, const QString &how)
{
    if (drawer < 1 || drawer > 2 || m_state.drawerOpen[drawer - 1])
        return;
    m_state.drawerOpen[drawer - 1] = true;
    if (m_drawerClosesMs > 0)
        m_drawerTimer[drawer - 1].start(m_drawerClosesMs);
    changed(QStringLiteral("drawer %1 open (%2)").arg(drawer).arg(how));
}
