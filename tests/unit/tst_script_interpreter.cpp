// The script interpreter over small files: the exact bytes of each hand-over
// to the port and the exact text of the display.
#include "support/ScriptRig.h"

#include "scripts/ScriptRunner.h"

#include <QLocale>
#include <QtTest>

namespace {

const QString kValueMessage = QStringLiteral("Value is greater than 255. Press OK to continue");

QString hexOf(const QByteArray &bytes)
{
    return hexBytes(bytes);
}

} // namespace

class tst_ScriptInterpreter : public QObject {
    Q_OBJECT
private slots:
    void bytesAndDisplay_data();
    void bytesAndDisplay();
    void timing_data();
    void timing();
    void graphicBlocks_data();
    void graphicBlocks();
    void graphicFollowsQueuedBytes();
    void missingFilesAreReported_data();
    void missingFilesAreReported();
    void missingScriptEndsTheRun();
    void unopenedFilesAreCounted_data();
    void unopenedFilesAreCounted();
    void sendScriptSaysWhetherItPlayed_data();
    void sendScriptSaysWhetherItPlayed();
    void nestedRun();
    void recursiveDo_data();
    void recursiveDo();
    void doDepthIsLimited();
    void nestedRunTakesModeFromTheBox();
    void countersKeptBetweenRuns();
    void failedHandOverEndsTheRun();
    void failedFlushBeforeDirectiveGoesOn();
    void failedFinalFlushKeepsTheRest();
    void lostPrinterCancelEndsTheRun();
    void buttonsDuringRun();
};

