// The simulator's printer behaviour, without a pty.

#include "printer/device/MacroStore.h"

#include <QtTest>

using Chunks = QList<QByteArray>;

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray ESC("\x1B", 1);
const QByteArray US("\x1F", 1);
const QByteArray NUL("\0", 1);
const QByteArray startRecording = hex("1B6701");
const QByteArray endRecording = hex("1B6702");

QByteArray named(char letter, const QByteArray &name)
{
    return ESC + US + letter + name + NUL;
}

// Every byte of the joined chunks as a chunk of its own.
Chunks byteByByte(const Chunks &chunks)
{
    Chunks single;
    for (const QByteArray &chunk : chunks)
        for (const char c : chunk)
            single.append(QByteArray(1, c));
    return single;
}

QByteArray feed(MacroStore &model, const Chunks &chunks)
{
    QByteArray out;
    for (const QByteArray &chunk : chunks)
        out += model.receive(chunk);
    return out;
}

QByteArray listLine(int size, const char *type, const QByteArray &name)
{
    return QByteArray::number(size).leftJustified(6) + ' ' + QByteArray(type).leftJustified(6) + ' ' + name + "\r\n";
}
} // namespace

class TestMacroStore : public QObject
{
    Q_OBJECT
private slots:
    void replies_data();
    void replies();
    void macros_data();
    void macros();
    void events_data();
    void events();
    void queriesDuringRecordingAreAnsweredAndKept();
    void oversizedRecordingIsDiscarded();
};

void TestMacroStore::replies_data()
{
    QTest::addColumn<QStringList>("rules");
    QTest::addColumn<QByteArray>("identity");
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray defaultIdentity = MacroStore::kDefaultIdentity;
    QTest::newRow("rule, one chunk") << QStringList{"1004=1501"} << defaultIdentity << Chunks{hex("1004")} << hex("1501");
    QTest::newRow("rule, split chunks") << QStringList{"1004=1501"} << defaultIdentity << Chunks{hex("10"), hex("04")} << hex("1501");
    QTest::newRow("rule, request inside a chunk") << QStringList{"1004=1501"} << defaultIdentity << Chunks{hex("10041B40")} << hex("1501");
    QTest::newRow("rule, twice in one chunk") << QStringList{"1004=1501"} << defaultIdentity << Chunks{hex("10041004")} << hex("15011501");
    QTest::newRow("rule, no match") << QStringList{"1004=1501"} << defaultIdentity << Chunks{hex("1005"), hex("04")} << QByteArray();
    QTest::newRow("later rule wins") << QStringList{"1004=1501", "1004=0601"} << defaultIdentity << Chunks{hex("1004")} << hex("0601");
    QTest::newRow("longest request wins") << QStringList{"04=AA", "1004=BB"} << defaultIdentity << Chunks{hex("10"), hex("04")} << hex("BB");
    QTest::newRow("shorter request still answers alone") << QStringList{"04=AA", "1004=BB"} << defaultIdentity << Chunks{hex("0004")} << hex("AA");
    QTest::newRow("all byte values") << QStringList{"00FF=FF00"} << defaultIdentity << Chunks{hex("00"), hex("FF")} << hex("FF00");
    QTest::newRow("identity default") << QStringList{} << defaultIdentity << Chunks{hex("0515")} << QByteArray("CMD MX2600 V1.00");
    QTest::newRow("identity split") << QStringList{} << QByteArray("CMD T340QV") << Chunks{hex("05"), hex("15")} << QByteArray("CMD T340QV");
    QTest::newRow("identity silent") << QStringList{} << QByteArray() << Chunks{hex("0515")} << QByteArray();
    QTest::newRow("rule overrides identity") << QStringList{"0515=41"} << defaultIdentity << Chunks{hex("0515")} << hex("41");
    QTest::newRow("empty rule silences the list") << QStringList{"0517="} << defaultIdentity << Chunks{hex("0517")} << QByteArray();
    QTest::newRow("list without macros") << QStringList{} << defaultIdentity << Chunks{hex("0517")} << hex("0220");
    QTest::newRow("ENQ alone is no query") << QStringList{} << defaultIdentity << Chunks{hex("0505"), hex("40")} << QByteArray();
    QTest::newRow("identity query in image data") << QStringList{} << defaultIdentity
                                                  << Chunks{hex("1B40 1D76300002000200 05150515 0A")} << QByteArray();
    QTest::newRow("rule's request in image data") << QStringList{"0A=AA"} << defaultIdentity << Chunks{hex("1D76300001000100 0A")}
                                                  << QByteArray();
}

