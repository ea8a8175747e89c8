// The network port component (through the window's dispatcher) against the
// printer simulator's TCP port: bytes both ways, the read timing, connections
// refused, dropped and closed.
#include "link/AnyPOSPrinter.h"
#include "support/LinkFixtures.h"
#include "support/SimProcess.h"

#include <QElapsedTimer>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const QString kMode = QStringLiteral("baud=19200 parity=N data=8 stop=1");
const QString kDropped = QStringLiteral(": the printer has dropped the connection - it was closed; the next "
                                        "operation connects again once the printer is back");

} // namespace

class TestNetworkPort : public QObject {
    Q_OBJECT

private slots:
    void everyByteValueGoesOutExactly()
    {
        SimProcess sim(withTcp());
        START_SIM_OR_SKIP(sim);
        AnyPOSPrinter port;
        QString status = QStringLiteral("unchanged");
        port.onStatus = [&](const QString &s) { status = s; };
        QByteArray tapped;
        port.setWriteTap([&](const QByteArray &taken) { tapped += taken; });
        port.OpenPort(sim.netPort(), kMode);
        port.SetFlowControl(2);
        QCOMPARE(port.currentLink(), LinkKind::Network);
        QVERIFY(port.isOpen());
        QCOMPARE(status, QString());
        const QByteArray data = allByteValues() + allByteValues();
        QCOMPARE(port.WriteData(data, long(data.size())), 1L);
        QCOMPARE(port.GetWriteCount(), long(data.size()));
        QCOMPARE(port.WriteData("ABCDEF", 4), 1L);
        QCOMPARE(port.GetWriteCount(), 4L);
        QVERIFY(sim.waitForReceived(int(data.size()) + 4));
        QCOMPARE(sim.received(), data + "ABCD");
        QCOMPARE(tapped, data + "ABCD");
    }

    void everyByteValueComesInExactly()
    {
        const QByteArray reply = allByteValues();
        SimProcess sim(withTcp({QStringLiteral("--reply"), QStringLiteral("5152=") + QString::fromLatin1(reply.toHex())}));
        START_SIM_OR_SKIP(sim);
        AnyPOSPrinter port;
        port.OpenPort(sim.netPort(), kMode);
        port.WriteData("QR", 2);
        QCOMPARE(readReply(port), reply);
    }

    void firstReadWaitsForASlowPrinter()
    {
        SimProcess sim(withTcp({QStringLiteral("--reply"), QStringLiteral("3F=0601"), QStringLiteral("--reply-delay"),
                                QStringLiteral("300")}));
        START_SIM_OR_SKIP(sim);
        AnyPOSPrinter port;
        port.OpenPort(sim.netPort(), kMode);
        port.WriteData("?", 1);
        // Before any SetReadTiming a read gives up at once when nothing is there.
        QCOMPARE(port.ReadInput(1), QByteArray());
        QCOMPARE(readReply(port), QByteArray("\x06\x01", 2));
        // Short timing: the printer is silent, the read ends.
        QCOMPARE(port.ReadInput(1), QByteArray());
    }

    // Open again while open keeps the one connection; ClosePort (the idle
    // close) ends it, and the printer sees it end.
    void idleCloseEndsTheConnection()
    {
        SimProcess sim(withTcp(), false);
        START_SIM_OR_SKIP(sim);
        AnyPOSPrinter port;
        QStringList statuses;
        port.onStatus = [&](const QString &s) { statuses << s; };
        port.OpenPort(sim.netPort(), kMode);
        port.OpenPort(sim.netPort(), kMode);
        QVERIFY(port.isOpen());
        port.WriteData("A", 1);
        QVERIFY(sim.waitForReceived(1));
        QTRY_COMPARE(sim.log().count(QStringLiteral("network: connection from")), 1);
        port.ClosePort();
        QVERIFY(!port.isOpen());
        QVERIFY(!port.LinkDown());
        port.ClosePort(); // closing a closed port does nothing
        QTRY_VERIFY(sim.log().contains(QStringLiteral("network: connection closed")));
        QCOMPARE(port.ReadInput(1), QByteArray());
        QCOMPARE(port.WriteData("x", 1), 0L);
        QCOMPARE(port.GetWriteCount(), 0L);
        QCOMPARE(statuses, (QStringList{QString(), QString()})); // a close on purpose reports nothing
        port.OpenPort(sim.netPort() + QStringLiteral("\tNetwork printer (used before)"), kMode);
        QVERIFY(port.isOpen());
        QTRY_COMPARE(sim.log().count(QStringLiteral("network: connection from")), 2);
    }