void tst_ScriptInterpreter::bytesAndDisplay_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("packet");
    QTest::addColumn<bool>("transcript");
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QStringList>("messages");

    auto row = [](const char *name, const QByteArray &script, const QStringList &offered,
                  const QByteArray &display, const QStringList &messages = {},
                  const QString &packet = QStringLiteral("20"), const QString &box = QString(),
                  bool transcript = true) {
        QTest::newRow(name) << script << box << packet << transcript << offered << display << messages;
    };

    row("empty file", "", {}, "");
    row("only line ends", "\r\n\r\n\n", {}, "");
    row("flush before a directive", "[ESC]aHi\\n{WAIT:100}<x1D>V<0>\r\n",
        {"1B 61 48 69 0D 0A", "1D 56 00"}, "[ESC]aHi\r\n[GS]V[NUL]");
    row("backquote comment", "AB`CD\r\nEF", {"41 42 45 46"}, "ABEF");
    row("TAB ends a line", "A\tB\r\n", {"41 42"}, "AB");
    row("control byte ends a line", "A\x01" "B", {"41 42"}, "AB");
    row("backslash at the end sends CR", "A\\\r\nB", {"41 0D 42"}, "A[CR]B");
    row("script escapes", "\\n\\t", {"0D 0A 09"}, "\r\n[HT]");
    row("escaped backslash before n", "\\\\n", {"5C 6E"}, "\\n");
    row("escapes are case-sensitive", "\\N\\T", {"4E 54"}, "NT");
    row("CR and LF mnemonics", "[CR][lf]x", {"0D 0A 78"}, "[CR][LF]\r\nx");
    row("byte above 127", "<200>\xE9", {"C8 E9"}, "< 200>< 233>");
    row("value over 255", "<300>A", {"00 41"}, "[NUL]A", {kValueMessage});
    row("unknown directive", "{FOO}X", {"58"}, "X");
    row("empty braces", "{}", {}, "");
    row("trailing blank in a name", "{A=:5}{A }X", {"58"}, "X");
    row("leading blank and lower case", "{A=:5}{ a}", {"35"}, "5\r\n");
    row("counter set, add, insert", "{A=:7}{A+:5}{A}", {"31 32"}, "12\r\n");
    row("negative counter", "{A=:-3}{A}", {"2D 33"}, "-3\r\n");
    row("counter B", "{B-:2}{B}", {"2D 32"}, "-2\r\n");
    row("dot form, blanks around", "{A=. 5 }{A}", {"35"}, "5\r\n");
    row("counter halves to even", "{A=:2.5}{A}{A=:3.5}{A}", {"32", "34"}, "2\r\n4\r\n");
    row("counter in hex", "{A=:&H10}{A}", {"31 36"}, "16\r\n");
    row("counter not a number", "{A=:abc}{A}", {"30"}, "0\r\n",
        {"{A=:abc} needs a whole number from -32768 to 32767; counter A stays 0. Press OK to continue"});
    row("counter overflow", "{A=:32767}{A+:1}{A}", {"33 32 37 36 37"}, "32767\r\n",
        {"{A+:1} would make counter A 32768, beyond -32768 to 32767; it stays 32767. Press OK to continue"});
    row("counter argument out of range", "{B=:40000}{B}", {"30"}, "0\r\n",
        {"{B=:40000} needs a whole number from -32768 to 32767; counter B stays 0. Press OK to continue"});
    row("name of 10 characters is text", "{ABCDEFGHIJ:1}", {hexOf("{ABCDEFGHIJ:1}")}, "{ABCDEFGHIJ:1}");
    row("name of 9 characters", "{ABCDEFGHI:1}X", {"58"}, "X");
    row("argument of 30 characters", "{REM:" + QByteArray(30, 'a') + "}X", {}, "");
    row("argument of 31 characters", "{REM:[ESC]" + QByteArray(26, 'a') + "}X",
        {hexOf("[ESC]" + QByteArray(26, 'a') + "}X")}, "[ESC]" + QByteArray(26, 'a') + "}X", {},
        QStringLiteral("100"));
    row("unclosed directive sends its terminator's next byte", "{WAIT:\r\n", {"0D"}, "[CR]");
    row("unclosed directive at the end of the file", "{WAIT:", {}, "");
    row("lone brace", "{ABCDEFGHIJKL", {hexOf("{ABCDEFGHIJKL")}, "{ABCDEFGHIJKL");
    row("RPT replays", "{RPT:3}ABC\r\n", {"41 42 43 41 42 43 41 42 43"}, "ABCABCABC");
    row("RPT past the end of the file", "X\r\n{RPT:2}AB", {"58", "41 42 41 42"}, "XABAB");
    row("RPT before more lines", "{RPT:2}A\r\nB\r\n", {"41 41 42"}, "AAB");
    row("RPT zero", "{RPT:0}ABC\r\nD", {"44"}, "D");
    row("negative RPT replays nothing", "{RPT:-2}ABC\r\nD", {"44"}, "D");
    row("RPT inside a replay", "{RPT:2}X{RPT:3}Y", {"58", "59 59 59"}, "XYYY");
    row("REM", "A{REM}note\r\nB", {"41", "42"}, "AB");
    row("ECHO shows the rest of the line", "{ECHO}Hello\r\nB", {"42"}, "B", {"Hello"});
    row("ECHO argument is not shown", "{ECHO:Hello}", {}, "", {""});
    row("STOP", "{STOP}ABC", {"41 42 43"}, "ABC", {"Script Stopped Press OK to continue"});
    {
        const QByteArray date = QLocale::system().toString(QDate(2024, 3, 9), QLocale::ShortFormat).toLatin1();
        row("DATE and TIME", "{DATE} {TIME}", {hexOf(date + ' '), "31 37 3A 34 35"},
            date + "\r\n 17:45\r\n");
    }
    row("600-character line", QByteArray(600, 'A'), {hexOf(QByteArray(256, 'A'))}, QByteArray(256, 'A'),
        {}, QStringLiteral("1000"));
    row("transcript off", "[ESC]@{A}", {"1B 40", "30"}, "", {}, QStringLiteral("20"), QString(), false);
    row("raw file", "[ESC]{A}\r\n", {hexOf("[ESC]{A}\r\n")}, "", {}, QStringLiteral("20"),
        QStringLiteral("demo.prn"));
    row("mode from the box, any case", "[ESC]", {"1B"}, "[ESC]", {}, QStringLiteral("20"),
        QStringLiteral("x.DmO"));
    row("packet size 10", QByteArray(25, 'a'), {hexOf("aaaaaaaaaa"), hexOf("aaaaaaaaaa"), hexOf("aaaaa")},
        QByteArray(25, 'a'), {}, QStringLiteral("10"));
    row("directive hands over early", "ABCDE{WAIT:1}FGHIJKLMNOPQRSTUVWXY",
        {hexOf("ABCDE"), hexOf("FGHIJKLMNO"), hexOf("PQRSTUVWXY")}, "ABCDEFGHIJKLMNOPQRSTUVWXY", {},
        QStringLiteral("10"));
    row("packet size 0", "AB", {"41", "42"}, "AB", {}, QStringLiteral("0"));
    row("negative packet size", "AB", {"41", "42"}, "AB", {}, QStringLiteral("-5"));
    row("packet size with blanks and a fraction", "ABCDE", {"41 42", "43 44", "45"}, "ABCDE", {},
        QStringLiteral(" 2.5 "));
    row("packet size not a number", "AB", {"41 42"}, "AB",
        {"Packet Size \"abc\" is not a number; 20 is used."}, QStringLiteral("abc"));
    row("packet size out of range", "AB", {"41 42"}, "AB",
        {"Packet Size 99999 is beyond -32768 to 32767; 32767 is used."}, QStringLiteral("99999"));
}