void TestMacroStore::replies()
{
    QFETCH(QStringList, rules);
    QFETCH(QByteArray, identity);
    QFETCH(Chunks, chunks);
    QFETCH(QByteArray, expected);

    MacroStore model;
    model.setIdentity(identity);
    for (const QString &rule : rules) {
        const QStringList parts = rule.split(QLatin1Char('='));
        model.addReplyRule(QByteArray::fromHex(parts[0].toLatin1()), QByteArray::fromHex(parts[1].toLatin1()));
    }
    QCOMPARE(feed(model, chunks).toHex(' '), expected.toHex(' '));
}

void TestMacroStore::macros_data()
{
    QTest::addColumn<QByteArray>("identity");
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<QByteArray>("expectedList");

    const QByteArray mx2600 = MacroStore::kDefaultIdentity;
    const QByteArray mx2100("CMD MX2100 V2.10");
    const QByteArray prefix = MacroStore::kListPrefix;
    const QByteArray normalDemo = startRecording + "ABC" + endRecording + named('m', "Demo");
    const QByteArray silentDemo = named('b', "Old") + "hello" + named('e', "Demo");

    QTest::newRow("normal") << mx2600 << Chunks{normalDemo} << prefix + listLine(3, "User", "Demo");
    QTest::newRow("normal, byte by byte") << mx2600 << byteByByte({normalDemo}) << prefix + listLine(3, "User", "Demo");
    QTest::newRow("normal, end and store split")
        << mx2600 << Chunks{startRecording + "AB", hex("431B"), hex("6702") + ESC, US + "mDe", "mo" + NUL}
        << prefix + listLine(3, "User", "Demo");
    QTest::newRow("normal, empty name") << mx2600 << Chunks{startRecording + "ABC" + endRecording + named('m', "")} << prefix + listLine(3, "User", "");
    QTest::newRow("normal, empty body") << mx2600 << Chunks{startRecording + endRecording + named('m', "E")} << prefix + listLine(0, "User", "E");
    QTest::newRow("normal, body holds every byte value")
        << mx2600 << Chunks{startRecording + hex("00FF1B1F0D0A") + endRecording + named('m', "B")} << prefix + listLine(6, "User", "B");
    QTest::newRow("start after a stray ESC") << mx2600 << Chunks{ESC + normalDemo} << prefix + listLine(3, "User", "Demo");
    QTest::newRow("store without recording") << mx2600 << Chunks{named('m', "X")} << prefix;
    QTest::newRow("a silent recording's header in image data")
        << mx2600 << Chunks{hex("1B40 1D76300005000100 1B1F627800 61667465720A 1D5600")} << prefix;
    QTest::newRow("a recording's end in image data")
        << mx2600 << Chunks{startRecording + hex("1D76300003000100 1B6702") + "x" + endRecording + named('m', "A")}
        << prefix + listLine(12, "User", "A");
    QTest::newRow("second store has nothing left") << mx2600 << Chunks{normalDemo + named('m', "Two")} << prefix + listLine(3, "User", "Demo");
    QTest::newRow("silent, stored under the end name") << mx2600 << Chunks{silentDemo} << prefix + listLine(5, "User", "Demo");
    QTest::newRow("silent, byte by byte") << mx2600 << byteByByte({silentDemo}) << prefix + listLine(5, "User", "Demo");
    QTest::newRow("silent, empty names") << mx2600 << Chunks{named('b', "") + "xy" + named('e', "")} << prefix + listLine(2, "User", "");
    QTest::newRow("silent, NUL in the body, empty end name")
        << mx2600 << Chunks{named('b', "S") + QByteArray("A\0B", 3) + ESC + US + "e" + NUL + "C" + named('e', "S")}
        << prefix + listLine(3, "User", "");
    QTest::newRow("same name replaced")
        << mx2600 << Chunks{normalDemo, startRecording + "ABCDE" + endRecording + named('m', "Demo")} << prefix + listLine(5, "User", "Demo");
    QTest::newRow("names in byte order")
        << mx2600 << Chunks{startRecording + "1" + endRecording + named('m', "b"), startRecording + "22" + endRecording + named('m', "a")}
        << prefix + listLine(2, "User", "a") + listLine(1, "User", "b");
    QTest::newRow("remove") << mx2600 << Chunks{normalDemo + named('d', "Demo")} << prefix;
    QTest::newRow("remove, other name") << mx2600 << Chunks{normalDemo + named('d', "demo")} << prefix + listLine(3, "User", "Demo");
    QTest::newRow("remove, empty name") << mx2600 << Chunks{startRecording + "A" + endRecording + named('m', "") + named('d', "")} << prefix;
    QTest::newRow("transfer") << mx2600 << Chunks{normalDemo + named('t', "")}
                              << prefix + listLine(3, "User", "Demo") + listLine(3, "Ext", "Demo");
    QTest::newRow("transfer replaces the extended store")
        << mx2600 << Chunks{normalDemo + named('t', "") + named('d', "Demo") + startRecording + "Z" + endRecording + named('m', "New") + named('t', "")}
        << prefix + listLine(1, "User", "New") + listLine(1, "Ext", "New");
    QTest::newRow("remove leaves the extended store")
        << mx2600 << Chunks{normalDemo + named('t', "") + named('d', "Demo")} << prefix + listLine(3, "Ext", "Demo");
    QTest::newRow("transfer without extended store") << mx2100 << Chunks{normalDemo + named('t', "")} << prefix + listLine(3, "User", "Demo");
    QTest::newRow("clear") << mx2600 << Chunks{normalDemo + named('t', "") + named('f', "EXT")} << prefix + listLine(3, "User", "Demo");
    QTest::newRow("clear, split") << mx2600 << byteByByte({normalDemo + named('t', "") + named('f', "EXT")})
                                  << prefix + listLine(3, "User", "Demo");
    QTest::newRow("clear needs EXT") << mx2600 << Chunks{normalDemo + named('t', "") + named('f', "ext")}
                                     << prefix + listLine(3, "User", "Demo") + listLine(3, "Ext", "Demo");
    QTest::newRow("silent identity has no extended store") << QByteArray() << Chunks{normalDemo + named('t', "")}
                                                            << prefix + listLine(3, "User", "Demo");
    QTest::newRow("name too long is dropped")
        << mx2600 << Chunks{startRecording + "A" + endRecording + ESC + US + "m" + QByteArray(MacroStore::kMaxNameLength + 1, 'n') + NUL}
        << prefix;
    QTest::newRow("longest name") << mx2600
                                  << Chunks{startRecording + "A" + endRecording + named('m', QByteArray(MacroStore::kMaxNameLength, 'n'))}
                                  << prefix + listLine(1, "User", QByteArray(MacroStore::kMaxNameLength, 'n'));
}

