#pragma once
// What the serial, USB and network port components share: the port's name as
// the operator chose it, the status reports, the read timing, the write count,
// writing straight to a descriptor, closing once when the device goes away,
// and holding a device for a moment after ClosePort where closing loses data.
#include "link/POSPrinter.h"

#include <QTimer>
#include <functional>

class QIODevice;

class LinkPOSPrinter : public POSPrinter {
public:
    LinkPOSPrinter();

    // Why the port is not usable ("" once an open succeeds). Shown in the status line.
    std::function<void(const QString &)> onStatus;

    void ClosePort() override;
    void SetReadTiming(long first, long gap) override;
    long GetWriteCount() override { return m_writeCount; }
    bool LinkDown() const override { return m_wantOpen && !isOpen(); }

    // Open for use: not closed, and not merely held after ClosePort.
    bool isOpen() const { return deviceOpen() && !m_lingering; }

protected:
    enum class Descriptor { Device, Socket };

    void report(const QString &text);
    // The start of every OpenPort: the name shown in reports, and the wish to be open.
    void beginOpen(const QString &portName);
    // The device went away under an open port: close it once and say so.
    void lose();
    // Says so for a link that has closed itself.
    void reportLost();
    // Closes the device now, also one held after ClosePort.
    void closeLink();

    virtual bool deviceOpen() const = 0;
    virtual void closeDevice() = 0;
    // A device that drops what it holds when closed (a reply on its way: a
    // network connection, the usblp driver's read buffer) is held this long
    // after ClosePort, so that the OpenPort that follows at once (Get
    // Response, Send Command with Auto Query) finds the reply still there.
    // 0: ClosePort closes at once.
    virtual int lingerMs() const { return 0; }
    // The device held after ClosePort is back in use (the caller checks it is
    // the one wanted), or it was closed under us.
    void endLinger();
    bool lingering() const { return m_lingering; }
    // What lose() says after the port's name.
    virtual QString goneText() const;

    // Writes up to count bytes of data straight to the descriptor, so that
    // every byte counted as taken is in the kernel's hands and none is left
    // queued behind our back; waits up to stallMs for room that does not come.
    // Sets the write count, taps what went, and loses the link when the other
    // end is gone for good. Non-zero when anything (or nothing asked) went.
    long writeTo(int fd, Descriptor kind, const QByteArray &data, long count, int stallMs);
    // Up to count bytes from the device: waits per the read timing for the
    // first to arrive, "" when none does.
    QByteArray readFrom(QIODevice &device, long count);

    // Failures that mean the other end of the link is gone, not just busy.
    static bool isGoneError(int error);

    QString m_shown;         // the port's name as the operator chose it
    bool m_wantOpen = false; // OpenPort was called and no ClosePort since
    long m_readWaitMs = 10;
    long m_writeCount = 0;

private:
    QTimer m_linger;
    bool m_lingering = false;
};
