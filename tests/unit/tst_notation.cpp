// The command notation: text in, exact bytes out, and the echo of sent bytes.
#include "commands/Notation.h"
#include "support/Fakes.h"

#include <QtTest>

#include <clocale>
#include <cmath>

namespace {

struct Conversion {
    QByteArray bytes;
    QStringList messages;
    QList<int> bytesBeforeMessage; // how many bytes were out when each message came
};

Conversion convert(const QByteArray &text)
{
    Conversion result;
    FakeOperator op;
    op.onMessage = [&](const AskedQuestion &q) {
        result.messages << q.text;
        result.bytesBeforeMessage << int(result.bytes.size());
        QCOMPARE(q.buttons, Msg::Buttons::Ok);
        QCOMPARE(q.caption, kAppTitle);
    };
    QByteArray rest = text;
    int steps = 0;
    while (!rest.isEmpty()) {
        result.bytes += char(Notation::NextCommandByte(rest, op));
        if (rest.size() > Notation::kMaxRest)
            QTest::qFail("the rest is longer than 255 characters", __FILE__, __LINE__);
        if (++steps > 10000)
            break; // a conversion that never ends is a fault the size check below catches
    }
    return result;
}

const QString kTooBig = QStringLiteral("Value is greater than 255. Press OK to continue");

} // namespace

class tst_notation : public QObject {
    Q_OBJECT
private slots:
    void conversion_data();
    void conversion();
    void mnemonicsAnyCase_data();
    void mnemonicsAnyCase();
    void cuts_data();
    void cuts();
    void outOfRangeKeepsEarlierBytes();
    void readNumber_data();
    void readNumber();
    void roundToInt16_data();
    void roundToInt16();
    void echo_data();
    void echo();
    void echoOfCommand();
    void mnemonicTable();
    void numbersIgnoreTheCLocale();
};