void tst_ScriptInterpreter::bytesAndDisplay()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, box);
    QFETCH(QString, packet);
    QFETCH(bool, transcript);
    QFETCH(QStringList, offered);
    QFETCH(QByteArray, display);
    QFETCH(QStringList, messages);

    ScriptRig rig;
    rig.view.packetSize = packet;
    rig.view.transcript = transcript;
    QVERIFY(rig.run(QStringLiteral("demo.dmo"), script, box));
    QCOMPARE(rig.offeredHex(), offered);
    QCOMPARE(rig.view.display, display);
    QCOMPARE(rig.op.texts(), messages);
    QVERIFY(rig.session.link.OutBuffer.isEmpty());
}

void tst_ScriptInterpreter::timing_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("WAIT between hand-overs") << QByteArray("AB{WAIT:100}CD")
                                             << QStringList{"WriteData(2)", "sleep(100)", "WriteData(2)"};
    QTest::newRow("WAIT of no number") << QByteArray("{WAIT:abc}") << QStringList{"sleep(0)"};
    QTest::newRow("negative WAIT") << QByteArray("{WAIT:-5}") << QStringList{"sleep(0)"};
    QTest::newRow("oversized WAIT") << QByteArray("{WAIT:99999}") << QStringList{"sleep(0)"};
    QTest::newRow("longest WAIT") << QByteArray("{WAIT.32767}") << QStringList{"sleep(32767)"};
    QTest::newRow("BREAK") << QByteArray("{BREAK:250}")
                           << QStringList{"SetBreak(1,)", "sleep(250)", "SetBreak(2,)"};
    QTest::newRow("negative BREAK") << QByteArray("{BREAK:-1}")
                                    << QStringList{"SetBreak(1,)", "sleep(0)", "SetBreak(2,)"};
    QTest::newRow("BREAKON, BREAKOFF")
        << QByteArray("{BREAKON}A{WAIT:10}{BREAKOFF}")
        << QStringList{"SetBreak(1,)", "WriteData(1)", "sleep(10)", "SetBreak(2,)"};
    QTest::newRow("PAUSE counts down")
        << QByteArray("{PAUSE:3}")
        << QStringList{"show",     "count(3)", "serve", "sleep(1000)", "count(2)", "serve",
                       "sleep(1000)", "count(1)", "serve", "sleep(1000)", "hide"};
    QTest::newRow("PAUSE of 0") << QByteArray("{PAUSE:0}") << QStringList{"show", "hide"};
    QTest::newRow("negative PAUSE") << QByteArray("{PAUSE:-4}") << QStringList{"show", "hide"};
    QTest::newRow("oversized PAUSE") << QByteArray("{PAUSE:1E9}") << QStringList{"show", "hide"};
    QTest::newRow("GET1284 reopens the port")
        << QByteArray("A{GET1284}B") << QStringList{"WriteData(1)", "GetResponse", "OpenPort", "WriteData(1)"};
}

