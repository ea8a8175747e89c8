#include "session/QuitSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_signalled = 0;
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

extern "C" void onSignal(int signo)
{
    const int saved = errno;
    if (signo != SIGUSR1)
        g_signalled = 1;
    const unsigned char byte = static_cast<unsigned char>(signo);
    // Async-signal-safe; a full pipe only drops a repeat of a signal already queued.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}
} // namespace

QuitSignals::QuitSignals(std::function<void(int)> onQuit, QObject *parent)
    : QObject(parent), m_onQuit(std::move(onQuit))
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_signalled = 0;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::readPipe);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signo : kSignals)
        ::sigaction(signo, &action, nullptr);
    m_installed = true;
}

QuitSignals::~QuitSignals()
{
    if (!m_installed)
        return;
    for (const int signo : kSignals)
        ::signal(signo, SIG_DFL);
    if (m_onUser)
        ::signal(SIGUSR1, SIG_DFL);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

bool QuitSignals::alsoOnUserSignal(std::function<void()> handler)
{
    if (!m_installed || !handler)
        return false;
    m_onUser = std::move(handler);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGUSR1, &action, nullptr) == 0;
}

bool QuitSignals::signalled()
{
    return g_signalled != 0;
}

void QuitSignals::readPipe()
{
    unsigned char byte = 0;
    int signo = 0;
    int users = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        if (byte == SIGUSR1)
            ++users;
        else
            signo = signo ? signo : byte;
    }
    for (; users > 0 && m_onUser; --users)
        m_onUser();
    if (signo == 0 || m_received != 0)
        return; // a second signal while the first is being handled changes nothing
    m_received = signo;
    if (m_onQuit)
        m_onQuit(signo);
}
