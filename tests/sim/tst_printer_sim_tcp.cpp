// The simulator as a network printer (--tcp): the same printer as on its pty,
// one connection at a time.
#include "link/AnyPOSPrinter.h"
#include "support/SimProcess.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QtTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr int kWaitMs = 10000;

// A client of the simulator's network port.
struct Client {
    QTcpSocket socket;
    bool connectTo(quint16 port)
    {
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        return socket.waitForConnected(kWaitMs);
    }
    bool send(const QByteArray &bytes)
    {
        return socket.write(bytes) == bytes.size() && socket.waitForBytesWritten(kWaitMs);
    }
    // Reads until `size` bytes came, or the bound.
    QByteArray take(qsizetype size)
    {
        QByteArray got = socket.readAll();
        QDeadlineTimer deadline(kWaitMs);
        while (got.size() < size && !deadline.hasExpired() && socket.waitForReadyRead(int(deadline.remainingTime())))
            got += socket.readAll();
        return got;
    }
};

// The terminal's end of the simulator's pty.
struct Pty {
    int fd = -1;
    explicit Pty(const QString &path)
    {
        fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios tio{};
        if (fd >= 0 && ::tcgetattr(fd, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(fd, TCSANOW, &tio);
        }
    }
    ~Pty()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool send(const QByteArray &bytes) { return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size(); }
};

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray kRecordM1 = hex("1B6701") + "AB" + hex("1B6702") + hex("1B1F6D") + "M1" + QByteArray(1, '\0');
const QByteArray kPlayM1 = hex("1B1F72") + "M1" + QByteArray(1, '\0');
} // namespace

class TestPrinterSimTcp : public QObject {
    Q_OBJECT

    static void startOrFail(SimProcess &sim)
    {
        QVERIFY2(sim.start(), qPrintable(sim.error()));
    }

private slots:
    void initTestCase()
    {
        // Our own simulator registry, apart from any simulator running for someone else.
        static QTemporaryDir tmp;
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    }

    // The pty line stays first, so that readers of one line keep working.
    void portLines()
    {
        SimProcess sim(withTcp());
        startOrFail(sim);
        QVERIFY2(sim.port().startsWith(QLatin1String("/dev/pts/")), qPrintable(sim.port()));
        static const QRegularExpression name(QStringLiteral("^tcp://127\\.0\\.0\\.1:([0-9]+)$"));
        const QRegularExpressionMatch m = name.match(sim.netPort());
        QVERIFY2(m.hasMatch(), qPrintable(sim.netPort()));
        QCOMPARE(m.captured(1).toUInt(), uint(sim.tcpPort()));
        Client client;
        QVERIFY(client.connectTo(sim.tcpPort()));
    }

    // One printer behind both links: what one link did, the other sees.
    void onePrinterOnBothLinks_data()
    {
        QTest::addColumn<bool>("recordOnNetwork");
        QTest::newRow("record on the network, play on the pty") << true;
        QTest::newRow("record on the pty, play on the network") << false;
    }