void tst_ScriptInterpreter::timing()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, events);

    ScriptRig rig;
    rig.view.transcript = false;
    QVERIFY(rig.run(QStringLiteral("t.dmo"), script));
    QCOMPARE(rig.eventsOf({"WriteData", "sleep", "SetBreak", "show", "count", "serve", "hide",
                           "GetResponse", "OpenPort", "ClosePort"}),
             events);
}

void tst_ScriptInterpreter::graphicBlocks_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QStringList>("writes");
    QTest::newRow("4500 bytes") << 4500 << QStringList{"WriteData(2001)", "WriteData(2001)", "WriteData(498)"};
    QTest::newRow("4002 bytes") << 4002 << QStringList{"WriteData(2001)", "WriteData(2001)", "WriteData(0)"};
    QTest::newRow("2001 bytes") << 2001 << QStringList{"WriteData(2001)", "WriteData(0)"};
    QTest::newRow("2000 bytes") << 2000 << QStringList{"WriteData(2000)"};
    QTest::newRow("empty") << 0 << QStringList{"WriteData(0)"};
}

void tst_ScriptInterpreter::graphicBlocks()
{
    QFETCH(int, size);
    QFETCH(QStringList, writes);

    ScriptRig rig;
    QByteArray image(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        image[i] = char(i * 7 + 3);
    rig.write(QStringLiteral("logo.prn"), image);
    QVERIFY(rig.run(QStringLiteral("main.dmo"), "{GRAPHIC:logo.prn}"));
    QCOMPARE(rig.eventsOf({"WriteData"}), writes);
    QCOMPARE(rig.printer.written, image);
    QCOMPARE(rig.view.display, QByteArray()); // graphics are not echoed
}

void tst_ScriptInterpreter::graphicFollowsQueuedBytes()
{
    ScriptRig rig;
    rig.write(QStringLiteral("img/logo.prn"), QByteArray("\x1D\x76\x30\x00", 4));
    // "\" separates folders as scripts written on Windows have it.
    QVERIFY(rig.run(QStringLiteral("main.dmo"), "AB{GRAPHIC:img\\logo.prn}CD"));
    QCOMPARE(rig.offeredHex(), (QStringList{"41 42", "1D 76 30 00", "43 44"}));
}

void tst_ScriptInterpreter::missingFilesAreReported_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("named");
    QTest::newRow("GRAPHIC") << QByteArray("A{GRAPHIC:nope.prn}X") << QStringLiteral("nope.prn");
    QTest::newRow("DO") << QByteArray("A{DO:nope.dmo}X") << QStringLiteral("nope.dmo");
    QTest::newRow("DO of a folder") << QByteArray("A{DO:sub}X") << QStringLiteral("sub");
}

void tst_ScriptInterpreter::missingFilesAreReported()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, named);

    ScriptRig rig;
    rig.write(QStringLiteral("sub/other.dmo"), "Z");
    QVERIFY(rig.run(QStringLiteral("main.dmo"), script));
    // The directive is skipped; the run goes on.
    QCOMPARE(rig.offeredHex(), (QStringList{"41", "58"}));
    QCOMPARE(rig.op.asked.size(), 1);
    // Both directives say the same: what was skipped, which file, why.
    const QString text = rig.op.asked.at(0).text;
    const QString directive = QString::fromLatin1(QTest::currentDataTag()).section(QLatin1Char(' '), 0, 0);
    QVERIFY2(text.startsWith(QStringLiteral("{%1} skipped: unable to open %2: ").arg(directive, rig.path(named))),
             qPrintable(text));
    QVERIFY2(text.endsWith(QLatin1String(". Press OK to continue")), qPrintable(text));
    QCOMPARE(rig.op.asked.at(0).icon, Msg::Icon::Exclamation);
}

