// What only the serial port component does, over a pty to the printer
// simulator; what every link does is in tst_port_contract.
#include "link/SerialPOSPrinter.h"
#include "support/LinkFixtures.h"
#include "support/SimProcess.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kMode = QStringLiteral("baud=19200 parity=N data=8 stop=1");
} // namespace

class TestSerialPort : public QObject {
    Q_OBJECT

private slots:
    void heldUpPrinterTakesPartOfAWriteThenNothing()
    {
        SimProcess sim({QStringLiteral("--busy")});
        START_SIM_OR_SKIP(sim);
        SerialPOSPrinter port;
        // The tap sees exactly what each write took, no more, also when a write is cut short.
        QByteArray tapped;
        port.setWriteTap([&tapped](const QByteArray &taken) { tapped += taken; });
        port.OpenPort(sim.port(), kMode);
        QByteArray data(256 * 1024, '\0');
        for (int i = 0; i < data.size(); ++i)
            data[i] = char((i * 7) % 251);
        QVERIFY(port.WriteData(data, long(data.size())) != 0 || port.GetWriteCount() == 0);
        const long first = port.GetWriteCount();
        QVERIFY2(first < data.size(), "a busy printer cannot take 256 KiB");
        // Nothing more goes while it stays busy.
        const QByteArray rest = data.mid(first);
        QCOMPARE(port.WriteData(rest, long(rest.size())), 0L);
        QCOMPARE(port.GetWriteCount(), 0L);
        QCOMPARE(tapped, data.left(first));
        // Once it reads again, the rest follows and every byte arrives in order.
        sim.toggleBusy();
        qsizetype sent = first;
        for (int attempt = 0; attempt < 2000 && sent < data.size(); ++attempt) {
            const QByteArray left = data.mid(sent);
            port.WriteData(left, long(left.size()));
            sent += port.GetWriteCount();
        }
        QCOMPARE(sent, data.size());
        QCOMPARE(tapped, data);
        QVERIFY(sim.waitForReceived(int(data.size()), 10000));
        QCOMPARE(sim.received(), data);
    }

    void reopenWithNewSettings()
    {
        SimProcess sim({QStringLiteral("--reply"), QStringLiteral("21=4F4B")});
        START_SIM_OR_SKIP(sim);
        SerialPOSPrinter port;
        port.OpenPort(sim.port(), kMode);
        port.WriteData("!", 1);
        QCOMPARE(readReply(port), QByteArray("OK"));
        port.OpenPort(sim.port(), QStringLiteral("baud=115200 parity=N data=8 stop=1"));
        port.SetFlowControl(0);
        QVERIFY(port.isOpen());
        port.WriteData("!", 1);
        QCOMPARE(readReply(port), QByteArray("OK"));
    }

    // However the port was chosen and however the loss shows (a read or a
    // write), the status line names the port as chosen and says what happened
    // and what comes next, not the errno text of the call that noticed it.
    void vanishedLineIsClosedNotSpunOn_data()
    {
        QTest::addColumn<QString>("chosen"); // "%1" is the pty's path, "%2" the link
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("byWrite");
        // The full path, by a read or a write: in tst_port_contract.
        QTest::newRow("listed entry, write") << "%1    Marlix printer simulator" << "%1" << true;
        QTest::newRow("stable link, read") << "%2" << "%2" << false;
    }

    void vanishedLineIsClosedNotSpunOn()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, shown);
        QFETCH(bool, byWrite);
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttySim"));
        auto sim = std::make_unique<SimProcess>(QStringList{QStringLiteral("--link"), link});
        START_SIM_OR_SKIP(*sim);
        for (QString *text : {&chosen, &shown})
            text->replace(QLatin1String("%1"), sim->port()).replace(QLatin1String("%2"), link);
        SerialPOSPrinter port;
        QString status;
        port.onStatus = [&](const QString &s) { status = s; };
        port.OpenPort(chosen, kMode);
        QVERIFY(port.isOpen());
        QVERIFY(!port.LinkDown());
        sim.reset(); // the other end goes away, as a pulled adapter does
        port.SetReadTiming(1000, 100);
        for (int i = 0; i < 5 && port.isOpen(); ++i) {
            if (byWrite)
                port.WriteData("AB", 2);
            else
                port.ReadInput(1);
            QCoreApplication::processEvents();
        }
        QVERIFY(!port.isOpen());
        QCOMPARE(status, shown + QStringLiteral(": the device has gone away - the port was closed; the next "
                                                "operation opens it again once the device is back"));
        QVERIFY(port.LinkDown());
        QCOMPARE(port.ReadInput(1), QByteArray());
        QCOMPARE(port.WriteData("AB", 2), 0L);
        port.ClosePort();
        QVERIFY(!port.LinkDown()); // closed on purpose now
    }

    void failedOpenLeavesTheLinkDown()
    {
        SerialPOSPrinter port;
        port.OpenPort(QStringLiteral("ttyMarlixMissing9"), kMode);
        QVERIFY(port.LinkDown());
        SimProcess sim;
        START_SIM_OR_SKIP(sim);
        port.OpenPort(sim.port(), kMode);
        QVERIFY(!port.LinkDown());
    }

    void portListShowsTheSimulator()
    {
        SimProcess sim;
        START_SIM_OR_SKIP(sim);
        SerialPOSPrinter port;
        const QStringList entries = portEntries(port);
        QVERIFY2(entries.contains(sim.port() + QStringLiteral("\tMarlix printer simulator")),
                 qPrintable(entries.join(QLatin1Char('|'))));
        for (const QString &e : entries)
            QVERIFY2(!e.section(QLatin1Char('\t'), 0, 0).contains(QLatin1Char(' ')), qPrintable(e));
    }

};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serial_port.moc"