void tst_notation::conversion_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<int>("messages");

    // Numbers in angle brackets.
    QTest::newRow("decimal") << QByteArray("<27>") << "1B" << 0;
    QTest::newRow("x first") << QByteArray("<x1B>") << "1B" << 0;
    QTest::newRow("X, lower digit") << QByteArray("<X1b>") << "1B" << 0;
    QTest::newRow("x last") << QByteArray("<1Bx>") << "1B" << 0;
    QTest::newRow("x in the middle") << QByteArray("<2x5>") << "25" << 0;
    QTest::newRow("two x") << QByteArray("<xx1>") << "01" << 0;
    QTest::newRow("&H") << QByteArray("<&H1B>") << "1B" << 0;
    QTest::newRow("&h lower") << QByteArray("<&h1f>") << "1F" << 0;
    QTest::newRow("&O") << QByteArray("<&O17>") << "0F" << 0;
    QTest::newRow("&o lower, 8 stops") << QByteArray("<&o78>") << "07" << 0;
    QTest::newRow("& other letter") << QByteArray("<&Q1>") << "00" << 0;
    QTest::newRow("blank before digits") << QByteArray("< 27>") << "1B" << 0;
    QTest::newRow("blank between digits") << QByteArray("<2 7>") << "1B" << 0;
    QTest::newRow("tab") << QByteArray("<\t27>") << "1B" << 0;
    QTest::newRow("line feed") << QByteArray("<2\n7>") << "1B" << 0;
    QTest::newRow("CR stops reading") << QByteArray("<2\r7>") << "02" << 0;
    QTest::newRow("1B without x stops at B") << QByteArray("<1B>") << "01" << 0;
    QTest::newRow("ESC reads no digit") << QByteArray("<ESC>") << "00" << 0;
    QTest::newRow("empty") << QByteArray("<>") << "00" << 0;
    QTest::newRow("x alone") << QByteArray("<x>") << "00" << 0;
    QTest::newRow("x with sign") << QByteArray("<x-1>") << "00" << 0;
    QTest::newRow("plus") << QByteArray("<+5>") << "05" << 0;
    QTest::newRow("two signs") << QByteArray("<+-5>") << "00" << 0;
    QTest::newRow("comma stops") << QByteArray("<1,5>") << "01" << 0;
    QTest::newRow("exponent") << QByteArray("<1E2>") << "64" << 0;
    QTest::newRow("exponent lower") << QByteArray("<2e1>") << "14" << 0;
    QTest::newRow("exponent without digits") << QByteArray("<1E>") << "01" << 0;
    QTest::newRow("negative exponent") << QByteArray("<5E-1>") << "00" << 0;
    QTest::newRow("half to even down") << QByteArray("<2.5>") << "02" << 0;
    QTest::newRow("half to even up") << QByteArray("<65.5>") << "42" << 0;
    QTest::newRow("half up from odd") << QByteArray("<1.5>") << "02" << 0;
    QTest::newRow("point first") << QByteArray("<.5>") << "00" << 0;
    QTest::newRow("point last") << QByteArray("<7.>") << "07" << 0;
    QTest::newRow("minus zero") << QByteArray("<-0.4>") << "00" << 0;
    QTest::newRow("255") << QByteArray("<255>") << "FF" << 0;
    QTest::newRow("xFF") << QByteArray("<xFF>") << "FF" << 0;
    QTest::newRow("256") << QByteArray("<256>") << "00" << 1;
    QTest::newRow("x100") << QByteArray("<x100>") << "00" << 1;
    QTest::newRow("x7FF") << QByteArray("<x7FF>") << "00" << 1;
    QTest::newRow("> at position 6") << QByteArray("<1234>") << "00" << 1;
    QTest::newRow("below 0") << QByteArray("<-1>") << "00" << 1;
    QTest::newRow("beyond 16 bits") << QByteArray("<9E9>") << "00" << 1;
    QTest::newRow("huge exponent") << QByteArray("<1E99>") << "00" << 1;
    QTest::newRow("zero, huge exponent") << QByteArray("<0E99>") << "00" << 0;
    QTest::newRow("> at position 7") << QByteArray("<12345>") << "3C 31 32 33 34 35 3E" << 0;
    // Five characters between the brackets never reach the number reader.
    QTest::newRow("xFFFF is too long") << QByteArray("<xFFFF>") << "3C 78 46 46 46 46 3E" << 0;
    QTest::newRow("&H100 is too long") << QByteArray("<&H100>") << "3C 26 48 31 30 30 3E" << 0;
    QTest::newRow("unclosed at end") << QByteArray("<12") << "3C 31 32" << 0;
    QTest::newRow("lone <") << QByteArray("<") << "3C" << 0;
    QTest::newRow("text after") << QByteArray("<12>3") << "0C 33" << 0;
    QTest::newRow("first > closes") << QByteArray("<1>>") << "01 3E" << 0;
    QTest::newRow("number then mnemonic") << QByteArray("<x1B>[ESC]") << "1B 1B" << 0;

    // Mnemonics in square brackets.
    QTest::newRow("lower case") << QByteArray("[esc]@") << "1B 40" << 0;
    QTest::newRow("twice") << QByteArray("[ESC][ESC]") << "1B 1B" << 0;
    QTest::newRow("NUL") << QByteArray("[NUL]") << "00" << 0;
    QTest::newRow("LF") << QByteArray("[LF]") << "0A" << 0;
    QTest::newRow("mixed case US") << QByteArray("[Us]") << "1F" << 0;
    QTest::newRow("DC4") << QByteArray("[dC4]") << "14" << 0;
    QTest::newRow("too long") << QByteArray("[ESCAPE]") << "5B 45 53 43 41 50 45 5D" << 0;
    QTest::newRow("empty brackets") << QByteArray("[]") << "5B 5D" << 0;
    QTest::newRow("unknown") << QByteArray("[XYZ]") << "5B 58 59 5A 5D" << 0;
    QTest::newRow("unclosed") << QByteArray("[ESC") << "5B 45 53 43" << 0;
    QTest::newRow("lone [") << QByteArray("[") << "5B" << 0;
    QTest::newRow("bracket before") << QByteArray("[[ESC]") << "5B 1B" << 0;
    QTest::newRow("first ] counts") << QByteArray("[E]SC]") << "5B 45 5D 53 43 5D" << 0;
    QTest::newRow("] after") << QByteArray("[ESC]]") << "1B 5D" << 0;
    QTest::newRow("no DEL mnemonic") << QByteArray("[DEL]") << "5B 44 45 4C 5D" << 0;
    QTest::newRow("number inside") << QByteArray("[<27>]") << "5B 1B 5D" << 0;

    // Backslash escapes.
    QTest::newRow("escaped <") << QByteArray("\\<27>") << "3C 32 37 3E" << 0;
    QTest::newRow("two backslashes") << QByteArray("\\\\") << "5C" << 0;
    QTest::newRow("lone backslash") << QByteArray("\\") << "5C" << 0;
    QTest::newRow("backslash at end") << QByteArray("a\\") << "61 5C" << 0;
    QTest::newRow("escaped [") << QByteArray("\\[ESC]") << "5B 45 53 43 5D" << 0;
    QTest::newRow("escaped byte 00") << QByteArray("\\\0x", 3) << "00 78" << 0;
    QTest::newRow("escaped high byte") << QByteArray("\\\xE9") << "E9" << 0;

    // Plain text and whole commands.
    QTest::newRow("empty text") << QByteArray() << "" << 0;
    QTest::newRow("plain") << QByteArray("AB c") << "41 42 20 63" << 0;
    QTest::newRow("high bytes pass") << QByteArray("\xC8\xFF") << "C8 FF" << 0;
    QTest::newRow("command") << QByteArray("[ESC]@<200>[CR][LF]") << "1B 40 C8 0D 0A" << 0;
    QTest::newRow("two too big") << QByteArray("<300><-5>") << "00 00" << 2;
}