    // Send Command with Auto Query closes the port and opens it again at
    // once: the connection, and the reply on it, outlive ClosePort for that
    // moment; then the connection ends.
    void replyOnItsWayOutlivesClosePort()
    {
        SimProcess sim(withTcp({QStringLiteral("--reply"), QStringLiteral("1B40=1501"),
                                QStringLiteral("--reply-delay"), QStringLiteral("50")}),
                       false);
        START_SIM_OR_SKIP(sim);
        AnyPOSPrinter port;
        port.OpenPort(sim.netPort(), kMode);
        QCOMPARE(port.WriteData("\x1B@", 2), 1L);
        port.ClosePort();
        QVERIFY(!port.isOpen());
        QVERIFY(!port.LinkDown());
        QCOMPARE(port.ReadInput(1), QByteArray()); // closed for the program meanwhile
        port.OpenPort(sim.netPort(), kMode);
        QCOMPARE(readReply(port), QByteArray("\x15\x01", 2));
        port.ClosePort();
        QTRY_VERIFY(sim.log().contains(QStringLiteral("network: connection closed")));
        QCOMPARE(sim.log().count(QStringLiteral("network: connection from")), 1);
        // A printer that hangs up while held is nothing to report.
        port.OpenPort(sim.netPort(), kMode);
        QStringList statuses;
        port.onStatus = [&](const QString &s) { statuses << s; };
        port.ClosePort();
        sim.stop(); // its end is closed and the hang-up is on its way here
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY(statuses.isEmpty());
        QVERIFY(!port.LinkDown());
    }

    // However the drop shows (events served while idle, a write, a read), the
    // connection is closed once, the status line says so with the name as
    // chosen, and the next open connects again once the printer is back.
    void droppedConnection_data()
    {
        QTest::addColumn<QString>("noticedBy");
        QTest::newRow("idle") << "idle";
        QTest::newRow("write") << "write";
        QTest::newRow("read") << "read";
    }

    void droppedConnection()
    {
        QFETCH(QString, noticedBy);
        SimProcess sim(withTcp());
        START_SIM_OR_SKIP(sim);
        AnyPOSPrinter port;
        QStringList statuses;
        port.onStatus = [&](const QString &s) { statuses << s; };
        port.OpenPort(sim.netPort(), kMode);
        QVERIFY(port.isOpen());
        sim.stop();
        if (noticedBy == QLatin1String("idle")) {
            QTRY_VERIFY(!port.isOpen());
        } else {
            port.SetReadTiming(1000, 100);
            for (int i = 0; i < 20 && port.isOpen(); ++i) {
                if (noticedBy == QLatin1String("write"))
                    port.WriteData("AB", 2);
                else
                    port.ReadInput(1);
            }
            QVERIFY(!port.isOpen());
        }
        QCOMPARE(statuses, (QStringList{QString(), sim.netPort() + kDropped}));
        QVERIFY(port.LinkDown());
        QCOMPARE(port.WriteData("AB", 2), 0L);
        QCoreApplication::processEvents();
        QCOMPARE(statuses.size(), 2); // said once

        QVERIFY(sim.start()); // the same port again
        port.OpenPort(sim.netPort(), kMode);
        QVERIFY(port.isOpen());
        QVERIFY(!port.LinkDown());
        QCOMPARE(statuses.last(), QString());
        QCOMPARE(port.WriteData("OK", 2), 1L);
        QVERIFY(sim.waitForReceived(2));
        QCOMPARE(sim.received().right(2), QByteArray("OK"));
    }

