// How received bytes are shown, and the status replies' messages.
#include "commands/StatusDecoder.h"

#include <QtTest>

class tst_statusdecoder : public QObject {
    Q_OBJECT
private slots:
    void statusMessage_data();
    void statusMessage();
    void receivedByteText_data();
    void receivedByteText();
};

void tst_statusdecoder::statusMessage_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("message");
    struct Row {
        int code;
        const char *nak;
        const char *ack;
    };
    const Row rows[] = {
        {1, "**Cash Drawer 1 Open**", "**Cash Drawer 1 Closed**"},
        {2, "**Cash Drawer 2 Open**", "**Cash Drawer 2 Closed**"},
        {3, "**Receipt Paper is Low**", "**Receipt Paper is not Low**"},
        {4, "**Receipt Paper is Out**", "**Receipt Paper is Present**"},
        {8, "**Cover is Open**", "**Cover is Closed**"},
        {9, "**Buffer is Not Empty**", "**Buffer is Empty**"},
        {10, "**Reset Rejected**", "**Reset Accepted**"},
        {11, "**Printer has not power cycled**", "**Printer has power cycled**"},
    };
    for (const Row &r : rows) {
        QTest::addRow("NAK %d", r.code) << QByteArray("\x15") + char(r.code) << QByteArray(r.nak);
        QTest::addRow("ACK %d", r.code) << QByteArray("\x06") + char(r.code) << QByteArray(r.ack);
    }
    for (int code : {0, 5, 6, 7, 12, 21, 255}) {
        QTest::addRow("NAK %d unknown", code) << QByteArray("\x15") + char(code) << QByteArray();
        QTest::addRow("ACK %d unknown", code) << QByteArray("\x06") + char(code) << QByteArray();
    }
    QTest::newRow("NAK alone") << QByteArray("\x15") << QByteArray();
    QTest::newRow("ACK alone") << QByteArray("\x06") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("other first byte") << QByteArray("\x05\x01") << QByteArray();
    QTest::newRow("code in third byte only") << QByteArray("\x06\x00\x01", 3) << QByteArray();
    QTest::newRow("later bytes ignored") << QByteArray("\x15\x08\x06\x08") << QByteArray("**Cover is Open**");
}

void tst_statusdecoder::statusMessage()
{
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, message);
    QCOMPARE(StatusDecoder::StatusMessage(reply), message);
}

void tst_statusdecoder::receivedByteText_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<DisplayMode>("mode");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("hex 27") << 27 << DisplayMode::Hex << QByteArray("<1B>");
    QTest::newRow("hex 6 no zero") << 6 << DisplayMode::Hex << QByteArray("<6>");
    QTest::newRow("hex 0") << 0 << DisplayMode::Hex << QByteArray("<0>");
    QTest::newRow("hex 255 upper") << 255 << DisplayMode::Hex << QByteArray("<FF>");
    QTest::newRow("hex A") << 65 << DisplayMode::Hex << QByteArray("<41>");
    QTest::newRow("dec 27") << 27 << DisplayMode::Dec << QByteArray("<27>");
    QTest::newRow("dec 13") << 13 << DisplayMode::Dec << QByteArray("<13>");
    QTest::newRow("dec 200") << 200 << DisplayMode::Dec << QByteArray("<200>");
    QTest::newRow("normal CR hidden") << 13 << DisplayMode::Normal << QByteArray();
    QTest::newRow("normal LF breaks") << 10 << DisplayMode::Normal << QByteArray("\r\n");
    QTest::newRow("normal ACK") << 6 << DisplayMode::Normal << QByteArray("[ACK]");
    QTest::newRow("normal NUL") << 0 << DisplayMode::Normal << QByteArray("[NUL]");
    QTest::newRow("normal US") << 31 << DisplayMode::Normal << QByteArray("[US]");
    QTest::newRow("normal blank") << 32 << DisplayMode::Normal << QByteArray(" ");
    QTest::newRow("normal O") << 79 << DisplayMode::Normal << QByteArray("O");
    QTest::newRow("normal 127") << 127 << DisplayMode::Normal << QByteArray("\x7f");
    QTest::newRow("normal 128 no blank") << 128 << DisplayMode::Normal << QByteArray("<128>");
    QTest::newRow("normal 200 no blank") << 200 << DisplayMode::Normal << QByteArray("<200>");
}

void tst_statusdecoder::receivedByteText()
{
    QFETCH(int, byte);
    QFETCH(DisplayMode, mode);
    QFETCH(QByteArray, text);
    QCOMPARE(StatusDecoder::ReceivedByteText(quint8(byte), mode), text);
}

QTEST_GUILESS_MAIN(tst_statusdecoder)
#include "tst_statusdecoder.moc"
