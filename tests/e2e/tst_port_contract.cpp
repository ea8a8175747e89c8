// The port contract, the same on every link: what the window and the scripts
// rely on from the serial line (a pty to the simulator), the USB printer (a
// FIFO), the network printer (the simulator's TCP port) and the printer built
// into the program. Every case runs on each link; a row says where a link
// cannot do what the case needs.
#include "support/PortRig.h"

#include <QFile>
#include <QtTest>

#include <unistd.h>

namespace {
const QString kMode = QStringLiteral("baud=19200 parity=N data=8 stop=1");
const QByteArray kStatus("\x1D\x72\x01", 3); // GS r 1: every printer answers it by itself
} // namespace

class TestPortContract : public QObject {
    Q_OBJECT
private slots:
    void everyByteValueGoesOutExactly_data() { addLinkRows(); }
    // Also: the count limits what goes, the tap sees exactly what went, an
    // open clears the status, and flow control changes nothing.
    void everyByteValueGoesOutExactly()
    {
        QFETCH(LinkKind, link);
        PortRig rig(link);
        START_RIG_OR_SKIP(rig);
        const QByteArray data = allByteValues() + allByteValues();
        rig.expectOut(data + "ABCD");
        rig.port.OpenPort(rig.name(), kMode);
        rig.port.SetFlowControl(2);
        QCOMPARE(rig.port.currentLink(), link);
        QVERIFY(rig.port.isOpen());
        QVERIFY(!rig.port.LinkDown());
        QCOMPARE(rig.statuses, QStringList{QString()});
        QCOMPARE(rig.port.WriteData(data, long(data.size())), 1L);
        QCOMPARE(rig.port.GetWriteCount(), long(data.size()));
        QCOMPARE(rig.port.WriteData("ABCDEF", 4), 1L);
        QCOMPARE(rig.port.GetWriteCount(), 4L);
        QVERIFY(rig.printerGot(data + "ABCD"));
        // The built-in printer prints on its paper itself: nothing to tap.
        QCOMPARE(rig.tapped, link == LinkKind::Virtual ? QByteArray() : data + "ABCD");
    }

    void everyByteValueComesInExactly_data() { addLinkRows(); }
    void everyByteValueComesInExactly()
    {
        QFETCH(LinkKind, link);
        PortRig rig(link, {{{"QR", allByteValues()}}});
        START_RIG_OR_SKIP(rig);
        rig.port.OpenPort(rig.name(), kMode);
        rig.ask("QR");
        QCOMPARE(readReply(rig.port), allByteValues());
    }

    // Before any SetReadTiming a read gives up at once; the long first wait
    // catches a reply 300 ms late; after it the short timing ends the read
    // as soon as the printer is silent.
    void firstReadWaitsForASlowPrinter_data() { addLinkRows(); }
    void firstReadWaitsForASlowPrinter()
    {
        QFETCH(LinkKind, link);
        PortRig rig(link, {{{kStatus, QByteArray(1, '\0')}}, 300});
        START_RIG_OR_SKIP(rig);
        rig.port.OpenPort(rig.name(), kMode);
        rig.ask(kStatus);
        QCOMPARE(rig.port.ReadInput(1), QByteArray());
        QCOMPARE(readReply(rig.port), QByteArray(1, '\0'));
        QCOMPARE(rig.port.ReadInput(1), QByteArray());
        rig.port.SetReadTiming(10, 10);
        QCOMPARE(rig.port.ReadInput(1), QByteArray());
    }

