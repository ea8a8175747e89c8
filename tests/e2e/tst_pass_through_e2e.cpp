// The pass-through between a point-of-sale program (this test, on the pty or
// the TCP port) and the printer simulator on a pty: exactly the program's
// bytes reach the printer and exactly the printer's replies come back, also
// across a program that leaves and comes back, a second program that waits
// its turn, a busy printer and one pulled and plugged in again.
#include "link/AnyPOSPrinter.h"
#include "support/Fakes.h"
#include "support/LinkFixtures.h"
#include "support/PosProgram.h"
#include "support/SimProcess.h"

#include "commands/PassThroughText.h"
#include "printer/device/VirtualPrinter.h"
#include "session/PassThrough.h"
#include "session/ProgramEnd.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kMode = QStringLiteral("baud=19200 parity=N data=8 stop=1");
// Real-time status requests (printer, offline cause, error, paper) and the model name.
const QByteArray kStatusRequests = QByteArray::fromHex("100401100402100403100404") + QByteArray("\x1D\x49\x43", 3);

QByteArray stream(const QString &name)
{
    return fileBytes(QStringLiteral(MARLIX_SOURCE_DIR "/tests/data/library-streams/") + name);
}

// What the simulator says it answered ("reply 12 5F 4D"), in order.
QByteArray simReplies(const QString &log)
{
    QByteArray all;
    static const QRegularExpression line(QStringLiteral("reply ([0-9A-F ]+)\\n"));
    for (auto it = line.globalMatch(log); it.hasNext();)
        all += fromHex(it.next().captured(1));
    return all;
}

// The printer: the simulator behind a stable link, on the real port component.
// On the network (onNetwork), the same printer's TCP port.
struct Rig {
    explicit Rig(bool onNetwork = false) : network(onNetwork) {}
    bool network;
    QTemporaryDir dir;
    SimProcess sim{withTcp({QStringLiteral("--link"), dir.filePath(QStringLiteral("printer"))}), false};
    AnyPOSPrinter port;
    std::unique_ptr<PassThrough> pass;
    QByteArray toPrinter;
    QByteArray fromPrinter;

    bool start(const QString &listen)
    {
        if (!sim.start())
            return false;
        port.OpenPort(printerName(), kMode);
        pass = std::make_unique<PassThrough>(port, printerName(), kMode);
        QObject::connect(pass.get(), &PassThrough::toPrinter, [this](const QByteArray &b) { toPrinter += b; });
        QObject::connect(pass.get(), &PassThrough::fromPrinter, [this](const QByteArray &b) { fromPrinter += b; });
        QString error;
        return pass->listen(listen == QLatin1String("pty") ? dir.filePath(QStringLiteral("pos")) : listen, &error);
    }
    QString printerName() { return network ? sim.netPort() : dir.filePath(QStringLiteral("printer")); }
};
} // namespace

class tst_PassThroughE2E : public QObject {
    Q_OBJECT
private slots:
    void bothWays_data();
    void bothWays();
    void programLeavesAndComesBack_data();
    void programLeavesAndComesBack();
    void secondProgramWaits();
    void windowOperationFinishesFirst();
    void printerFaults_data();
    void printerFaults();
    void pathServedOnce();
    void answerForProgramThatLeftDropped();
};

void tst_PassThroughE2E::bothWays_data()
{
    QTest::addColumn<QString>("listen");
    QTest::addColumn<QByteArray>("sent");
    const QByteArray raster = stream(QStringLiteral("graphics/point-of-sale-raster-image.bin"));
    const QByteArray pdf417 = stream(QStringLiteral("graphics/point-of-sale-pdf417.bin"));
    const QByteArray shiftJis = stream(QStringLiteral("characters/receiptline-shiftjis.bin"));
    QTest::newRow("pty: raster receipt between status requests")
        << "pty" << kStatusRequests + raster + kStatusRequests;
    QTest::newRow("pty: two receipts, a request after each")
        << "pty" << pdf417 + kStatusRequests + shiftJis + kStatusRequests;
    QTest::newRow("tcp: raster receipt between status requests")
        << "tcp://127.0.0.1:0" << kStatusRequests + raster + kStatusRequests;
    QTest::newRow("tcp: two receipts, a request after each")
        << "tcp://:0" << pdf417 + kStatusRequests + shiftJis + kStatusRequests;
}

