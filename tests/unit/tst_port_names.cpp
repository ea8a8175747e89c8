// Which link a port name stands for, the tty numbers the kernel lists, and the
// make and model a USB printer's device ID gives.
#include "link/PortNames.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QtTest>

#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// "path=tty", "path=stream", "path=fifo", "path=file", "path=folder",
// "path=other": what the fake file system holds.
DeviceProbe fakeProbe(const QStringList &devices)
{
    static const QHash<QString, DeviceKind> named{
        {QStringLiteral("tty"), DeviceKind::Terminal},      {QStringLiteral("stream"), DeviceKind::Stream},
        {QStringLiteral("fifo"), DeviceKind::NamedPipe},    {QStringLiteral("file"), DeviceKind::RegularFile},
        {QStringLiteral("folder"), DeviceKind::Folder}};
    QHash<QString, DeviceKind> kinds;
    for (const QString &d : devices)
        kinds.insert(d.section(QLatin1Char('='), 0, 0), named.value(d.section(QLatin1Char('='), 1), DeviceKind::Other));
    return [kinds](const QString &path) { return kinds.value(path, DeviceKind::Missing); };
}

QByteArray idReply(const QByteArray &text, int lengthDelta = 0)
{
    const int length = int(text.size()) + 2 + lengthDelta;
    return QByteArray(1, char(length >> 8)) + char(length & 0xFF) + text;
}

// This machine's list, with a USB serial driver added.
const QByteArray kDrivers = "/dev/tty             /dev/tty        5       0 system:/dev/tty\n"
                            "/dev/console         /dev/console    5       1 system:console\n"
                            "/dev/ptmx            /dev/ptmx       5       2 system\n"
                            "/dev/vc/0            /dev/vc/0       4       0 system:vtmaster\n"
                            "usbserial            /dev/ttyUSB   188 0-511 serial\n"
                            "serial               /dev/ttyS       4 64-111 serial\n"
                            "pty_slave            /dev/pts      136 0-1048575 pty:slave\n"
                            "broken line\n"
                            "odd                  /dev/odd      x 1-2 serial\n"
                            "unknown              /dev/tty        4 1-63 console\n";
} // namespace