void tst_ScriptInterpreter::missingScriptEndsTheRun()
{
    ScriptRig rig;
    rig.view.scriptFile = rig.path(QStringLiteral("absent.dmo"));
    rig.session.link.OutBuffer = "left";
    QVERIFY(!rig.in.RunScript(rig.view.scriptFile));
    QCOMPARE(rig.op.asked.size(), 1);
    QVERIFY(rig.op.asked.at(0).text.contains(rig.view.scriptFile));
    QVERIFY(rig.printer.offered.isEmpty());
    QVERIFY(rig.session.link.OutBuffer.isEmpty());
    QVERIFY(!rig.in.isRunning());
}

void tst_ScriptInterpreter::unopenedFilesAreCounted_data()
{
    QTest::addColumn<QString>("run");
    QTest::addColumn<bool>("played");
    QTest::addColumn<int>("unopened");
    QTest::addColumn<QStringList>("offered");
    // main.dmo: A, a DO and a GRAPHIC that open, X. Files named "no*" do not exist.
    QTest::newRow("everything opens") << "main.dmo" << true << 0 << QStringList{"41", "42", "1D", "58"};
    QTest::newRow("DO that will not open") << "do.dmo" << true << 1 << QStringList{"41", "58"};
    QTest::newRow("GRAPHIC that will not open") << "graphic.dmo" << true << 1 << QStringList{"41", "58"};
    QTest::newRow("both, one nested") << "nested.dmo" << true << 2 << QStringList{"41", "43", "58"};
    QTest::newRow("the run's own file") << "nothere.dmo" << false << 1 << QStringList{};
}

void tst_ScriptInterpreter::unopenedFilesAreCounted()
{
    QFETCH(QString, run);
    QFETCH(bool, played);
    QFETCH(int, unopened);
    QFETCH(QStringList, offered);

    ScriptRig rig;
    rig.write(QStringLiteral("main.dmo"), "A{DO:b.dmo}{GRAPHIC:gs.prn}X");
    rig.write(QStringLiteral("b.dmo"), "B");
    rig.write(QStringLiteral("gs.prn"), "\x1D");
    rig.write(QStringLiteral("do.dmo"), "A{DO:nofile.dmo}X");
    rig.write(QStringLiteral("graphic.dmo"), "A{GRAPHIC:nofile.prn}X");
    rig.write(QStringLiteral("inner.dmo"), "{GRAPHIC:nofile.prn}C");
    rig.write(QStringLiteral("nested.dmo"), "A{DO:inner.dmo}{DO:nofile.dmo}X");
    rig.view.scriptFile = rig.path(run);
    QCOMPARE(rig.in.RunScript(rig.path(run)), played);
    QCOMPARE(rig.in.unopenedFiles(), unopened);
    QCOMPARE(rig.offeredHex(), offered);
    QCOMPARE(rig.op.asked.size(), unopened); // each one told
    // The count is kept over runs: a caller compares before and after.
    QVERIFY(rig.in.RunScript(rig.path(QStringLiteral("graphic.dmo"))));
    QCOMPARE(rig.in.unopenedFiles(), unopened + 1);
}

void tst_ScriptInterpreter::sendScriptSaysWhetherItPlayed_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("played");
    QTest::addColumn<QString>("told");
    QTest::newRow("a script") << "main.dmo" << true << QString();
    QTest::newRow("a raw file") << "raw.prn" << true << QString();
    QTest::newRow("no such file") << "absent.dmo" << false << "Unable to open the demonstration file";
    QTest::newRow("empty box") << "" << false << "You must select a Script File.";
}

