#pragma once
// The simulator as a whole, from its options: the printer on its paper (drawn
// with --receipts, decoded with --decode, else only measured against the
// roll), the pty and network servers, the --link symlink, the registry entry
// through which the terminal's port list finds it, and the operator's input.
#include "SimOptions.h"

#include <QString>

#include <memory>

class OperatorInput;
class PtyServer;
class ReceiptFiles;
class ReceiptInterpreter;
class TcpServer;
class VirtualPrinter;

class Simulator
{
public:
    explicit Simulator(const SimOptions &options);
    ~Simulator();
    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    // Opens the servers, announces the port names on standard output and
    // starts reading the operator's input; false with the reason when the
    // simulator cannot serve.
    bool start(QString *error);
    // SIGUSR1: stop reading from the line, or read again.
    void toggleBusy();
    // At the end: what was not printed, the receipt still open; the exit
    // status it leaves: 4 when a receipt differs from the baseline, 1 when
    // the check could not be made.
    int finish();

private:
    void announce();

    SimOptions m_options;
    std::unique_ptr<ReceiptFiles> m_receipts;
    std::unique_ptr<ReceiptInterpreter> m_unseen;
    std::unique_ptr<VirtualPrinter> m_printer;
    std::unique_ptr<PtyServer> m_server;
    std::unique_ptr<TcpServer> m_network;
    std::unique_ptr<OperatorInput> m_operator;
    QString m_slave;
    bool m_registered = false;
};

// Started with standard input, output or error closed, the pty would get
// their numbers, and the operator's input would read the line.
void keepStandardDescriptors();