void TestMacroStore::macros()
{
    QFETCH(QByteArray, identity);
    QFETCH(Chunks, chunks);
    QFETCH(QByteArray, expectedList);

    MacroStore model;
    model.setIdentity(identity);
    QCOMPARE(feed(model, chunks), QByteArray()); // no queries among the chunks
    QCOMPARE(model.state(), MacroStore::State::Idle);
    QCOMPARE(model.receive(hex("0517")), expectedList);
}

void TestMacroStore::events_data()
{
    QTest::addColumn<QByteArray>("identity");
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<QStringList>("expected");

    const QByteArray mx2600 = MacroStore::kDefaultIdentity;
    const QByteArray demo = startRecording + "ABC" + endRecording + named('m', "Demo");
    const QStringList stored{"recording started", "recording ended (3 bytes)", "stored Demo (3 bytes)"};

    QTest::newRow("play") << mx2600 << Chunks{demo, named('r', "Demo")} << stored + QStringList{"played Demo (3 bytes)"};
    QTest::newRow("play, split") << mx2600 << byteByByte({demo + named('r', "Demo")}) << stored + QStringList{"played Demo (3 bytes)"};
    QTest::newRow("play, unknown") << mx2600 << Chunks{named('r', "Demo")} << QStringList{"play Demo: no such macro"};
    QTest::newRow("play from the extended store")
        << mx2600 << Chunks{demo + named('t', "") + named('d', "Demo") + named('r', "Demo")}
        << stored + QStringList{"transferred 1 macros to the extended store", "removed Demo", "played Demo (3 bytes)"};
    QTest::newRow("play, name escaped") << mx2600 << Chunks{named('r', "a\\\x01")} << QStringList{"play a\\\\\\x01: no such macro"};
    QTest::newRow("print query")
        << mx2600 << Chunks{demo + named('q', "Demo") + named('q', "x")}
        << stored + QStringList{"print query Demo: User, 3 bytes", "print query x: no such macro"};
    QTest::newRow("remove, unknown") << mx2600 << Chunks{named('d', "x")} << QStringList{"remove x: no such macro"};
    QTest::newRow("silent") << mx2600 << Chunks{named('b', "A") + "xy" + named('e', "B")}
                            << QStringList{"silent recording of A started", "stored B (2 bytes, silent)"};
    QTest::newRow("ends without start") << mx2600 << Chunks{endRecording + named('e', "B")}
                                        << QStringList{"end of recording without a start: ignored",
                                                       "end of silent recording without a start: ignored"};
    QTest::newRow("transfer, no extended store") << QByteArray("CMD MX2100") << Chunks{named('t', ""), named('f', "EXT")}
                                                 << QStringList{"transfer ignored: no extended store",
                                                                "clear ignored: no extended store"};
    QTest::newRow("clear") << mx2600 << Chunks{named('f', "EXT")} << QStringList{"extended store cleared"};
    QTest::newRow("unknown commands pass") << mx2600 << Chunks{hex("1B401B1F7A00") + ESC + "g" + hex("03")} << QStringList{};
}