void tst_ScriptInterpreter::sendScriptSaysWhetherItPlayed()
{
    QFETCH(QString, box);
    QFETCH(bool, played);
    QFETCH(QString, told);

    ScriptRig rig;
    rig.write(QStringLiteral("main.dmo"), "AB");
    rig.write(QStringLiteral("raw.prn"), "AB");
    ScriptRunner runner(rig.session, rig.pause, [] {});
    rig.view.scriptFile = box.isEmpty() ? QString() : rig.path(box);
    QCOMPARE(runner.SendScript_Click(), played);
    QCOMPARE(rig.printer.written, played ? QByteArray("AB") : QByteArray());
    QCOMPARE(rig.op.asked.isEmpty(), told.isEmpty());
    if (!told.isEmpty())
        QVERIFY2(rig.op.asked.at(0).text.startsWith(told), qPrintable(rig.op.asked.at(0).text));
}

void tst_ScriptInterpreter::nestedRun()
{
    ScriptRig rig;
    rig.write(QStringLiteral("demo/part2.dmo"), "C{RPT:2}c");
    QVERIFY(rig.run(QStringLiteral("demo/main.dmo"), "A{DO:part2.dmo}B{RPT:1}b\r\n"));
    // The nested run has its own repeat state: its replays do not leak out.
    QCOMPARE(rig.offeredHex(), (QStringList{"41", "43", "63 63", "42", "62"}));
    QCOMPARE(rig.view.display, QByteArray("ACccBb"));
    QVERIFY(rig.view.sendCommandEnabled);
    QVERIFY(rig.view.getrespEnabled);
    QCOMPARE(rig.view.indataFocus, 2); // at the end of each run
}

void tst_ScriptInterpreter::recursiveDo_data()
{
    QTest::addColumn<QByteArray>("main");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QStringList>("offered");
    QTest::newRow("itself") << QByteArray("{DO:main.dmo}X") << QByteArray() << QStringList{"58"};
    QTest::newRow("itself by another name") << QByteArray("{DO:./main.dmo}X") << QByteArray() << QStringList{"58"};
    QTest::newRow("a chain back to the top")
        << QByteArray("{DO:second.dmo}M") << QByteArray("{DO:main.dmo}S") << QStringList{"53", "4D"};
}

void tst_ScriptInterpreter::recursiveDo()
{
    QFETCH(QByteArray, main);
    QFETCH(QByteArray, second);
    QFETCH(QStringList, offered);

    ScriptRig rig;
    rig.write(QStringLiteral("second.dmo"), second);
    QVERIFY(rig.run(QStringLiteral("main.dmo"), main));
    QCOMPARE(rig.op.texts(), QStringList{"Recursive DO Press OK to continue"});
    QCOMPARE(rig.offeredHex(), offered);
}

void tst_ScriptInterpreter::doDepthIsLimited()
{
    ScriptRig rig;
    const int files = ScriptInterpreter::kMaxDepth + 4;
    for (int i = 1; i < files; ++i)
        rig.write(QStringLiteral("d%1.dmo").arg(i), QStringLiteral("{DO:d%1.dmo}x").arg(i + 1).toLatin1());
    QVERIFY(rig.run(QStringLiteral("d0.dmo"), "{DO:d1.dmo}x"));
    QCOMPARE(rig.op.asked.size(), 1);
    QVERIFY(rig.op.asked.at(0).text.contains(QStringLiteral("d%1.dmo").arg(ScriptInterpreter::kMaxDepth)));
    QCOMPARE(rig.printer.written, QByteArray(ScriptInterpreter::kMaxDepth, 'x'));
}

void tst_ScriptInterpreter::nestedRunTakesModeFromTheBox()
{
    ScriptRig rig;
    rig.write(QStringLiteral("raw.prn"), "[ESC]");
    QVERIFY(rig.run(QStringLiteral("main.dmo"), "{DO:raw.prn}"));
    QCOMPARE(rig.offeredHex(), QStringList{"1B"});
}

void tst_ScriptInterpreter::countersKeptBetweenRuns()
{
    ScriptRig rig;
    QVERIFY(rig.run(QStringLiteral("count.dmo"), "{A+:1}{A}"));
    QVERIFY(rig.run(QStringLiteral("count.dmo"), "{A+:1}{A}"));
    QCOMPARE(rig.offeredHex(), (QStringList{"31", "32"}));
    QCOMPARE(rig.session.CounterA, qint16(2));
}

