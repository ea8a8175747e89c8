// What only the network port component does (through the window's
// dispatcher) against the printer simulator's TCP port: one connection kept,
// dropped while idle and back, a silent printer given up on, the printers
// used before. What every link does is in tst_port_contract.
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

    // A printer that hangs up while its connection is held after ClosePort
    // (held so that a reply on its way outlives it: tst_port_contract) is
    // nothing to report.
    void hangUpWhileHeldIsNoNews()
    {
        SimProcess sim(withTcp(), false);
        START_SIM_OR_SKIP(sim);
        AnyPOSPrinter port;
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
        QTest::newRow("write") << "write"; // also in tst_port_contract, without the return
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
