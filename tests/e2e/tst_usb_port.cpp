// What only the USB printer-class port component does (what every link does
// is in tst_port_contract), against a FIFO standing in for
// /dev/usb/lp0: a file that is not a tty, opened read-write and non-blocking
// as the device is. A FIFO has no device-ID ioctl, as a device without the
// usblp driver has none.
#include "link/AnyPOSPrinter.h"
#include "link/UsbPOSPrinter.h"
#include "support/LinkFixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kMode = QStringLiteral("baud=19200 parity=N data=8 stop=1");
} // namespace

class TestUsbPort : public QObject {
    Q_OBJECT
private slots:
    // A printer that takes no more: the count is what the device took, to the
    // byte, and the rest goes once it has room again.
    void fullDeviceTakesPartOfAWrite()
    {
        FifoPrinter fifo;
        QVERIFY(fifo.isValid());
        const int capacity = ::fcntl(fifo.printer, F_GETPIPE_SZ);
        QVERIFY(capacity > 0);
        UsbPOSPrinter port;
        QByteArray tapped;
        port.setWriteTap([&](const QByteArray &taken) { tapped += taken; });
        port.OpenPort(fifo.path, kMode);
        QByteArray data(capacity * 3, '\0');
        for (int i = 0; i < data.size(); ++i)
            data[i] = char((i * 7) % 251);
        QCOMPARE(port.WriteData(data, long(data.size())), 1L);
        QCOMPARE(port.GetWriteCount(), long(capacity));
        QCOMPARE(port.WriteData(data.mid(capacity), long(data.size() - capacity)), 0L);
        QCOMPARE(port.GetWriteCount(), 0L);
        QCOMPARE(tapped, data.left(capacity));
        QByteArray arrived = fifo.printed();
        qsizetype sent = capacity;
        while (sent < data.size()) {
            QVERIFY(port.WriteData(data.mid(sent), long(data.size() - sent)) != 0);
            sent += port.GetWriteCount();
            arrived += fifo.printed();
        }
        QCOMPARE(arrived, data);
        QCOMPARE(tapped, data);
    }

    // The name alone decides the link, each time the port opens: a FIFO or a
    // character device that is not a tty goes to the USB component, a pty to
    // the serial one; the status, the tap and LinkDown come through.
    void theDispatcherPicksByTheDevice()
    {
        FifoPrinter fifo;
        QVERIFY(fifo.isValid());
        PtyLine line;
        QVERIFY(!line.path.isEmpty());
        AnyPOSPrinter port;
        QStringList statuses;
        port.onStatus = [&](const QString &s) { statuses << s; };
        QByteArray tapped;
        port.setWriteTap([&](const QByteArray &taken) { tapped += taken; });
        port.SetReadTiming(10, 10); // before the first open: holds for every link

        port.OpenPort(fifo.path, kMode);
        QCOMPARE(port.currentLink(), LinkKind::Usb);
        QVERIFY(port.isOpen());
        QCOMPARE(port.WriteData("USB", 3), 1L);
        QCOMPARE(port.GetWriteCount(), 3L);
        QCOMPARE(fifo.printed(), QByteArray("USB"));

        port.OpenPort(line.path, kMode);
        QCOMPARE(port.currentLink(), LinkKind::Serial);
        QVERIFY(port.isOpen());
        QCOMPARE(port.WriteData("TTY", 3), 1L);
        QTRY_COMPARE(line.output(), QByteArray("TTY"));

        port.OpenPort(QStringLiteral("/dev/null"), kMode);
        QCOMPARE(port.currentLink(), LinkKind::Usb);
        QVERIFY(port.isOpen());
        QCOMPARE(port.WriteData("gone", 4), 1L);
        QCOMPARE(port.ReadInput(1), QByteArray()); // nothing ever comes from it

        port.OpenPort(QStringLiteral("/dev/usb/lp97"), kMode);
        QVERIFY(port.LinkDown());
        port.ClosePort();
        QVERIFY(!port.LinkDown());
        QCOMPARE(tapped, QByteArray("USBTTYgone"));
        QCOMPARE(statuses.mid(0, 3), (QStringList{QString(), QString(), QString()}));
        QVERIFY2(statuses.last().startsWith(QLatin1String("/dev/usb/lp97: ")), qPrintable(statuses.last()));
    }

    // USB printers are listed with the make and model their device ID gives;
    // a device without the ioctl (or one that cannot be opened) still is, and
    // says so. The port list never fails because of it.
    void portEntriesWithoutADeviceId()
    {
        QTemporaryDir dir;
        for (const char *name : {"lp10", "lp2", "lp0"})
            QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QLatin1String(name))).constData(), 0600), 0);
        QVERIFY(writeFile(dir.filePath(QStringLiteral("hiddev0")), QByteArray()));
        const QStringList expected{dir.filePath(QStringLiteral("lp0")) + QStringLiteral("\tUSB printer (no device ID)"),
                                   dir.filePath(QStringLiteral("lp2")) + QStringLiteral("\tUSB printer (no device ID)"),
                                   dir.filePath(QStringLiteral("lp10")) + QStringLiteral("\tUSB printer (no device ID)")};
        QCOMPARE(UsbPOSPrinter::portEntries(dir.path()), expected);

        // The device this component holds open is asked through its own descriptor.
        FifoPrinter fifo;
        UsbPOSPrinter port;
        port.OpenPort(fifo.path, kMode);
        const int fd = ::open(QFile::encodeName(fifo.path).constData(), O_RDWR | O_NONBLOCK);
        QVERIFY(fd >= 0);
        QCOMPARE(UsbPOSPrinter::deviceDescription(fd), QString());
        QCOMPARE(UsbPOSPrinter::portEntries(fifo.dir.path(), fd, fifo.path),
                 QStringList{fifo.path + QStringLiteral("\tUSB printer (no device ID)")});
        ::close(fd);
        QCOMPARE(UsbPOSPrinter::portEntries(dir.filePath(QStringLiteral("missing"))), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestUsbPort)
#include "tst_usb_port.moc"
