// The port on the printer built into the program: listed first, shown by its
// name without a baud rate or a break, and answering through the event loop.
#include "link/AnyPOSPrinter.h"
#include "link/Link.h"
#include "printer/device/VirtualPrinter.h"
#include "support/Fakes.h"

#include <QTimer>
#include <QtTest>

class TestVirtualPort : public QObject {
    Q_OBJECT
private slots:
    void listedFirstAndShownByName()
    {
        AnyPOSPrinter port;
        QCOMPARE(port.GetPortName(0), QStringLiteral("virtual\tVirtual printer (built in)"));
        FakePrinter fake;
        FakeOperator op;
        FakePump pump;
        FakeView view;
        Link link(fake, op, pump, view);
        link.vars.CommPort = QStringLiteral("virtual");
        link.DispPort();
        QCOMPARE(view.curPort, QStringLiteral("Virtual printer (built in)"));
        QVERIFY(!view.breakEnabled);
    }

    // The reply is not there before the event loop has carried it, and is
    // read, byte by byte, after; the paper got what was written.
    void repliesComeThroughTheEventLoop()
    {
        AnyPOSPrinter port;
        port.SetReadTiming(1000, 100);
        port.OpenPort(QStringLiteral("virtual"), QString());
        QVERIFY(port.isOpen());
        QCOMPARE(port.builtIn().waitingInput(), 0);
        QVERIFY(port.WriteData(QByteArray("AB\n\x10\x04\x01\x1C\x05\x08", 9), 9) != 0);
        QCOMPARE(port.GetWriteCount(), 9L);
        QCOMPARE(port.builtIn().waitingInput(), 0);
        QByteArray reply;
        for (QByteArray byte; !(byte = port.ReadInput(1)).isEmpty();)
            reply += byte;
        QCOMPARE(reply.toHex(' '), QByteArray("12 06 08"));
        port.builtIn().printer().openCover(true);
        port.WriteData(QByteArray("\x1C\x05\x08", 3), 3);
        const QByteArray first = port.ReadInput(1);
        QCOMPARE(first + port.ReadInput(1), QByteArray("\x15\x08", 2));
    }

    // A read waits as a line's read does: no timer of the program runs in the
    // middle of it (the link's idle close among them), while the printer's
    // own clock does: a drawer that closes by itself 50 ms into the read
    // sends its automatic status then, and the read takes it.
    void readServesNoEventsButThePrintersClock()
    {
        AnyPOSPrinter port;
        FakePump pump;
        int sleeps = 0;
        pump.onSleep = [&sleeps](int) { ++sleeps; };
        port.builtIn().setPump(&pump);
        port.OpenPort(QStringLiteral("virtual"), QString());
        VirtualPrinter &printer = port.builtIn().printer();
        printer.setDrawerClosesAfter(50);
        port.WriteData(QByteArray("\x1D\x61\x01\x1B\x70\x00\x05\x05", 8), 8); // GS a 1, then ESC p opens drawer 1
        port.SetReadTiming(10, 10);
        QByteArray before;
        for (QByteArray byte; !(byte = port.ReadInput(1)).isEmpty();)
            before += byte;
        QCOMPARE(before.toHex(' '), QByteArray("10 00 00 00 14 00 00 00"));
        bool programTimerRan = false;
        QTimer::singleShot(0, [&programTimerRan] { programTimerRan = true; });
        sleeps = 0;
        port.SetReadTiming(3000, 100);
        QCOMPARE(port.ReadInput(1), QByteArray("\x10", 1)); // drawer closed
        QVERIFY(!programTimerRan);
        QVERIFY(sleeps > 0);
        QVERIFY(!printer.state().drawerOpen[0]);
        QTRY_VERIFY(programTimerRan); // once the read is over
    }
};

QTEST_GUILESS_MAIN(TestVirtualPort)
#include "tst_virtual_port.moc"