void tst_notation::conversion()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, bytes);
    QFETCH(int, messages);
    const Conversion c = convert(text);
    QCOMPARE(hexBytes(c.bytes), bytes);
    QCOMPARE(c.messages.size(), messages);
    for (const QString &m : c.messages)
        QCOMPARE(m, kTooBig);
}

void tst_notation::mnemonicsAnyCase_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("byte");
    for (int v = 0; v < 32; ++v) {
        const QByteArray name = Notation::Mnemonics()[v + 1];
        QTest::addRow("%s", name.constData()) << name << v;
        QTest::addRow("%s lower", name.constData()) << name.toLower() << v;
    }
}

void tst_notation::mnemonicsAnyCase()
{
    QFETCH(QByteArray, text);
    QFETCH(int, byte);
    const Conversion c = convert(text);
    QCOMPARE(c.bytes, QByteArray(1, char(byte)));
}

void tst_notation::cuts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray plain300(300, 'a');
    QTest::newRow("300 plain give 256") << plain300 << plain300.left(256);
    QTest::newRow("256 plain all") << QByteArray(256, 'b') << QByteArray(256, 'b');
    QTest::newRow("mnemonic then 300") << QByteArray("[ESC]") + plain300 << QByteArray("\x1b") + plain300.left(255);
    QTest::newRow("number then 300") << QByteArray("<27>") + plain300 << QByteArray("\x1b") + plain300.left(255);
    QTest::newRow("escape then 300") << QByteArray("\\A") + plain300 << QByteArray("A") + plain300.left(255);
    // The rest is cut after every step: a form reaching past the cut falls apart.
    QTest::newRow("form cut through") << QByteArray("A") + QByteArray(252, 'B') + "[ESC]"
                                      << QByteArray("A") + QByteArray(252, 'B') + "[ES";
    // 60 mnemonics and "tail": after the first, 299 characters are left, cut to 51 forms.
    QTest::newRow("forms past the cut dropped") << QByteArray("[ESC]").repeated(60) + "tail"
                                                << QByteArray("\x1b").repeated(52);
}

void tst_notation::cuts()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(convert(text).bytes, bytes);
}

void tst_notation::outOfRangeKeepsEarlierBytes()
{
    const Conversion c = convert("A<300>B<x100>");
    QCOMPARE(hexBytes(c.bytes), QStringLiteral("41 00 42 00"));
    QCOMPARE(c.bytesBeforeMessage, (QList<int>{1, 3})); // each message at its own step
}

void tst_notation::readNumber_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<double>("value");
    QTest::newRow("decimal") << QByteArray("27") << false << 27.0;
    QTest::newRow("fraction") << QByteArray("1.5") << false << 1.5;
    QTest::newRow("blanks anywhere") << QByteArray(" -1 2.5 ") << false << -12.5;
    QTest::newRow("exponent sign") << QByteArray("25E-1") << false << 2.5;
    QTest::newRow("no digit") << QByteArray("E5") << false << 0.0;
    QTest::newRow("hex") << QByteArray("1b") << true << 27.0;
    QTest::newRow("hex 7FFF") << QByteArray("7FFF") << true << 32767.0;
    QTest::newRow("hex 8000 negative") << QByteArray("8000") << true << -32768.0;
    QTest::newRow("hex FFFF is -1") << QByteArray("FFFF") << true << -1.0;
    QTest::newRow("hex five digits") << QByteArray("10000") << true << 65536.0;
    QTest::newRow("hex stops") << QByteArray("1G2") << true << 1.0;
    QTest::newRow("&HFFFF") << QByteArray("&HFFFF") << false << -1.0;
    QTest::newRow("&O177777") << QByteArray("&O177777") << false << -1.0;
    QTest::newRow("&O") << QByteArray("&o17") << false << 15.0;
    QTest::newRow("& alone") << QByteArray("&") << false << 0.0;
    QTest::newRow("huge") << QByteArray("1E99999") << false << HUGE_VAL;
    QTest::newRow("tiny") << QByteArray("1E-99999") << false << 0.0;
    QTest::newRow("zero times huge") << QByteArray("0E99999") << false << 0.0;
}

