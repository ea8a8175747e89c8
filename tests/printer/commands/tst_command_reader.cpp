// The one command reader: commands found whole, never inside another
// command's data, however the stream is split; and what the interpreter
// reports of the commands that print nothing.
#include "support/ReceiptText.h"

#include "printer/commands/CommandReader.h"
#include "printer/interpreter/ReceiptInterpreter.h"

#include <QtTest>

using namespace PrinterBytes;

class TestCommandReader : public QObject
{
    Q_OBJECT
private slots:
    void headerCommands_data();
    void headerCommands();
    void eventsAndRequests();
};

void TestCommandReader::headerCommands_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("commands");

    const QByteArray status = DLE + "\x04" + n(1);
    QTest::newRow("requests between text") << "A" + status + "B" + FS + "\x05" + n(8) << QStringList{"100401", "1c0508"};
    QTest::newRow("in raster data") << GS + "v0" + n(0) + word(3) + word(1) + status + ESC + "@"
                                    << QStringList{"1b40"};
    QTest::newRow("in column data") << ESC + "*" + n(0x21) + word(1) + status + status << QStringList{"100401"};
    QTest::newRow("in QR code data") << qrFunction("1P0" + status) + status << QStringList{"100401"};
    QTest::newRow("in a barcode, ended by 00") << GS + "k" + n(4) + status + n(0) + status << QStringList{"100401"};
    QTest::newRow("in a counted barcode") << GS + "k" + n(0x49) + n(3) + status + status << QStringList{"100401"};
    QTest::newRow("in a macro's name") << ESC + "\x1Fr" + status + n(0) + status << QStringList{"100401"};
    QTest::newRow("in skipped graphics") << GS + "(L" + word(3) + status + status << QStringList{"100401"};
    QTest::newRow("after an unknown command") << ESC + "\x01" + status << QStringList{"100401"};
    QTest::newRow("in FS q images, one after the other")
        << FS + "q" + n(2) + word(1) + word(1) + status + QByteArray(5, 'x') + word(1) + word(1) + status + QByteArray(5, 'x') + status
        << QStringList{"100401"};
    QTest::newRow("in GS 8 L graphics") << GS + "8L" + word(5) + word(0) + "0p" + status + status << QStringList{"100401"};
    QTest::newRow("in the beeper's and the tab stops' data")
        << ESC + "(A" + word(3) + status + ESC + "D" + status + n(0) + status << QStringList{"100401"};
    QTest::newRow("page mode and positions, all header")
        << ESC + "L" + ESC + "W" + QByteArray(8, '\x10') + ESC + "T" + n(1) + GS + "$" + word(4) + ESC + "\\" + word(2) + ESC + "{" + n(1)
               + FS + "p" + n(1) + n(0) + ESC + "\x0C"
        << QStringList{"1b4c", "1b571010101010101010", "1b5401", "1d240400", "1b5c0200", "1b7b01", "1c700100", "1b0c"};
    QTest::newRow("drawer pulse, modes, requests")
        << DLE + "\x14" + n(1) + n(0) + n(5) + ESC + "!" + n(8) + GS + "r" + n(1) + GS + "a" + n(15)
        << QStringList{"1014010005", "1b2108", "1d7201", "1d610f"};
}

void TestCommandReader::headerCommands()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, commands);
    for (int chunk = 1; chunk <= 7; ++chunk) {
        CommandReader reader;
        QStringList found;
        const CommandReader::Handler collect = [&found](const CommandReader::Piece &piece) {
            if (piece.part == CommandReader::Part::Command && piece.frame->kind == Frame::Kind::Whole)
                found << piece.command->toHex();
            return true;
        };
        for (qsizetype at = 0; at < stream.size(); at += chunk)
            reader.feed(stream.mid(at, chunk), collect);
        QCOMPARE(found, commands);
        QVERIFY(!reader.waiting());
    }
}

void TestCommandReader::eventsAndRequests()
{
    ReceiptInterpreter paper;
    QStringList seen;
    paper.setEventHandler([&seen](const ReceiptEvent &event, int receipt) {
        seen << QStringLiteral("%1 drawer %2%3 y %4 receipt %5")
                    .arg(event.kind == ReceiptEvent::Kind::DrawerPulse ? "pulse" : "beep")
                    .arg(event.drawer)
                    .arg(event.realTime ? " at once" : "")
                    .arg(event.y)
                    .arg(receipt);
    });
    paper.setRequestHandler([&seen](const QByteArray &command) { seen << QString::fromLatin1(command.toHex()); });
    paper.feed("A\n" + ESC + "p" + n(1) + n(25) + n(250) + GS + "V" + n(0) + DLE + "\x14" + n(1) + n(0) + n(1) + GS + "I" + n(0x43));
    QCOMPARE(seen, (QStringList{"pulse drawer 2 y 30 receipt 1", "pulse drawer 1 at once y 0 receipt 2", "1d4943"}));
    QCOMPARE(paper.finished().front().events.size(), 1);
    QCOMPARE(paper.paperFedDots(), 30);
    paper.feed("B\n\n");
    QCOMPARE(paper.paperFedDots(), 90);
}

QTEST_GUILESS_MAIN(TestCommandReader)
#include "tst_command_reader.moc"