    void failedOpenSaysWhy_data()
    {
        QTest::addColumn<LinkKind>("link");
        QTest::addColumn<QString>("name"); // %1: a folder of the test's own; %2: a TCP port nobody listens on
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("whole"); // the whole status, else a part of it
        QTest::newRow("serial: missing device") << LinkKind::Serial << "ttyMarlixMissing9" << "ttyMarlixMissing9" << false;
        QTest::newRow("serial: no port chosen") << LinkKind::Serial << "None" << "No port chosen" << false;
        QTest::newRow("serial: not a device") << LinkKind::Serial << "/etc/hostname" << "/etc/hostname" << false;
        QTest::newRow("USB: switched off")
            << LinkKind::Usb << "/dev/usb/lp97"
            << "/dev/usb/lp97: No such file or directory - is the printer plugged in and switched on?" << true;
        QTest::newRow("USB: no permission")
            << LinkKind::Usb << "%1/lp0" << "%1/lp0: Permission denied - is your user in the lp group?" << true;
        QTest::newRow("network: refused")
            << LinkKind::Network << "tcp://127.0.0.1:%2"
            << "tcp://127.0.0.1:%2: Connection refused - is the printer switched on, and does it take print data on "
               "port %2?"
            << true;
        QTest::newRow("network: no such host") << LinkKind::Network << "tcp://marlix-printer.invalid"
                                               << "tcp://marlix-printer.invalid: Host not found - check the printer's "
                                                  "name or address"
                                               << true;
        QTest::newRow("network: not a name")
            << LinkKind::Network << "tcp://printer:99999"
            << "tcp://printer:99999: not a network printer's name - write tcp://HOST or tcp://HOST:PORT (PORT from 1 "
               "to 65535)"
            << true;
        // The built-in printer is always there: its open cannot fail.
    }

    // The status line says why; the link stays down, and nothing goes.
    void failedOpenSaysWhy()
    {
        QFETCH(LinkKind, link);
        QFETCH(QString, name);
        QFETCH(QString, status);
        QFETCH(bool, whole);
        FifoPrinter fifo;
        QVERIFY(fifo.isValid());
        if (name.contains(QLatin1String("%1"))) {
            if (::geteuid() == 0)
                QSKIP("root opens any file; the permission hint cannot be seen");
            QVERIFY(QFile::setPermissions(fifo.path, {}));
        }
        if (name.contains(QLatin1String("%2"))) {
            // A port that was just free: the simulator listened on it and is gone.
            SimProcess sim(withTcp());
            START_SIM_OR_SKIP(sim);
            sim.stop();
            name.replace(QLatin1String("%2"), QString::number(sim.tcpPort()));
            status.replace(QLatin1String("%2"), QString::number(sim.tcpPort()));
        }
        name.replace(QLatin1String("%1"), fifo.dir.path());
        status.replace(QLatin1String("%1"), fifo.dir.path());
        PortRig rig(link);
        rig.port.OpenPort(name, kMode);
        QCOMPARE(rig.port.currentLink(), link);
        QVERIFY(!rig.port.isOpen());
        QVERIFY(rig.port.LinkDown());
        QCOMPARE(rig.statuses.size(), 1);
        if (whole)
            QCOMPARE(rig.statuses.first(), status);
        else
            QVERIFY2(rig.statuses.first().contains(status), qPrintable(rig.statuses.first()));
        QCOMPARE(rig.port.WriteData("x", 1), 0L);
        QCOMPARE(rig.port.ReadInput(1), QByteArray());
        rig.port.SetBreak(1, QStringLiteral(" ")); // nothing to act on, nothing breaks
        rig.port.SetBreak(2, QStringLiteral(" "));
    }

    void vanishedPrinterClosesThePort_data()
    {
        QTest::addColumn<LinkKind>("link");
        QTest::addColumn<bool>("byWrite");
        QTest::newRow("serial, read") << LinkKind::Serial << false;
        QTest::newRow("serial, write") << LinkKind::Serial << true;
        QTest::newRow("network, read") << LinkKind::Network << false;
        QTest::newRow("network, write") << LinkKind::Network << true;
        // A FIFO stands in for the USB device and cannot be unplugged; the
        // built-in printer cannot go away.
    }

