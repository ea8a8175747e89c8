#pragma once
// The program's port and what hangs on it, joined in one place: the port
// (every link, the printer built into the program among them), the paper
// every byte the port takes goes on, and the built-in printer printing on
// that very paper. The main window shows what it is told here; it assembles
// nothing.
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class AnyPOSPrinter;
class PaperFeed;
class POSPrinter;
class ReceiptInterpreter;
class VirtualPrinter;

class PortHub : public QObject {
    Q_OBJECT
public:
    // Null port: the production one, whose built-in printer prints on the
    // feed's paper. A port given (a test's) is used as it is and has no
    // built-in printer. prepare is called once on the paper when it is made.
    // withPaper false: the port's bytes, and the built-in printer's paper, are
    // left to the caller (marlix-run's receipts).
    explicit PortHub(POSPrinter *port, std::function<void(ReceiptInterpreter &)> prepare, bool withPaper = true,
                     QObject *parent = nullptr);
    ~PortHub() override;

    POSPrinter &port() { return *m_port; }
    // The production port when this hub made it, for its owner to set up; else null.
    AnyPOSPrinter *ownPort() { return m_own.get(); }
    PaperFeed &feed() { return *m_feed; }
    // The built-in printer when portName names it (made now if it was not);
    // null for another port, or when the port was given.
    VirtualPrinter *ensureBuiltInPrinterFor(const QString &portName);

signals:
    // The paper has more on it, or will have once asked: the port took bytes,
    // or the built-in printer printed.
    void paperMoved();
    // Why the port is not usable ("" once an open succeeds), from whichever link.
    void status(const QString &text);

private:
    std::unique_ptr<AnyPOSPrinter> m_own;
    POSPrinter *m_port = nullptr;
    PaperFeed *m_feed = nullptr;
    bool m_tapped = false;
};