class TestPortNames : public QObject {
    Q_OBJECT
private slots:
    void resolve_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("devices");
        QTest::addColumn<int>("kind"); // LinkKind
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("netPort");
        QTest::addColumn<QString>("problem"); // what it says, in part; "": none
        const int serial = int(LinkKind::Serial), usb = int(LinkKind::Usb), net = int(LinkKind::Network);
        using L = QStringList;
        // Serial lines keep their rules.
        QTest::newRow("bare tty") << "ttyUSB0" << L{"/dev/ttyUSB0=tty"} << serial << "/dev/ttyUSB0" << "" << 0 << "";
        QTest::newRow("bare tty, unplugged") << "ttyUSB0" << L{} << serial << "/dev/ttyUSB0" << "" << 0 << "";
        QTest::newRow("COM name") << "COM3" << L{} << serial << "/dev/COM3" << "" << 0 << "";
        QTest::newRow("None") << "None" << L{} << serial << "/dev/None" << "" << 0 << "";
        QTest::newRow("empty") << "" << L{} << serial << "" << "" << 0 << "";
        QTest::newRow("pty") << "/dev/pts/5" << L{"/dev/pts/5=tty"} << serial << "/dev/pts/5" << "" << 0 << "";
        QTest::newRow("listed pty") << "/dev/pts/5\tMarlix printer simulator" << L{"/dev/pts/5=tty"} << serial
                                    << "/dev/pts/5" << "" << 0 << "";
        // Only terminals and character devices are ports.
        QTest::newRow("regular file") << "/etc/hostname" << L{"/etc/hostname=file"} << serial << "/etc/hostname"
                                      << "" << 0 << "/etc/hostname is a regular file, not a printer device";
        QTest::newRow("named pipe") << "ff" << L{"/dev/ff=fifo"} << serial << "/dev/ff" << "" << 0
                                    << "ff is a named pipe, not a printer device";
        QTest::newRow("folder") << "/tmp" << L{"/tmp=folder"} << serial << "/tmp" << "" << 0
                                << "/tmp is a folder, not a printer device";
        QTest::newRow("socket") << "/run/printer.sock" << L{"/run/printer.sock=other"} << serial
                                << "/run/printer.sock" << "" << 0
                                << "/run/printer.sock is not a printer device (only terminals and character devices are)";
        QTest::newRow("missing, not a printer's name") << "/dev/usb/hiddev0" << L{} << serial << "/dev/usb/hiddev0"
                                                       << "" << 0 << "";
        QTest::newRow("a tty in /dev/usb") << "/dev/usb/lp3" << L{"/dev/usb/lp3=tty"} << serial << "/dev/usb/lp3"
                                           << "" << 0 << "";
        QTest::newRow("tcp without slashes") << "tcp:printer" << L{} << serial << "/dev/tcp:printer" << "" << 0
                                             << "";
        // Character devices that are not ttys.
        QTest::newRow("USB printer") << "/dev/usb/lp0" << L{"/dev/usb/lp0=stream"} << usb << "/dev/usb/lp0" << ""
                                     << 0 << "";
        QTest::newRow("USB printer, switched off") << "/dev/usb/lp1" << L{} << usb << "/dev/usb/lp1" << "" << 0
                                                   << "";
        QTest::newRow("listed USB printer") << "/dev/usb/lp0    Marlix MX2600" << L{"/dev/usb/lp0=stream"} << usb
                                            << "/dev/usb/lp0" << "" << 0 << "";
        QTest::newRow("outside /dev") << "/tmp/printer" << L{"/tmp/printer=stream"} << usb << "/tmp/printer"
                              << "" << 0 << "";
        QTest::newRow("bare name of a device") << "null" << L{"/dev/null=stream"} << usb << "/dev/null" << "" << 0
                                               << "";
        // Bare lpN: the USB device only where no parallel one is.
        QTest::newRow("lp0, USB only") << "lp0" << L{"/dev/usb/lp0=stream"} << usb << "/dev/usb/lp0" << "" << 0
                                       << "";
        QTest::newRow("lp12, USB only") << "lp12" << L{"/dev/usb/lp12=stream"} << usb << "/dev/usb/lp12" << "" << 0
                                        << "";
        QTest::newRow("lp0, both") << "lp0" << L{"/dev/lp0=stream", "/dev/usb/lp0=stream"} << usb << "/dev/lp0"
                                   << "" << 0 << "";
        QTest::newRow("lp0, neither") << "lp0" << L{} << serial << "/dev/lp0" << "" << 0 << "";
        QTest::newRow("lpt1 is no lp name") << "lpt1" << L{"/dev/usb/lpt1=stream"} << serial << "/dev/lpt1" << ""
                                            << 0 << "";
        // The printer built into the program, in any letter case, listed or not.
        const int builtIn = int(LinkKind::Virtual);
        QTest::newRow("built-in printer") << "Virtual" << L{"/dev/Virtual=tty"} << builtIn << "" << "" << 0 << "";
        QTest::newRow("listed built-in printer") << "virtual    Virtual printer (built in)" << L{} << builtIn << "" << ""
                                                 << 0 << "";
        // Network printers.
        QTest::newRow("tcp, default port") << "tcp://printer.local" << L{} << net << "" << "printer.local" << 9100
                                           << "";
        QTest::newRow("tcp, port") << "tcp://10.0.0.7:4000" << L{} << net << "" << "10.0.0.7" << 4000 << "";
        QTest::newRow("tcp, upper case") << "TCP://Printer:9101" << L{} << net << "" << "printer" << 9101 << "";
        QTest::newRow("tcp, IPv6") << "tcp://[::1]:9100" << L{} << net << "" << "::1" << 9100 << "";
        QTest::newRow("tcp, trailing slash") << "tcp://printer/" << L{} << net << "" << "printer" << 9100 << "";
        QTest::newRow("tcp, empty port") << "tcp://printer:" << L{} << net << "" << "printer" << 9100 << "";
        QTest::newRow("tcp, highest port") << "tcp://printer:65535" << L{} << net << "" << "printer" << 65535 << "";
        QTest::newRow("listed tcp") << "tcp://printer:9100\tNetwork printer (used before)" << L{} << net << ""
                                    << "printer" << 9100 << "";
        QTest::newRow("tcp, no host") << "tcp://" << L{} << net << "" << "" << 0 << "tcp://HOST:PORT";
        QTest::newRow("tcp, port 0") << "tcp://printer:0" << L{} << net << "" << "" << 0 << "tcp://HOST:PORT";
        QTest::newRow("tcp, port too high") << "tcp://printer:65536" << L{} << net << "" << "" << 0 << "tcp://HOST:PORT";
        QTest::newRow("tcp, port not a number") << "tcp://printer:raw" << L{} << net << "" << "" << 0 << "tcp://HOST:PORT";
        QTest::newRow("tcp, path") << "tcp://printer/queue" << L{} << net << "" << "" << 0 << "tcp://HOST:PORT";
        QTest::newRow("tcp, user") << "tcp://admin@printer" << L{} << net << "" << "" << 0 << "tcp://HOST:PORT";
        QTest::newRow("tcp, query") << "tcp://printer?x=1" << L{} << net << "" << "" << 0 << "tcp://HOST:PORT";
    }

    void resolve()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, devices);
        QFETCH(int, kind);
        QFETCH(QString, path);
        QFETCH(QString, host);
        QFETCH(int, netPort);
        QFETCH(QString, problem);
        const PortTarget t = resolvePortName(name, fakeProbe(devices));
        QCOMPARE(int(t.kind), kind);
        QCOMPARE(t.path, path);
        QCOMPARE(t.host, host);
        QCOMPARE(int(t.netPort), netPort);
        QCOMPARE(t.problem.isEmpty(), problem.isEmpty());
        QVERIFY2(t.problem.contains(problem), qPrintable(t.problem));
    }

    // The real file system: nothing is opened, and a pty is a tty while
    // /dev/null is a character device and a FIFO no device at all.
    void probe_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("kind");
        QTest::newRow("FIFO") << "fifo" << int(DeviceKind::NamedPipe);
        QTest::newRow("link to a FIFO") << "link" << int(DeviceKind::NamedPipe);
        QTest::newRow("null device") << "/dev/null" << int(DeviceKind::Stream);
        QTest::newRow("pty") << "pty" << int(DeviceKind::Terminal);
        QTest::newRow("controlling tty") << "/dev/tty" << int(DeviceKind::Terminal);
        QTest::newRow("regular file") << "file" << int(DeviceKind::RegularFile);
        QTest::newRow("folder") << "folder" << int(DeviceKind::Folder);
        QTest::newRow("missing") << "missing" << int(DeviceKind::Missing);
    }

    void probe()
    {
        QFETCH(QString, what);
        QFETCH(int, kind);
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(QFile::link(fifo, dir.filePath(QStringLiteral("link"))));
        QFile file(dir.filePath(QStringLiteral("file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        int master = -1, slave = -1;
        char ptyName[256] = {};
        QCOMPARE(::openpty(&master, &slave, ptyName, nullptr, nullptr), 0);
        QString path = what.startsWith(QLatin1Char('/')) ? what : dir.filePath(what);
        if (what == QLatin1String("pty"))
            path = QString::fromLocal8Bit(ptyName);
        const DeviceKind found = probeDevice(path);
        ::close(master);
        ::close(slave);
        QCOMPARE(int(found), kind);
    }

    void ttyNumbers_data()
    {
        QTest::addColumn<uint>("major");
        QTest::addColumn<uint>("minor");
        QTest::addColumn<bool>("tty");
        QTest::newRow("pty slave") << 136u << 5u << true;
        QTest::newRow("pty slave, high") << 136u << 1048575u << true;
        QTest::newRow("single minor") << 5u << 1u << true;
        QTest::newRow("range, first") << 4u << 64u << true;
        QTest::newRow("range, last") << 4u << 111u << true;
        QTest::newRow("between ranges") << 4u << 112u << false;
        QTest::newRow("USB serial") << 188u << 3u << true;
        QTest::newRow("USB printer") << 180u << 0u << false;
        QTest::newRow("null device") << 1u << 3u << false;
        QTest::newRow("past the pty range") << 136u << 1048576u << false;
        QTest::newRow("a malformed line matches nothing") << 0u << 1u << false;
    }

    void ttyNumbers()
    {
        QFETCH(uint, major);
        QFETCH(uint, minor);
        QFETCH(bool, tty);
        QCOMPARE(isTtyDeviceNumber(kDrivers, major, minor), tty);
    }

    void deviceId_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("shown");
        QTest::newRow("make and model") << idReply("MFG:Marlix;CMD:ESC;MDL:MX2600;CLS:PRINTER;")
                                        << "Marlix MX2600";
        QTest::newRow("long keys") << idReply("MANUFACTURER:Marlix;MODEL:MX2100;") << "Marlix MX2100";
        QTest::newRow("any key case, blanks") << idReply(" mfg : Marlix ; mdl:MX2100 ;") << "Marlix MX2100";
        QTest::newRow("model repeats the make") << idReply("MFG:MARLIX;MDL:Marlix MX2600;") << "Marlix MX2600";
        QTest::newRow("model only") << idReply("MDL:MX2600;") << "MX2600";
        QTest::newRow("description only") << idReply("CLS:PRINTER;DES:Receipt printer;") << "Receipt printer";
        QTest::newRow("first of a repeated key") << idReply("MFG:Marlix;MFG:Other;MDL:MX;") << "Marlix MX";
        QTest::newRow("control characters") << idReply("MFG:Mar\tlix;MDL:MX\x01" "2600\r\n;") << "Mar lix MX 2600";
        QTest::newRow("length cuts the fields") << idReply("MFG:Marlix;MDL:MX2600;", -11) << "Marlix";
        QTest::newRow("length beyond what came") << idReply("MFG:Marlix;MDL:MX2600;", 100) << "Marlix MX2600";
        QTest::newRow("no fields") << idReply("CLS:PRINTER;") << "";
        QTest::newRow("empty ID") << idReply("") << "";
        QTest::newRow("length below two") << QByteArray("\x00\x01MFG:Marlix;", 13) << "";
        QTest::newRow("one byte") << QByteArray(1, '\x10') << "";
        QTest::newRow("the driver's zeroed buffer") << QByteArray(1024, '\0') << "";
        QTest::newRow("long model cut") << idReply("MDL:" + QByteArray(200, 'M') + ";") << QString(80, QLatin1Char('M'));
    }

    void deviceId()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, shown);
        QCOMPARE(describeDeviceId(reply), shown);
    }
};

QTEST_GUILESS_MAIN(TestPortNames)
#include "tst_port_names.moc"