    // However the loss shows, the port is closed once, the status line says
    // so with the name as chosen, and nothing is written to a closed port.
    void vanishedPrinterClosesThePort()
    {
        QFETCH(LinkKind, link);
        QFETCH(bool, byWrite);
        PortRig rig(link);
        START_RIG_OR_SKIP(rig);
        rig.port.OpenPort(rig.name(), kMode);
        QVERIFY(rig.port.isOpen());
        QVERIFY(rig.vanish());
        rig.port.SetReadTiming(1000, 100);
        for (int i = 0; i < 20 && rig.port.isOpen(); ++i) {
            if (byWrite)
                rig.port.WriteData("AB", 2);
            else
                rig.port.ReadInput(1);
        }
        QVERIFY(!rig.port.isOpen());
        QVERIFY(rig.port.LinkDown());
        QCOMPARE(rig.statuses, (QStringList{QString(), rig.name() + rig.goneText()}));
        QCOMPARE(rig.port.ReadInput(1), QByteArray());
        QCOMPARE(rig.port.WriteData("AB", 2), 0L);
        QCoreApplication::processEvents();
        QCOMPARE(rig.statuses.size(), 2); // said once
        rig.port.ClosePort();
        QVERIFY(!rig.port.LinkDown()); // closed on purpose now
    }

    void closePortHoldsThenLetsGo_data()
    {
        QTest::addColumn<LinkKind>("link");
        QTest::addColumn<bool>("holds"); // the device outlives ClosePort for a moment
        QTest::newRow("serial") << LinkKind::Serial << false;
        QTest::newRow("USB") << LinkKind::Usb << true;
        QTest::newRow("network") << LinkKind::Network << true;
        QTest::newRow("built-in") << LinkKind::Virtual << false;
    }

    // ClosePort closes for the program at once, and a second one does
    // nothing. Where closing would drop a reply on its way (the usblp
    // driver's buffer, a network connection), the device is held so that an
    // OpenPort at once (Get Response, Auto Query) finds the reply, then let
    // go. A listed entry opens its port.
    void closePortHoldsThenLetsGo()
    {
        QFETCH(LinkKind, link);
        QFETCH(bool, holds);
        PortRig rig(link, {{{"\x1B@", "\x15\x01"}}, 50});
        START_RIG_OR_SKIP(rig);
        rig.port.OpenPort(rig.name(), kMode);
        rig.port.OpenPort(rig.name(), kMode); // also when open
        rig.ask("\x1B@");
        rig.port.ClosePort();
        QVERIFY(!rig.port.isOpen());
        QVERIFY(!rig.port.LinkDown());
        QCOMPARE(rig.held(), holds);
        rig.port.ClosePort();
        QCOMPARE(rig.port.ReadInput(1), QByteArray());
        QCOMPARE(rig.port.WriteData("x", 1), 0L);
        QCOMPARE(rig.port.GetWriteCount(), 0L);
        rig.port.OpenPort(rig.listedName(), kMode);
        QVERIFY(rig.port.isOpen());
        if (holds)
            QCOMPARE(readReply(rig.port), QByteArray("\x15\x01", 2));
        rig.port.ClosePort();
        QTRY_VERIFY(!rig.held());
        QVERIFY(!rig.port.LinkDown());
        QCOMPARE(rig.statuses, (QStringList{QString(), QString(), QString()})); // a close on purpose says nothing
    }

    void breakLeavesTheLinkUsable_data()
    {
        QTest::addColumn<LinkKind>("link");
        QTest::newRow("serial") << LinkKind::Serial;
        QTest::newRow("USB: no break to send") << LinkKind::Usb;
        QTest::newRow("network: no break to send") << LinkKind::Network;
        QTest::newRow("built-in: no break to send") << LinkKind::Virtual;
    }

    // A pty shows no break, and the other links have none to send: on each
    // the link stays usable after one.
    void breakLeavesTheLinkUsable()
    {
        QFETCH(LinkKind, link);
        PortRig rig(link);
        START_RIG_OR_SKIP(rig);
        rig.expectOut("Z");
        rig.port.OpenPort(rig.name(), kMode);
        rig.port.SetBreak(1, QStringLiteral(" "));
        rig.port.SetBreak(2, QStringLiteral(" "));
        QVERIFY(rig.port.isOpen());
        QCOMPARE(rig.port.WriteData("Z", 1), 1L);
        QVERIFY(rig.printerGot("Z"));
    }
};

QTEST_GUILESS_MAIN(TestPortContract)
#include "tst_port_contract.moc"