void TestMacroStore::events()
{
    QFETCH(QByteArray, identity);
    QFETCH(Chunks, chunks);
    QFETCH(QStringList, expected);

    MacroStore model;
    model.setIdentity(identity);
    feed(model, chunks);
    QCOMPARE(model.takeNotes(), expected);
    QVERIFY(model.takeNotes().isEmpty());
}

void TestMacroStore::queriesDuringRecordingAreAnsweredAndKept()
{
    MacroStore model;
    QCOMPARE(model.receive(startRecording + hex("0515")), QByteArray("CMD MX2600 V1.00"));
    QCOMPARE(model.state(), MacroStore::State::Recording);
    QCOMPARE(model.receive(endRecording + named('m', "Q")), QByteArray());
    QCOMPARE(model.userStore().value("Q"), hex("0515"));
}

void TestMacroStore::oversizedRecordingIsDiscarded()
{
    MacroStore model;
    model.setMaxMacroSize(4);
    model.receive(startRecording + "ABCD" + endRecording + named('m', "fits"));
    model.receive(startRecording + "ABCDE" + endRecording + named('m', "big"));
    model.receive(named('b', "") + QByteArray(1000, 'x') + named('e', "huge"));
    QCOMPARE(model.state(), MacroStore::State::Idle);
    QCOMPARE(model.userStore().keys(), QList<QByteArray>{"fits"});
    const QStringList events = model.takeNotes();
    QCOMPARE(events.count(QStringLiteral("recording discarded: longer than 4 bytes")), 2);
}

QTEST_GUILESS_MAIN(TestMacroStore)
#include "tst_macro_store.moc"