void tst_ScriptInterpreter::failedHandOverEndsTheRun()
{
    ScriptRig rig;
    rig.view.packetSize = QStringLiteral("1");
    rig.printer.refuseAll = true;
    rig.op.answers.enqueue(Msg::Answer::Cancel);
    QVERIFY(rig.run(QStringLiteral("t.dmo"), "AB\r\nCD{WAIT:5}"));
    QCOMPARE(rig.printer.offered, QList<QByteArray>(Link::kFlushTries, "A"));
    QCOMPARE(rig.op.texts(), QStringList{"Unable to output data. Press OK to continue."});
    QCOMPARE(rig.view.display, QByteArray()); // the piece that failed is not echoed
    QVERIFY(rig.session.link.OutBuffer.isEmpty());
    QVERIFY(rig.view.sendCommandEnabled);
}

void tst_ScriptInterpreter::failedFlushBeforeDirectiveGoesOn()
{
    ScriptRig rig;
    rig.view.packetSize = QStringLiteral("100");
    rig.printer.refuseNext = Link::kFlushTries;
    rig.op.answers.enqueue(Msg::Answer::Cancel);
    QVERIFY(rig.run(QStringLiteral("t.dmo"), "AB{WAIT:5}CD"));
    QCOMPARE(rig.printer.offered.size(), Link::kFlushTries + 1);
    QCOMPARE(rig.printer.written, QByteArray("CD"));
    QVERIFY(rig.eventsOf({"sleep(5)"}).size() == 1);
}

void tst_ScriptInterpreter::failedFinalFlushKeepsTheRest()
{
    ScriptRig rig;
    rig.view.packetSize = QStringLiteral("100");
    rig.printer.refuseAll = true;
    rig.op.answers.enqueue(Msg::Answer::Cancel);
    QVERIFY(rig.run(QStringLiteral("t.dmo"), "AB"));
    QCOMPARE(rig.session.link.OutBuffer, QByteArray("AB"));
}

void tst_ScriptInterpreter::lostPrinterCancelEndsTheRun()
{
    // Ten lines, each flushed by its WAIT: a printer that is gone and stays
    // gone costs the operator one question, not ten.
    ScriptRig rig;
    rig.view.packetSize = QStringLiteral("100");
    rig.session.link.vars.CommPort = QStringLiteral("ttyUSB0");
    rig.session.link.ScriptRunning = true;
    rig.printer.gone = true;
    rig.op.answers.enqueue(Msg::Answer::Cancel);
    rig.write(QStringLiteral("inner.dmo"), "X{WAIT:400}\r\n");
    QVERIFY(rig.run(QStringLiteral("t.dmo"), QByteArray("{DO:inner.dmo}\r\n") + QByteArray("L{WAIT:400}\r\n").repeated(10)));
    QCOMPARE(rig.op.texts(), QStringList{"Unable to output data. Press OK to continue."});
    QCOMPARE(rig.printer.offered, QList<QByteArray>(Link::kFlushTries, "X"));
    QCOMPARE(rig.eventsOf({"sleep(400)"}).size(), 1); // the WAIT whose flush failed, no further line
    QCOMPARE(rig.view.statusTexts, QStringList{"ttyUSB0: the port is not open, so the script was ended"});
    QVERIFY(rig.session.link.OutBuffer.isEmpty());
}

void tst_ScriptInterpreter::buttonsDuringRun()
{
    ScriptRig rig;
    QList<bool> enabledWhileEchoing;
    rig.pump.onServe = [&] { enabledWhileEchoing << (rig.view.sendCommandEnabled || rig.view.getrespEnabled); };
    QVERIFY(rig.run(QStringLiteral("t.dmo"), "AB"));
    QCOMPARE(enabledWhileEchoing, (QList<bool>{false, false}));
    QVERIFY(rig.view.sendCommandEnabled);
    QVERIFY(rig.view.getrespEnabled);
    QCOMPARE(rig.view.indataFocus, 1);
}

QTEST_MAIN(tst_ScriptInterpreter)
#include "tst_script_interpreter.moc"
