// The pass-through's words: which LISTEN texts it takes, and how its traffic
// reads in the display and the log.
#include "commands/Notation.h"
#include "commands/PassThroughText.h"
#include "session/PassThrough.h"
#include "support/LinkFixtures.h"

#include <QtTest>

class tst_PassThroughWords : public QObject {
    Q_OBJECT
private slots:
    void listenTexts_data();
    void listenTexts();
    void display_data();
    void display();
    void sentLineSendsTheBytesAgain_data();
    void sentLineSendsTheBytesAgain();
};

void tst_PassThroughWords::listenTexts_data()
{
    QTest::addColumn<QString>("listen");
    QTest::addColumn<QString>("problem");
    const QString usage = QStringLiteral("expected tcp://HOST:PORT with a port from 1 to 65535 (0 takes any free one)");
    QTest::newRow("a path") << "/home/u/pos-printer" << "";
    QTest::newRow("tcp, loopback") << "tcp://127.0.0.1:9100" << "";
    QTest::newRow("tcp, host left out") << "tcp://:9100" << "";
    QTest::newRow("tcp, IPv6 in brackets") << "tcp://[::1]:9100" << "";
    QTest::newRow("nothing") << "  " << "give a path for the pseudo terminal, or tcp://HOST:PORT";
    QTest::newRow("another scheme") << "udp://:9100" << "udp://:9100: give a path for the pseudo terminal, or tcp://HOST:PORT";
    QTest::newRow("a folder") << "/tmp/" << "/tmp/: not a file name for the pseudo terminal's link";
    QTest::newRow("tcp, no port") << "tcp://127.0.0.1" << "tcp://127.0.0.1: " + usage;
    QTest::newRow("tcp, port too big") << "tcp://:65536" << "tcp://:65536: " + usage;
    QTest::newRow("tcp, IPv6 without brackets") << "tcp://::1:9100" << "tcp://::1:9100: an IPv6 address goes in brackets, as in tcp://[::1]:9100";
    QTest::newRow("tcp, odd host") << "tcp://a b:9100" << "tcp://a b:9100: \"a b\" is not a host name or address";
}

void tst_PassThroughWords::listenTexts()
{
    QFETCH(QString, listen);
    QFETCH(QString, problem);
    QCOMPARE(PassThrough::checkListen(listen), problem);
}

void tst_PassThroughWords::display_data()
{
    // Chunks as they pass: '>' the program sent, '<' the printer answered.
    QTest::addColumn<QStringList>("chunks");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("shown");
    const int normal = int(DisplayMode::Normal);
    QTest::newRow("a receipt in two chunks, one line")
        << QStringList{">1B40", ">41420A"} << normal << QByteArray("\r\nto printer: [ESC]@AB[LF]");
    QTest::newRow("a status reply decoded as soon as both bytes are in")
        << QStringList{">1B40", "<15", "<01", ">41"} << normal
        << QByteArray("\r\nto printer: [ESC]@\r\nfrom printer: [NAK][SOH]\r\n**Cash Drawer 1 Open**"
                      "\r\nto printer: A");
    QTest::newRow("two status replies in one chunk, each decoded")
        << QStringList{"<15011502"} << normal
        << QByteArray("\r\nfrom printer: [NAK][SOH]\r\n**Cash Drawer 1 Open**\r\nfrom printer: [NAK][STX]"
                      "\r\n**Cash Drawer 2 Open**");
    QTest::newRow("a reply that is no status, in hex")
        << QStringList{">100401", "<12", "<5F4D00"} << int(DisplayMode::Hex)
        << QByteArray("\r\nto printer: [DLE][EOT][SOH]\r\nfrom printer: <12><5F><4D><0>");
}

void tst_PassThroughWords::display()
{
    QFETCH(QStringList, chunks);
    QFETCH(int, mode);
    QFETCH(QByteArray, shown);
    PassThroughText text;
    QByteArray all;
    for (const QString &chunk : chunks) {
        const QByteArray bytes = QByteArray::fromHex(chunk.mid(1).toLatin1());
        all += chunk.startsWith(QLatin1Char('>')) ? text.sent(bytes) : text.answered(bytes, DisplayMode(mode));
    }
    QCOMPARE(all, shown);
}

void tst_PassThroughWords::sentLineSendsTheBytesAgain_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("every byte value") << allByteValues();
    QTest::newRow("text like notation") << QByteArray("price<12>x [ESC] \\n\f\x1B<x1B>[esc]\\[\\<\\\\ \\\xFF\\");
}

// What the program sent, typed as a command, sends the same bytes again.
void tst_PassThroughWords::sentLineSendsTheBytesAgain()
{
    QFETCH(QByteArray, bytes);
    QByteArray rest = PassThroughText().sent(bytes).mid(qstrlen(PassThroughText::kSentMark));
    QByteArray sent;
    for (Notation::Form form; !rest.isEmpty(); rest.remove(0, form.consumed))
        sent += char((form = Notation::ReadForm(rest)).byte);
    QCOMPARE(sent.toHex(' '), bytes.toHex(' '));
}

QTEST_GUILESS_MAIN(tst_PassThroughWords)
#include "tst_pass_through_words.moc"
