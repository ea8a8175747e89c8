#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;
class VirtualPrinter;

// The operator at the simulator's standard input: one action a line ("paper
// out", "cover open", "state"), made into a call on the printer by
// OperatorWords, whose answer (the state, the list, what was wrong with a
// line) goes to say. The end of the input changes nothing: the printer
// serves on.
class OperatorInput : public QObject
{
    Q_OBJECT
public:
    OperatorInput(VirtualPrinter &printer, std::function<void(const QString &)> say, QObject *parent = nullptr);
    ~OperatorInput() override;

    // Starts reading descriptor fd (standard input: 0).
    void start(int fd);

private:
    void onReadable();
    void stop();

    VirtualPrinter &m_printer;
    std::function<void(const QString &)> m_say;
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_line;
};