void tst_notation::readNumber()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, hex);
    QFETCH(double, value);
    QCOMPARE(Notation::ReadNumber(text, hex), value);
}

void tst_notation::roundToInt16_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded"); // 99999: out of range
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("3.5") << 3.5 << 4;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("2.6") << 2.6 << 3;
    QTest::newRow("32767.4") << 32767.4 << 32767;
    QTest::newRow("32767.5") << 32767.5 << 99999;
    QTest::newRow("-32768.5") << -32768.5 << -32768;
    QTest::newRow("-32769") << -32769.0 << 99999;
    QTest::newRow("inf") << double(HUGE_VAL) << 99999;
    QTest::newRow("nan") << std::nan("") << 99999;
}

void tst_notation::roundToInt16()
{
    QFETCH(double, value);
    QFETCH(int, rounded);
    const std::optional<qint16> r = Notation::RoundToInt16(value);
    QCOMPARE(r ? int(*r) : 99999, rounded);
}

void tst_notation::echo_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("NUL") << 0 << QByteArray("[NUL]") << QByteArray("[NUL]");
    QTest::newRow("ESC") << 27 << QByteArray("[ESC]") << QByteArray("[ESC]");
    QTest::newRow("US") << 31 << QByteArray("[US]") << QByteArray("[US]");
    QTest::newRow("CR ends the line") << 13 << QByteArray("[CR]\r\n") << QByteArray("[CR]");
    QTest::newRow("LF ends the line") << 10 << QByteArray("[LF]\r\n") << QByteArray("[LF]");
    QTest::newRow("blank") << 32 << QByteArray(" ") << QByteArray(" ");
    QTest::newRow("@") << 64 << QByteArray("@") << QByteArray("@");
    QTest::newRow("127 as itself") << 127 << QByteArray("\x7f") << QByteArray("\x7f");
    QTest::newRow("128 with blank") << 128 << QByteArray("< 128>") << QByteArray("< 128>");
    QTest::newRow("200 with blank") << 200 << QByteArray("< 200>") << QByteArray("< 200>");
    QTest::newRow("255") << 255 << QByteArray("< 255>") << QByteArray("< 255>");
}

void tst_notation::echo()
{
    QFETCH(int, byte);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, name);
    QCOMPARE(Notation::EchoText(quint8(byte)), text);
    QCOMPARE(Notation::EchoName(quint8(byte)), name);
}

void tst_notation::echoOfCommand()
{
    QByteArray shown;
    for (const char b : convert("[ESC]@<200>[CR][LF]").bytes)
        shown += Notation::EchoText(quint8(b));
    QCOMPARE(shown, QByteArray("[ESC]@< 200>[CR]\r\n[LF]\r\n"));
}

void tst_notation::mnemonicTable()
{
    const Notation::MnemonicTable &t = Notation::Mnemonics();
    QVERIFY(t[0].isEmpty());
    QVERIFY(t[33].isEmpty());
    const QByteArrayList expected = QByteArray(
        "NUL SOH STX ETX EOT ENQ ACK BEL BS HT LF VT FF CR SO SI DLE DC1 DC2 DC3 DC4 NAK SYN ETB CAN EM SUB ESC FS GS RS US")
                                        .split(' ');
    QCOMPARE(expected.size(), 32);
    for (int v = 0; v < 32; ++v)
        QCOMPARE(t[v + 1], '[' + expected[v] + ']');
}

void tst_notation::numbersIgnoreTheCLocale()
{
    // QCoreApplication takes the C locale from the environment; a decimal comma there
    // must not change what <1.5> means.
    const char *found = nullptr;
    for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE"}) {
        if ((found = std::setlocale(LC_NUMERIC, name)))
            break;
    }
    if (!found)
        QSKIP("no locale with a decimal comma is installed");
    QCOMPARE(hexBytes(convert("<1.5><65.5>").bytes), QStringLiteral("02 42"));
    QCOMPARE(Notation::ReadNumber("2.25"), 2.25);
    std::setlocale(LC_NUMERIC, "C");
}

QTEST_GUILESS_MAIN(tst_notation)
#include "tst_notation.moc"
