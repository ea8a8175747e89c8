#pragma once
// The printer port component: every byte to and from the printer passes
// through these nine operations. Production uses SerialPOSPrinter; tests use
// a scripted fake that records each call.
#include <QByteArray>
#include <QString>
#include <functional>

class POSPrinter {
public:
    virtual ~POSPrinter() = default;

    // The next waiting byte (count is always 1), "" when none arrived in time.
    virtual QByteArray ReadInput(long count) = 0;
    // Leaves the port open with the given settings, also when already open.
    virtual void OpenPort(const QString &portName, const QString &portMode) = 0;
    // Does nothing when the port is closed.
    virtual void ClosePort() = 0;
    // 0 none, 1 XON/XOFF, 2 hardware.
    virtual void SetFlowControl(long flow) = 0;
    // Non-zero when accepted, 0 when not; GetWriteCount tells how many bytes went.
    virtual long WriteData(const QByteArray &data, long count) = 0;
    // First value: ms to wait for the first byte of a read; second: ms of
    // silence that ends it. (1000, 100) for a reply's first byte, (10, 10) after.
    virtual void SetReadTiming(long first, long gap) = 0;
    virtual long GetWriteCount() = 0;
    // Entry `index` of the port list ("" past the last): bare name, then
    // TAB-separated fields.
    virtual QString GetPortName(long index) = 0;
    // 1 starts a break condition, 2 ends it. The text carries nothing.
    virtual void SetBreak(long code, const QString &unused) = 0;

    // Not one of the operations above, and answered without touching the
    // line: true when the last OpenPort left the port closed, or the device
    // has gone away since (a pulled adapter, a printer switched off) and the
    // component closed it; false after ClosePort. A retry then opens first.
    virtual bool LinkDown() const { return false; }

    // Nor is this: why the printer takes nothing just now, in the operator's
    // words ("The printer is offline: paper out."); "" when the port cannot tell.
    virtual QString refusalReason() const { return {}; }

    // Also not an operation: every byte the component took (exactly what
    // GetWriteCount counts), in order, whoever wrote it. The receipt preview
    // draws from it. The tap must not serve events or write to the port.
    void setWriteTap(std::function<void(const QByteArray &)> tap) { m_tap = std::move(tap); }

    // Nor is this: called from the event loop when bytes from the printer
    // may be waiting to be read, so that a reader that is not waiting for a
    // reply (the pass-through) can fetch them at once instead of asking on a
    // timer. The hook must not read the port itself: it posts a read. A link
    // that cannot tell never calls it.
    void setInputHook(std::function<void()> hook) { m_inputHook = std::move(hook); }

protected:
    // Implementations call this when bytes from the printer may be waiting.
    void inputArrived()
    {
        if (m_inputHook)
            m_inputHook();
    }

    // Implementations call this with the bytes each write took.
    void tapWritten(const QByteArray &taken)
    {
        if (m_tap && !taken.isEmpty())
            m_tap(taken);
    }

private:
    std::function<void(const QByteArray &)> m_tap;
    std::function<void()> m_inputHook;
};