void tst_PassThroughE2E::bothWays()
{
    QFETCH(QString, listen);
    QFETCH(QByteArray, sent);
    Rig rig;
    QVERIFY(rig.start(listen));
    QVERIFY(!rig.pass->isConnected());
    QCOMPARE(rig.pass->statusText(), QStringLiteral("waiting for a point-of-sale program on ") + rig.pass->address());
    PosProgram program;
    QVERIFY(program.open(rig.pass->address()));
    program.send(sent);
    QTRY_VERIFY(program.flush());
    QTRY_COMPARE_WITH_TIMEOUT(rig.sim.received().size(), sent.size(), 5000);
    QCOMPARE(hexBytes(rig.sim.received()), hexBytes(sent));
    QCOMPARE(rig.toPrinter, sent);
    // At least four one-byte answers and the model name, twice: what the simulator says it sent.
    QTRY_VERIFY(simReplies(rig.sim.log()).size() >= 2 * (4 + 8));
    QTRY_COMPARE(hexBytes(program.received()), hexBytes(simReplies(rig.sim.log())));
    QCOMPARE(rig.fromPrinter, program.received());
    QVERIFY(rig.pass->isConnected());
    QVERIFY2(rig.pass->statusText().startsWith(QLatin1String("point-of-sale program connected ")),
             qPrintable(rig.pass->statusText()));
}

void tst_PassThroughE2E::programLeavesAndComesBack_data()
{
    QTest::addColumn<QString>("listen");
    QTest::newRow("pty: closed and opened again") << "pty";
    QTest::newRow("tcp: the next connection") << "tcp://127.0.0.1:0";
}

void tst_PassThroughE2E::programLeavesAndComesBack()
{
    QFETCH(QString, listen);
    Rig rig;
    QVERIFY(rig.start(listen));
    QSignalSpy left(rig.pass.get(), &PassThrough::clientDisconnected);
    for (const QByteArray &bytes : {QByteArray("first\n"), QByteArray("second\x10\x04\x01", 10)}) {
        PosProgram program;
        QVERIFY(program.open(rig.pass->address()));
        QTRY_VERIFY(rig.pass->isConnected());
        rig.port.ClosePort(); // as the window's idle timer does after an operation of its own
        program.send(bytes);
        QTRY_VERIFY(program.flush());
        QTRY_VERIFY(rig.sim.received().endsWith(bytes));
        program.close();
        QTRY_VERIFY(!rig.pass->isConnected());
    }
    QCOMPARE(rig.sim.received(), QByteArray("first\nsecond\x10\x04\x01", 16));
    QCOMPARE(left.size(), 2);
    QCOMPARE(rig.pass->statusText(), QStringLiteral("waiting for a point-of-sale program on ") + rig.pass->address());
}

void tst_PassThroughE2E::secondProgramWaits()
{
    Rig rig;
    QVERIFY(rig.start(QStringLiteral("tcp://127.0.0.1:0")));
    PosProgram first;
    PosProgram second;
    QVERIFY(first.open(rig.pass->address()));
    QTRY_VERIFY(rig.pass->isConnected());
    // The second one's bytes are written before the first one's.
    QVERIFY(second.open(rig.pass->address()));
    second.send("SECOND");
    QVERIFY(second.flush());
    first.send("FIRST");
    QVERIFY(first.flush());
    QTRY_COMPARE(rig.sim.received(), QByteArray("FIRST"));
    const QString firstPeer = rig.pass->peer();
    first.close();
    QTRY_COMPARE(rig.sim.received(), QByteArray("FIRSTSECOND"));
    QVERIFY(rig.pass->isConnected());
    QVERIFY(rig.pass->peer() != firstPeer);
}

void tst_PassThroughE2E::windowOperationFinishesFirst()
{
    Rig rig;
    QVERIFY(rig.start(QStringLiteral("tcp://127.0.0.1:0")));
    bool windowBusy = true;
    rig.pass->setHoldWhile([&windowBusy] { return windowBusy; });
    PosProgram program;
    QVERIFY(program.open(rig.pass->address()));
    program.send("RECEIPT");
    QVERIFY(program.flush());
    QTRY_VERIFY(rig.pass->statusText().endsWith(QLatin1String("the point-of-sale program waits.")));
    QCOMPARE(rig.pass->heldBytes(), 0); // left unread in the program's connection
    QCOMPARE(rig.sim.received(), QByteArray());
    windowBusy = false;
    QTRY_COMPARE(rig.sim.received(), QByteArray("RECEIPT"));
    QVERIFY(rig.pass->statusText().startsWith(QLatin1String("point-of-sale program connected from ")));
}

void tst_PassThroughE2E::printerFaults_data()
{
    QTest::addColumn<QString>("listen");
    QTest::addColumn<bool>("network"); // the printer's link, else its pty
    QTest::addColumn<bool>("pulled");  // else busy
    QTest::addColumn<QString>("said");
    const QString tcp = QStringLiteral("tcp://127.0.0.1:0");
    const QString busy = QStringLiteral("The printer takes nothing just now. The point-of-sale program waits.");
    const QString gone = QStringLiteral("the printer has gone away; opening it again - the point-of-sale program waits");
    QTest::newRow("busy printer, program on the pty") << "pty" << false << false << busy;
    QTest::newRow("busy printer, program on TCP") << tcp << false << false << busy;
    QTest::newRow("printer pulled and back, program on the pty") << "pty" << false << true << gone;
    QTest::newRow("printer pulled and back, program on TCP") << tcp << false << true << gone;
    QTest::newRow("network printer down and back, program on TCP") << tcp << true << true << gone;
}