    void failedConnectionSaysWhy_data()
    {
        QTest::addColumn<QString>("name"); // %1: a port where nothing listens
        QTest::addColumn<QString>("reason");
        QTest::newRow("refused") << "tcp://127.0.0.1:%1"
                                 << "Connection refused - is the printer switched on, and does it take print data "
                                    "on port %1?";
        QTest::newRow("no such host") << "tcp://marlix-printer.invalid"
                                      << "Host not found - check the printer's name or address";
        QTest::newRow("not a name") << "tcp://printer:99999"
                                    << "not a network printer's name - write tcp://HOST or tcp://HOST:PORT (PORT "
                                       "from 1 to 65535)";
    }

    void failedConnectionSaysWhy()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        // A port that was just free: the simulator listened on it and is gone.
        SimProcess sim(withTcp());
        START_SIM_OR_SKIP(sim);
        sim.stop();
        const QString closed = QString::number(sim.tcpPort());
        name.replace(QLatin1String("%1"), closed);
        reason.replace(QLatin1String("%1"), closed);
        AnyPOSPrinter port;
        QString status;
        port.onStatus = [&](const QString &s) { status = s; };
        port.OpenPort(name, kMode);
        QCOMPARE(port.currentLink(), LinkKind::Network);
        QVERIFY(!port.isOpen());
        QVERIFY(port.LinkDown());
        QCOMPARE(status, name + QStringLiteral(": ") + reason);
        QCOMPARE(port.WriteData("x", 1), 0L);
        QCOMPARE(port.ReadInput(1), QByteArray());
        port.SetBreak(1, QStringLiteral(" ")); // nothing to act on, nothing breaks
        port.SetBreak(2, QStringLiteral(" "));
    }

    // A printer that does not answer (here: a listener whose queue is full, so
    // the kernel drops the connection request) holds the window no longer than
    // the connect bound.
    void silentPrinterIsGivenUpOn()
    {
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QVERIFY(listener >= 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        QCOMPARE(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        QCOMPARE(::listen(listener, 0), 0);
        QCOMPARE(::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length), 0);
        const quint16 tcpPort = ntohs(address.sin_port);
        // Fill the queue that nobody accepts from.
        QList<int> queued;
        for (int i = 0; i < 4; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
            queued << fd;
        }
        AnyPOSPrinter port;
        QString status;
        port.onStatus = [&](const QString &s) { status = s; };
        const QString name = QStringLiteral("tcp://127.0.0.1:%1").arg(tcpPort);
        QElapsedTimer clock;
        clock.start();
        port.OpenPort(name, kMode);
        const qint64 took = clock.elapsed();
        for (const int fd : std::as_const(queued))
            ::close(fd);
        ::close(listener);
        QVERIFY(!port.isOpen());
        QVERIFY(port.LinkDown());
        QCOMPARE(status, name + QStringLiteral(": no answer within 3 s - is the printer switched on and on this "
                                               "network?"));
        QVERIFY2(took < 10000, qPrintable(QString::number(took)));
    }

    // The dispatcher lists the network printers used before after the other ports.
    void portListOffersRememberedPrinters()
    {
        AnyPOSPrinter port;
        port.setRememberedNetPorts([] { return QStringList{QStringLiteral("tcp://b:9101"), QStringLiteral("tcp://a")}; });
        const QStringList entries = portEntries(port);
        QVERIFY(entries.size() >= 2);
        QCOMPARE(entries.mid(entries.size() - 2),
                 (QStringList{QStringLiteral("tcp://b:9101\tNetwork printer (used before)"),
                              QStringLiteral("tcp://a\tNetwork printer (used before)")}));
    }
};

QTEST_GUILESS_MAIN(TestNetworkPort)
#include "tst_network_port.moc"
