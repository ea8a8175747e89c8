// The virtual printer as a device: its replies from its state, the receive
// buffer that fills while it is offline, the roll that runs out, automatic
// status back, and the operator's lines.
#include "support/ReceiptText.h"

#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/device/VirtualPrinter.h"
#include "OperatorWords.h"

#include <QSignalSpy>
#include <QtTest>

using namespace PrinterBytes;

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// A printer on its own paper, its replies and log collected.
struct Rig
{
    ReceiptInterpreter paper;
    VirtualPrinter printer{paper};
    QByteArray replies;
    QStringList log;

    Rig()
    {
        QObject::connect(&printer, &VirtualPrinter::reply, [this](const QByteArray &bytes) { replies += bytes; });
        QObject::connect(&printer, &VirtualPrinter::noted, [this](const QString &line) { log << line; });
    }
    void act(const QStringList &lines)
    {
        for (const QString &line : lines) {
            QString said;
            QVERIFY2(OperatorWords::act(printer, line, &said), qPrintable(said));
        }
    }
    QByteArray take()
    {
        QByteArray bytes;
        bytes.swap(replies);
        return bytes;
    }
};

// Lines of text of 48 characters: each a printed line of 30 dots.
QByteArray lines(int count)
{
    return (QByteArray(47, 'x') + '\n').repeated(count);
}
} // namespace

class TestVirtualPrinter : public QObject
{
    Q_OBJECT
private slots:
    void replies_data();
    void replies();
    void automaticStatusBack();
    void offlineBufferFillsThenPrints();
    void rollRunsOut();
    void feedButtonFeedsThePaper();
    void drawerClosesByItself();
    void operatorLines_data();
    void operatorLines();
};

void TestVirtualPrinter::replies_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QByteArray>("rule"); // REQ=RESP in hex, or empty
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    const QStringList none;
    const QByteArray noRule;
    QTest::newRow("online") << none << noRule << hex("100401 100402 100403 100404 1D7201 1D7202 1C0508")
                            << hex("12 12 12 12 00 00 0608");
    QTest::newRow("no such request") << none << noRule << hex("100405 1C0505 1D7203 1D4945") << QByteArray();
    QTest::newRow("cover open") << QStringList{"cover open"} << noRule << hex("100401 100402 1C0508") << hex("1A 16 1508");
    QTest::newRow("drawer 2 open") << QStringList{"drawer 2 open"} << noRule << hex("100401 1C0501 1C0502 1D7202")
                                   << hex("16 0601 1502 01");
    QTest::newRow("paper near end") << QStringList{"paper near-end"} << noRule << hex("100404 1C0503 1C0504 1D7201")
                                    << hex("1E 1503 0604 03");
    QTest::newRow("paper out: GS r waits") << QStringList{"paper out"} << noRule << hex("1D7201 100402 100404 1C0504")
                                          << hex("32 7E 1504");
    QTest::newRow("recoverable error") << QStringList{"error recoverable"} << noRule << hex("100402 100403") << hex("52 16");
    QTest::newRow("autocutter error") << QStringList{"error autocutter"} << noRule << hex("100403") << hex("1A");
    QTest::newRow("unrecoverable error") << QStringList{"error unrecoverable"} << noRule << hex("100403") << hex("32");
    QTest::newRow("automatic error") << QStringList{"error auto"} << noRule << hex("100401 100403") << hex("3A 52");
    QTest::newRow("GS I") << none << noRule << hex("1D4901 1D4932 1D4903 1D4941 1D4942 1D4943 1D4944")
                          << hex("20 03 01") + QByteArray("_1.00\0_MARLIX\0_MX2600\0_SIM-000001\0", 34);
    QTest::newRow("FS ENQ 9, text waiting") << QStringList{"cover open"} << noRule << "A" + hex("1C0509") << hex("1509");
    QTest::newRow("FS ENQ 9, only the requests") << QStringList{"cover open"} << noRule << hex("1C0509 1C0509") << hex("0609 1509");
    QTest::newRow("FS ENQ 10 and 11") << QStringList{"cover open"} << noRule << hex("1B40 1C050A 1C050B 1C050B")
                                      << hex("150A 060B 150B");
    QTest::newRow("FS ENQ 10, ESC @ online") << none << noRule << hex("1B40 1C050A") << hex("060A");
    QTest::newRow("DLE ENQ 1 recovers") << QStringList{"error recoverable"} << noRule << hex("100501 100403") << hex("12");
    QTest::newRow("DLE ENQ 1 leaves an unrecoverable error") << QStringList{"error unrecoverable"} << noRule
                                                              << hex("100501 100403") << hex("32");
    QTest::newRow("DLE DC4 opens drawer 2") << none << noRule << hex("1014010103 100401") << hex("16");
    QTest::newRow("ESC p opens drawer 1") << none << noRule << hex("1B700005FF 1D7202") << hex("01");
    QTest::newRow("in raster data") << none << noRule << GS + "v0" + n(0) + word(3) + word(1) + hex("100401 100402") << hex("12");
    QTest::newRow("in barcode data") << none << noRule << GS + "k" + n(4) + hex("1C0508") + n(0) + hex("1D7202") << hex("00");
    QTest::newRow("identity query in raster data") << none << noRule << hex("1B40 1D76300002000200 05150515 0A") << QByteArray();
    QTest::newRow("a rule's request in raster data") << none << QByteArray("1004=AA") << GS + "v0" + n(0) + word(2) + word(1) + hex("1004")
                                                     << QByteArray();
    QTest::newRow("a rule answers instead") << none << QByteArray("100401=AA") << hex("100401 100402") << hex("AA 12");
    QTest::newRow("a rule on part of it") << none << QByteArray("1004=BB") << hex("100401") << hex("BB");
    QTest::newRow("NV memory: capacity, room, key codes") << none << noRule
                                                         << GS + "(L" + word(2) + "00" + GS + "(L" + word(2) + "03" + GS + "(L" + word(4) + "0@KC"
                                                         << QByteArray("70393216\0" "71393216\0" "7r@\0", 22);
    QTest::newRow("a silent rule") << none << QByteArray("1D7201=") << hex("1D7201 1D7202") << hex("00");
}

