// What the three links share (LinkPOSPrinter), on a socketpair standing in for
// a device that goes away: a USB printer unplugged, a connection reset. The
// link is closed once and reported once; no FIFO can show this, as the
// component holds both of its ends.
#include "link/LinkPOSPrinter.h"

#include <QtTest>

#include <sys/socket.h>
#include <unistd.h>

namespace {
// A link on one end of a socketpair; the test holds the other end as the device.
class PairPrinter final : public LinkPOSPrinter {
public:
    ~PairPrinter() override
    {
        closeDevice();
        if (device >= 0)
            ::close(device);
    }

    int device = -1; // the test's end

    QByteArray ReadInput(long) override { return {}; }
    void OpenPort(const QString &portName, const QString &) override
    {
        beginOpen(portName);
        endLinger();
        if (m_fd < 0) {
            int ends[2];
            if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0)
                return;
            if (device >= 0)
                ::close(device);
            m_fd = ends[0];
            device = ends[1];
            ++opens;
        }
        report({});
    }
    void SetFlowControl(long) override {}
    long WriteData(const QByteArray &data, long count) override
    {
        m_writeCount = 0;
        return isOpen() ? writeTo(m_fd, Descriptor::Socket, data, count, 10) : 0;
    }
    QString GetPortName(long) override { return {}; }
    void SetBreak(long, const QString &) override {}

    int opens = 0;

private:
    bool deviceOpen() const override { return m_fd >= 0; }
    void closeDevice() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    int m_fd = -1;
};

} // namespace

class TestLinkPrinter : public QObject {
    Q_OBJECT
private slots:
    // The other end gone for good: closed once, said once, with the name as
    // the operator chose it; LinkDown until the next OpenPort or ClosePort.
    void goneDeviceIsClosedAndReportedOnce_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("shown");
        QTest::newRow("path") << "/dev/usb/lp0" << "/dev/usb/lp0";
        QTest::newRow("listed entry") << "/dev/usb/lp0\tMarlix MX2600" << "/dev/usb/lp0";
        QTest::newRow("shown with blanks") << "/dev/usb/lp1    USB printer (no device ID)" << "/dev/usb/lp1";
    }

    void goneDeviceIsClosedAndReportedOnce()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, shown);
        PairPrinter port;
        QStringList statuses;
        port.onStatus = [&](const QString &s) { statuses << s; };
        port.OpenPort(chosen, {});
        QVERIFY(!port.LinkDown());
        ::close(port.device);
        port.device = -1;
        for (int i = 0; i < 3; ++i)
            port.WriteData("AB", 2);
        QVERIFY(!port.isOpen());
        QVERIFY(port.LinkDown());
        QCOMPARE(statuses, (QStringList{QString(), shown + QStringLiteral(": the device has gone away - the port was "
                                                                          "closed; the next operation opens it again "
                                                                          "once the device is back")}));
        port.OpenPort(chosen, {});
        QVERIFY(port.isOpen());
        QCOMPARE(port.opens, 2);
        port.ClosePort();
        QVERIFY(!port.LinkDown());
    }
};

QTEST_GUILESS_MAIN(TestLinkPrinter)
#include "tst_link_printer.moc"