// The program is held back while the printer takes nothing, and every byte
// arrives all the same, once, in order.
void tst_PassThroughE2E::printerFaults()
{
    QFETCH(QString, listen);
    QFETCH(bool, network);
    QFETCH(bool, pulled);
    QFETCH(QString, said);
    Rig rig(network);
    QVERIFY(rig.start(listen));
    PosProgram program;
    QVERIFY(program.open(rig.pass->address()));
    const QByteArray head = stream(QStringLiteral("graphics/point-of-sale-pdf417.bin"));
    QByteArray tail;
    for (int i = 0; i < 256; ++i)
        tail += allByteValues();
    program.send(head);
    QTRY_VERIFY(program.flush());
    QTRY_COMPARE(rig.sim.received().size(), head.size());
    if (pulled)
        rig.sim.stop();
    else
        rig.sim.toggleBusy();
    program.send(tail);
    const auto heldBack = [&] {
        program.flush();
        return rig.pass->statusText().endsWith(said) && rig.pass->heldBytes() > 0;
    };
    QTRY_VERIFY_WITH_TIMEOUT(heldBack(), 10000);
    // Nothing more is read from the program: its writes wait once the
    // window is full (a pty's is small; loopback TCP takes megabytes).
    if (listen == QLatin1String("pty"))
        QVERIFY(!program.flush());
    if (pulled)
        QVERIFY(rig.sim.start());
    else
        rig.sim.toggleBusy();
    QTRY_VERIFY_WITH_TIMEOUT(program.flush(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.sim.received().size(), head.size() + tail.size(), 20000);
    QVERIFY(rig.sim.received() == head + tail);
    QTRY_VERIFY(rig.pass->statusText().startsWith(QLatin1String("point-of-sale program connected ")));
}

// A running server's path is refused to the next, whose going leaves the
// link alone; one left behind is taken over; nothing is left behind.
void tst_PassThroughE2E::pathServedOnce()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("pos-printer"));
    QString error;
    auto first = std::make_unique<ProgramEnd>();
    QVERIFY(first->listen(link, &error));
    QVERIFY(!ProgramEnd().listen(link, &error));
    QCOMPARE(error, link + ": in use - another program serves " + link);
    QCOMPARE(QFile::symLinkTarget(link), first->ptyPath());
    first.reset();
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), {});
    QVERIFY(QFile::link(QStringLiteral("/dev/pts/gone"), link));
    QVERIFY(QFile(dir.filePath(QStringLiteral(".pos-printer.marlix-lock"))).open(QIODevice::WriteOnly));
    ProgramEnd next;
    QVERIFY(next.listen(link, &error));
    QCOMPARE(QFile::symLinkTarget(link), next.ptyPath());
}

// An answer printed after its program left (GS r 1, paper out, then loaded)
// is shown as nobody's, never read by the next program.
void tst_PassThroughE2E::answerForProgramThatLeftDropped()
{
    QTemporaryDir dir;
    AnyPOSPrinter port;
    port.OpenPort(QStringLiteral("virtual"), QString());
    PassThrough pass(port, QStringLiteral("virtual"), QString());
    QByteArray taken, unheard;
    QObject::connect(&pass, &PassThrough::toPrinter, [&](const QByteArray &b) { taken += b; });
    QObject::connect(&pass, &PassThrough::unheardFromPrinter, [&](const QByteArray &b) { unheard += b; });
    QString error;
    QVERIFY(pass.listen(dir.filePath(QStringLiteral("pos")), &error));
    port.builtIn().printer().paperOut();
    PosProgram leaves, next;
    QVERIFY(leaves.open(pass.address()));
    leaves.send("\x1D\x72\x01");
    QTRY_VERIFY(leaves.flush() && taken.size() == 3);
    leaves.close();
    QTRY_VERIFY(!pass.isConnected());
    port.builtIn().printer().loadPaper();
    QTRY_COMPARE(port.builtIn().waitingInput(), 1);
    QVERIFY(next.open(pass.address()));
    next.send("\x10\x04\x01");
    QTRY_VERIFY(next.flush());
    QTRY_COMPARE(next.received(), QByteArray("\x12"));
    QCOMPARE(PassThroughText().unheard(unheard, DisplayMode::Hex),
             "\r\nfrom printer: <0> (no point-of-sale program connected)");
}

QTEST_GUILESS_MAIN(tst_PassThroughE2E)
#include "tst_pass_through_e2e.moc"