void TestVirtualPrinter::replies()
{
    QFETCH(QStringList, actions);
    QFETCH(QByteArray, rule);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);

    // Split every way a line could split it, the answer is the same.
    for (const int chunk : {1, 2, 3, 64}) {
        Rig rig;
        rig.act(actions);
        if (!rule.isEmpty()) {
            const QList<QByteArray> parts = rule.split('=');
            rig.printer.macros().addReplyRule(QByteArray::fromHex(parts[0]), QByteArray::fromHex(parts[1]));
        }
        rig.take();
        for (qsizetype at = 0; at < request.size(); at += chunk)
            QCOMPARE(rig.printer.receive(request.mid(at, chunk)), std::min<qsizetype>(chunk, request.size() - at));
        QCOMPARE(rig.take().toHex(' '), reply.toHex(' '));
    }
}

// Four bytes at GS a, then one packet for each change of what it watches.
void TestVirtualPrinter::automaticStatusBack()
{
    Rig rig;
    rig.printer.receive(hex("1D6109")); // drawer and paper
    QCOMPARE(rig.take().toHex(' '), QByteArray("10 00 00 00"));
    rig.act({"cover open"}); // not watched
    QCOMPARE(rig.take(), QByteArray());
    rig.act({"drawer 1 open", "paper near-end", "paper out", "drawer 2 open", "paper load", "drawer 1 close"});
    QCOMPARE(rig.take().toHex(' '), QByteArray("3c 00 00 00 3c 00 03 00 3c 00 0f 00 3c 00 00 00"));
    // Offline, GS a waits for the printer like all that prints: its packet
    // comes when the cover closes.
    rig.printer.receive(hex("1D610F"));
    QCOMPARE(rig.take(), QByteArray());
    rig.act({"cover close", "feed", "error recoverable"});
    QCOMPARE(rig.take().toHex(' '), QByteArray("14 00 00 00 54 00 00 00 14 00 00 00 1c 04 00 00"));
    // The recovery comes first (real-time), then GS a 0 ends it.
    rig.printer.receive(hex("1D6100 100501"));
    rig.act({"cover open"});
    QCOMPARE(rig.take().toHex(' '), QByteArray("14 00 00 00"));
}

// The feed button's paper shows on the receipt and comes off the roll once; the
// line being built stays and prints below it.
void TestVirtualPrinter::feedButtonFeedsThePaper()
{
    Rig rig;
    rig.printer.receive("Held");
    rig.act({"feed"});
    rig.printer.receive("\n");
    const QStringList receipt = describeReceipt(rig.paper.openReceipt());
    QCOMPARE(receipt.mid(0, 2), (QStringList{"receipt 1 open 60", "feed 0 30"}));
    QVERIFY2(receipt.contains(QStringLiteral("text 0 30 Held")), qPrintable(receipt.join('|')));
    QCOMPARE(rig.printer.state().usedDots, rig.paper.paperFedDots());
}

