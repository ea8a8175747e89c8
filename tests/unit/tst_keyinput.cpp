// Key-by-key input against the fakes.
#include "support/Fakes.h"
#include "terminal/KeyInput.h"
#include "session/Session.h"

#include <QtTest>

namespace {

// Puts the view's actions into the printer's call list, so one list shows the order of everything.
class TraceView : public FakeView {
public:
    explicit TraceView(QStringList &trace) : m_trace(trace) {}
    void appendToDisplay(const QByteArray &text) override
    {
        FakeView::appendToDisplay(text);
        m_trace << QStringLiteral("show ") + QString::fromLatin1(text);
    }
    void clearIndata() override
    {
        FakeView::clearIndata();
        m_trace << QStringLiteral("clearIndata");
    }

private:
    QStringList &m_trace;
};

struct Rig {
    FakePrinter printer;
    FakeOperator op;
    FakePump pump;
    TraceView view{printer.calls};
    Session session{printer, op, pump, view};
    KeyInput keys{session};

    QStringList writesAndShows() const
    {
        QStringList out;
        for (const QString &c : printer.calls)
            if (!c.startsWith(QLatin1String("OpenPort")) && !c.startsWith(QLatin1String("SetFlow")))
                out << c;
        return out;
    }
};

} // namespace

class tst_keyinput : public QObject {
    Q_OBJECT
private slots:
    void key_data();
    void key();
    void opensAndSetsClosePending_data();
    void opensAndSetsClosePending();
    void codeWithoutByteIgnored_data();
    void codeWithoutByteIgnored();
    void keyDuringEchoWaitsItsTurn();
    void queuedKeysKeepOrder();
};

void tst_keyinput::key_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<int>("cleared");
    QTest::newRow("A") << 65 << "41" << QByteArray("A") << 0;
    QTest::newRow("Enter") << 13 << "0D 0A" << QByteArray("[CR][LF]\r\n") << 1;
    QTest::newRow("line feed key") << 10 << "0A 0D" << QByteArray("[LF][CR]\r\n") << 0;
    QTest::newRow("Escape") << 27 << "1B" << QByteArray("[ESC]") << 0;
    QTest::newRow("Backspace") << 8 << "08" << QByteArray("[BS]") << 0;
    QTest::newRow("NUL") << 0 << "00" << QByteArray("[NUL]") << 0;
    QTest::newRow("Ctrl+Z") << 26 << "1A" << QByteArray("[SUB]") << 0;
    QTest::newRow("127") << 127 << "7F" << QByteArray("\x7f") << 0;
    QTest::newRow("200 with blank") << 200 << "C8" << QByteArray("< 200>") << 0;
    QTest::newRow("255") << 255 << "FF" << QByteArray("< 255>") << 0;
}

void tst_keyinput::key()
{
    QFETCH(int, code);
    QFETCH(QString, sent);
    QFETCH(QByteArray, shown);
    QFETCH(int, cleared);
    Rig rig;
    rig.keys.Indata_KeyPress(code);
    QCOMPARE(hexBytes(rig.printer.written), sent);
    // One byte per write, no retries through FlushOutput.
    QCOMPARE(rig.printer.count("WriteData(1)"), int(sent.split(' ').size()));
    QCOMPARE(rig.printer.count("GetWriteCount"), 0);
    QCOMPARE(rig.view.display, shown);
    QCOMPARE(rig.view.indataCleared, cleared);
}

void tst_keyinput::opensAndSetsClosePending_data()
{
    QTest::addColumn<bool>("macroMode");
    QTest::newRow("normal") << false;
    QTest::newRow("macro mode") << true;
}

void tst_keyinput::opensAndSetsClosePending()
{
    QFETCH(bool, macroMode);
    Rig rig;
    rig.session.link.MacroMode = macroMode;
    rig.keys.Indata_KeyPress('k');
    QCOMPARE(rig.printer.count("OpenPort"), macroMode ? 0 : 1);
    QCOMPARE(rig.session.link.ClosePending, !macroMode);
    QCOMPARE(rig.printer.written, QByteArray("k"));
}

void tst_keyinput::codeWithoutByteIgnored_data()
{
    QTest::addColumn<int>("code");
    QTest::newRow("-1") << -1;
    QTest::newRow("256") << 256;
    QTest::newRow("euro sign") << 0x20AC;
}

void tst_keyinput::codeWithoutByteIgnored()
{
    QFETCH(int, code);
    Rig rig;
    rig.keys.Indata_KeyPress(code);
    QVERIFY(rig.printer.calls.isEmpty());
    QVERIFY(rig.view.display.isEmpty());
}

void tst_keyinput::keyDuringEchoWaitsItsTurn()
{
    // 'x' is typed while Enter's echo serves events: it must not come between
    // CR and LF, nor before the box is emptied, nor be echoed inside Enter's line.
    Rig rig;
    qsizetype pendingInside = -1;
    bool typed = false;
    rig.pump.onServe = [&] {
        if (typed)
            return;
        typed = true;
        rig.keys.Indata_KeyPress('x');
        pendingInside = rig.keys.pending();
    };
    rig.keys.Indata_KeyPress(13);
    QCOMPARE(pendingInside, 1);
    QCOMPARE(rig.keys.pending(), 0);
    const QStringList expected{"WriteData(1)", "WriteData(1)", "clearIndata", "show [CR][LF]\r\n",
                               "WriteData(1)", "show x"};
    QCOMPARE(rig.writesAndShows(), expected);
    QCOMPARE(hexBytes(rig.printer.written), QStringLiteral("0D 0A 78"));
    QVERIFY(rig.session.link.ClosePending);
}

void tst_keyinput::queuedKeysKeepOrder()
{
    Rig rig;
    int serves = 0;
    rig.pump.onServe = [&] {
        // Two keys arrive during the first echo, one more during the second.
        if (++serves == 1) {
            rig.keys.Indata_KeyPress(10);
            rig.keys.Indata_KeyPress('b');
        } else if (serves == 2) {
            rig.keys.Indata_KeyPress('c');
        }
    };
    rig.keys.Indata_KeyPress('a');
    QCOMPARE(hexBytes(rig.printer.written), QStringLiteral("61 0A 0D 62 63"));
    QCOMPARE(rig.view.display, QByteArray("a[LF][CR]\r\nbc"));
}

QTEST_GUILESS_MAIN(tst_keyinput)
#include "tst_keyinput.moc"