    void onePrinterOnBothLinks()
    {
        QFETCH(bool, recordOnNetwork);
        SimProcess sim(withTcp({QStringLiteral("--reply"), QStringLiteral("1004=1501")}), false);
        startOrFail(sim);
        Client client;
        QVERIFY(client.connectTo(sim.tcpPort()));
        Pty pty(sim.port());
        QVERIFY(pty.fd >= 0);
        // Identity and reply rules answer on the network as on the line.
        QVERIFY(client.send(hex("0515")));
        QCOMPARE(client.take(16), QByteArray("CMD MX2600 V1.00"));
        QVERIFY(client.send(hex("1004")));
        QCOMPARE(client.take(2), hex("1501"));
        if (recordOnNetwork) {
            QVERIFY(client.send(kRecordM1));
            QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains(QStringLiteral("stored M1 (2 bytes)")), kWaitMs);
            QVERIFY(pty.send(kPlayM1));
        } else {
            QVERIFY(pty.send(kRecordM1));
            QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains(QStringLiteral("stored M1 (2 bytes)")), kWaitMs);
            QVERIFY(client.send(kPlayM1));
        }
        QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains(QStringLiteral("played M1 (2 bytes)")), kWaitMs);
        // The list query answers the network client with the macro stored.
        QVERIFY(client.send(hex("0517")));
        const QByteArray list = hex("0220") + "2      User   M1\r\n";
        QCOMPARE(client.take(list.size()), list);
        // Every byte from either link is recorded.
        const QByteArray network = hex("0515") + hex("1004") + (recordOnNetwork ? kRecordM1 : kPlayM1) + hex("0517");
        const QByteArray line = recordOnNetwork ? kPlayM1 : kRecordM1;
        QVERIFY(sim.waitForReceived(int(network.size() + line.size()), kWaitMs));
        QCOMPARE(sim.received().size(), network.size() + line.size());
    }

    // A second client waits until the first has closed; then its bytes,
    // sent long before, are read.
    void oneConnectionAtATime()
    {
        SimProcess sim(withTcp());
        startOrFail(sim);
        Client first;
        Client second;
        QVERIFY(first.connectTo(sim.tcpPort()));
        QVERIFY(first.send("1"));
        QVERIFY(sim.waitForReceived(1));
        QVERIFY(second.connectTo(sim.tcpPort())); // the kernel takes it; the printer does not yet
        QVERIFY(second.send("2"));
        QVERIFY(first.send("3"));
        QVERIFY(sim.waitForReceived(2));
        QCOMPARE(sim.received(), QByteArray("13"));
        first.socket.disconnectFromHost();
        QVERIFY(sim.waitForReceived(3));
        QCOMPARE(sim.received(), QByteArray("132"));
        // The second is served fully: it gets replies too.
        QVERIFY(second.send(hex("0515")));
        QCOMPARE(second.take(16), QByteArray("CMD MX2600 V1.00"));
    }

    // A client that resets its connection before the printer takes it up is
    // logged as gone, not as a connection from nowhere; the next is served.
    void resetBeforeItWasServed()
    {
        SimProcess sim(withTcp(), false);
        startOrFail(sim);
        sim.halt(true);
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(sim.tcpPort());
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to), 0); // the kernel's backlog takes it
        const linger reset{1, 0};
        QCOMPARE(::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset), 0);
        ::close(fd);
        sim.halt(false);
        Client next;
        QVERIFY(next.connectTo(sim.tcpPort()));
        QVERIFY(next.send("Z"));
        QVERIFY(sim.waitForReceived(1));
        QCOMPARE(sim.received(), QByteArray("Z"));
        QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains(QLatin1String("received 5A")), kWaitMs);
        const QString log = sim.log();
        QVERIFY2(log.contains(QLatin1String("network: a connection was reset before it was served\n")), qPrintable(log));
        QVERIFY2(!log.contains(QLatin1String("connection from  port")), qPrintable(log));
        QVERIFY2(log.contains(QLatin1String("network: connection from 127.0.0.1 port ")), qPrintable(log));
    }

    // A port another program holds: the simulator says so and does not start.
    void portInUseIsAStartFailure()
    {
        SimProcess first(withTcp());
        startOrFail(first);
        QProcess second;
        second.start(QStringLiteral(MARLIX_SIM_PATH), {QStringLiteral("--tcp"), QString::number(first.tcpPort())});
        QVERIFY(second.waitForFinished(kWaitMs));
        QCOMPARE(second.exitCode(), 1);
        QCOMPARE(second.readAllStandardOutput(), QByteArray());
        const QString error = QString::fromLocal8Bit(second.readAllStandardError());
        QVERIFY2(error.startsWith(QStringLiteral("marlix-printer-sim: --tcp %1: ").arg(first.tcpPort())),
                 qPrintable(error));
    }

    void receiptsFromTheNetwork()
    {
        QTemporaryDir dir;
        SimProcess sim(withTcp({QStringLiteral("--receipts"), dir.path()}));
        startOrFail(sim);
        Client client;
        QVERIFY(client.connectTo(sim.tcpPort()));
        QVERIFY(client.send(QByteArray("A\n\x1DV\x00", 5)));
        const QString receipt = dir.filePath(QStringLiteral("receipt-001.png"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(receipt), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(QImage(receipt).size(), QSize(576, 30), kWaitMs);
    }

    // NV graphics belong to the printer, as macros do: defined on the line,
    // printed from the network, after an ESC @.
    void nvGraphicsOnBothLinks()
    {
        QTemporaryDir dir;
        SimProcess sim(withTcp({QStringLiteral("--receipts"), dir.path()}));
        startOrFail(sim);
        Pty pty(sim.port());
        QVERIFY(pty.fd >= 0);
        const QByteArray define = QByteArray("\x1D(L\x13\x00" "0C0AB\x01\x08\x00\x08\x00" "1", 16) + QByteArray(8, '\xFF');
        QVERIFY(pty.send(define));
        QVERIFY(sim.waitForReceived(int(define.size()), kWaitMs));
        Client client;
        QVERIFY(client.connectTo(sim.tcpPort()));
        QVERIFY(client.send(QByteArray("\x1B@\x1D(L\x06\x00" "0EAB\x02\x01\x1DV\x00", 16)));
        const QString receipt = dir.filePath(QStringLiteral("receipt-001.png"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(receipt), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(QImage(receipt).size(), QSize(576, 8), kWaitMs);
        const QImage paper(receipt);
        QCOMPARE(qGray(paper.pixel(15, 7)), 0);   // double width: 16 dots of ink
        QCOMPARE(qGray(paper.pixel(16, 0)), 255);
    }

    // Busy reads nothing from the network either: the terminal's writes stall
    // until SIGUSR1, then every byte goes.
    void busyStallsTheNetworkToo()
    {
        // 16 MiB of text is some 1.3 km of paper: a roll that never ends.
        SimProcess sim(withTcp({QStringLiteral("--busy"), QStringLiteral("--paper-length"), QStringLiteral("1000000000")}));
        startOrFail(sim);
        AnyPOSPrinter port;
        port.OpenPort(sim.netPort(), QStringLiteral("baud=19200 parity=N data=8 stop=1"));
        QVERIFY(port.isOpen());
        const QByteArray data(16 * 1024 * 1024, 'x');
        // The kernel's buffers take their share, then writes take nothing.
        qsizetype sent = 0;
        long taken = 1;
        for (int attempt = 0; attempt < 1000 && taken > 0 && sent < data.size(); ++attempt) {
            port.WriteData(data.mid(sent), long(data.size() - sent));
            taken = port.GetWriteCount();
            sent += taken;
        }
        QCOMPARE(taken, 0L);
        QVERIFY2(sent < data.size(), "a busy printer cannot take 16 MiB");
        sim.toggleBusy();
        QDeadlineTimer deadline(60000);
        while (sent < data.size() && !deadline.hasExpired()) {
            port.WriteData(data.mid(sent), long(data.size() - sent));
            sent += port.GetWriteCount();
        }
        QCOMPARE(sent, data.size());
    }
};

QTEST_GUILESS_MAIN(TestPrinterSimTcp)
#include "tst_printer_sim_tcp.moc"