// Offline, printed bytes wait: 4 KiB, then receive() takes no more until the
// printer is back, prints what waited and says there is room.
void TestVirtualPrinter::offlineBufferFillsThenPrints()
{
    Rig rig;
    QSignalSpy room(&rig.printer, &VirtualPrinter::roomToReceive);
    rig.act({"cover open"});
    // A request that is printed waits with the rest; a real-time one does not.
    const QByteArray stream = hex("1D7201") + lines(100) + hex("100402"); // 4806 bytes
    QCOMPARE(rig.printer.receive(stream), VirtualPrinter::kBufferSize);
    QCOMPARE(rig.printer.receive(stream.mid(VirtualPrinter::kBufferSize)), 0);
    QCOMPARE(rig.printer.state().waiting, VirtualPrinter::kBufferSize);
    QCOMPARE(rig.paper.paperFedDots(), 0);
    QCOMPARE(room.count(), 0);
    QCOMPARE(rig.take(), QByteArray());
    rig.act({"cover close"});
    QCOMPARE(rig.take(), hex("00"));
    QCOMPARE(room.count(), 1);
    QCOMPARE(rig.printer.state().waiting, 0);
    QCOMPARE(rig.printer.receive(stream.mid(VirtualPrinter::kBufferSize)), stream.size() - VirtualPrinter::kBufferSize);
    QCOMPARE(rig.take(), hex("12"));
    QCOMPARE(rig.paper.paperFedDots(), 100 * 30);
    QVERIFY2(rig.log.contains(QStringLiteral("printed 4096 bytes that waited")), qPrintable(rig.log.join('\n')));
    // DLE ENQ 2 drops what waits.
    rig.act({"error recoverable"});
    rig.printer.receive(lines(10) + hex("100502"));
    QCOMPARE(rig.printer.state().waiting, 0);
    QCOMPARE(rig.paper.paperFedDots(), 100 * 30);
}

// A roll that is used up stops the printing where it ends, whatever the
// chunks; the rest waits and prints on a fresh roll.
void TestVirtualPrinter::rollRunsOut()
{
    for (const int chunk : {1, 7, 2000}) {
        Rig rig;
        rig.printer.setRoll(100, 20); // 800 dots, near end below 160
        const QByteArray stream = lines(40); // 1200 dots
        for (qsizetype at = 0; at < stream.size(); at += chunk)
            QCOMPARE(rig.printer.receive(stream.mid(at, chunk)), std::min<qsizetype>(chunk, stream.size() - at));
        QVERIFY(rig.printer.state().paperOut());
        QVERIFY(!rig.printer.state().online());
        // It stops after the line feed of the 27th line, the first past 800 dots.
        QCOMPARE(rig.paper.paperFedDots(), 27 * 30);
        QCOMPARE(rig.printer.state().waiting, stream.size() - 27 * 48);
        QCOMPARE(rig.log.filter(QStringLiteral("paper near end (")).size(), 1);
        QCOMPARE(rig.log.filter(QStringLiteral("paper out: offline")).size(), 1);
        rig.act({"paper load"});
        QCOMPARE(rig.paper.paperFedDots(), 1200);
        QCOMPARE(rig.printer.state().usedDots, 1200 - 27 * 30);
        QCOMPARE(rig.printer.state().waiting, 0);
    }
}

void TestVirtualPrinter::drawerClosesByItself()
{
    Rig rig;
    rig.printer.setDrawerClosesAfter(20);
    rig.printer.receive(hex("1B700105FF"));
    QVERIFY(rig.printer.state().drawerOpen[1]);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.printer.state().drawerOpen[1], 5000);
    QVERIFY(rig.log.contains(QStringLiteral("drawer 2 closed by itself: online, 0 bytes waiting")));
}

void TestVirtualPrinter::operatorLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("known");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("logged");

    QTest::newRow("blanks and capitals") << "  Drawer   2 OPEN " << true << "" << "drawer 2 open: online, 0 bytes waiting";
    QTest::newRow("no change") << "recover" << true << "" << "recover: no error holds, nothing changed";
    QTest::newRow("state") << "state" << true
                           << "state: online, paper 80000 mm of 80000 left, cover closed, drawer 1 closed, drawer 2 closed, "
                              "no error, 0 bytes waiting, status back off"
                           << "";
    QTest::newRow("unknown") << "drawer 3 open" << false << "unknown action \"drawer 3 open\": type help for the list" << "";
}

void TestVirtualPrinter::operatorLines()
{
    QFETCH(QString, line);
    QFETCH(bool, known);
    QFETCH(QString, said);
    QFETCH(QString, logged);
    Rig rig;
    QString answer = QStringLiteral("not cleared");
    QCOMPARE(OperatorWords::act(rig.printer, line, &answer), known);
    QCOMPARE(answer, said);
    QCOMPARE(rig.log.join(QLatin1Char('\n')), logged);
}

QTEST_GUILESS_MAIN(TestVirtualPrinter)
#include "tst_virtual_printer.moc"
