#pragma once
// SIGTERM (logout, kill), SIGHUP (terminal closed) and SIGINT (Ctrl+C) arrive
// at any moment, also inside a long operation. The handler only writes the
// signal number to a pipe; the event loop reads it and calls onQuit, so the
// program ends through its own shut-down path (settings saved, log closed)
// from inside the next serveEvents of whatever is running.
#include <QObject>
#include <functional>

class QSocketNotifier;

class QuitSignals : public QObject {
    Q_OBJECT
public:
    // One instance a process; installing a second one fails.
    explicit QuitSignals(std::function<void(int signo)> onQuit, QObject *parent = nullptr);
    ~QuitSignals() override;

    bool installed() const { return m_installed; }
    // SIGUSR1 too, which does not end the program: handler runs at each one,
    // from the event loop. False when the quit signals are not installed.
    bool alsoOnUserSignal(std::function<void()> handler);
    // The signal number that arrived first, 0 while none has.
    int received() const { return m_received; }
    // True as soon as a signal has arrived, before the event loop has seen
    // it: a long blocking wait can check it, cut itself short and serve
    // events so that onQuit runs at once.
    static bool signalled();

private:
    void readPipe();

    std::function<void(int)> m_onQuit;
    std::function<void()> m_onUser;
    QSocketNotifier *m_notifier = nullptr;
    bool m_installed = false;
    int m_received = 0;
};
