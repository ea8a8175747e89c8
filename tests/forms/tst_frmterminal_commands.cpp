// The main window's command controls and the Interactive box, driven offscreen.
#include "support/Fakes.h"
#include "support/SimProcess.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QInputMethodEvent>
#include <QtTest>

#include <memory>

namespace {

struct Rig {
    FakePrinter printer;
    FakeOperator op;
    FakePump pump;
    std::unique_ptr<frmTerminal> w;

    Rig()
    {
        w = std::make_unique<frmTerminal>(&printer, &op, &pump);
        w->show();
        w->AutoQuery->setChecked(false);
    }
    template <typename T>
    T *find(const char *name) { return w->findChild<T *>(QLatin1String(name)); }
    void click(const char *name) { QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton); }
    void command(const QString &text) { find<QComboBox>("SendInfo")->setEditText(text); }
    QStringList history()
    {
        QStringList list;
        auto *box = find<QComboBox>("SendInfo");
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    }
    void sendKey(const QString &text)
    {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(find<QLineEdit>("Indata"), &press);
    }
};

} // namespace

class tst_frmterminal_commands : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sendCommandKeepsHistory();
    void typedTextIsSentAsTyped_data();
    void typedTextIsSentAsTyped();
    void sendCommandWithAutoQuery_data();
    void sendCommandWithAutoQuery();
    void getResponseButton();
    void loopStoppedByBreakButton();
    void nestedLoopsStoppedByOneBreak();
    void closingWindowEndsLoop();
    void keys_data();
    void keys();
    void nonLatin1KeyRefused_data();
    void nonLatin1KeyRefused();
    void composedTextRefusedOrSent_data();
    void composedTextRefusedOrSent();
    void keyTypedDuringEnterEcho();
};

void tst_frmterminal_commands::initTestCase()
{
    isolateSettings();
}

void tst_frmterminal_commands::sendCommandKeepsHistory()
{
    Rig rig;
    rig.command(QStringLiteral("[ESC]@"));
    rig.click("SendCommand");
    QCOMPARE(hexBytes(rig.printer.written), QStringLiteral("1B 40"));
    QCOMPARE(rig.w->termText(), QByteArray("\r\n[ESC]@"));
    rig.click("SendCommand");
    QCOMPARE(rig.history(), QStringList{"[ESC]@"});
    rig.command(QStringLiteral("[esc]@"));
    rig.click("SendCommand");
    QCOMPARE(rig.history(), (QStringList{"[esc]@", "[ESC]@"}));
    QCOMPARE(rig.find<QComboBox>("SendInfo")->currentText(), QStringLiteral("[esc]@"));
    QCOMPARE(hexBytes(rig.printer.written), QStringLiteral("1B 40 1B 40 1B 40"));
}

void tst_frmterminal_commands::sendCommandWithAutoQuery_data()
{
    QTest::addColumn<QByteArray>("modeButton");
    QTest::addColumn<QByteArray>("shownReply");
    QTest::newRow("Normal") << QByteArray("Option3") << QByteArray("[NAK][SOH]");
    QTest::newRow("Hex") << QByteArray("Option1") << QByteArray("<15><1>");
    QTest::newRow("Dec") << QByteArray("Option2") << QByteArray("<21><1>");
}

void tst_frmterminal_commands::sendCommandWithAutoQuery()
{
    QFETCH(QByteArray, modeButton);
    QFETCH(QByteArray, shownReply);
    Rig rig;
    rig.click(modeButton.constData());
    rig.find<QCheckBox>("AutoQuery")->setChecked(true);
    rig.printer.input = fromHex("15 01");
    rig.command(QStringLiteral("<x10><4>[SOH]"));
    rig.click("SendCommand");
    QCOMPARE(hexBytes(rig.printer.written), QStringLiteral("10 04 01"));
    QCOMPARE(rig.w->termText(),
             QByteArray("\r\n[DLE][EOT][SOH]\r\n") + shownReply + "\r\n**Cash Drawer 1 Open**\r\n");
    QCOMPARE(rig.pump.sleeps, QList<int>{100});
}

void tst_frmterminal_commands::getResponseButton()
{
    Rig rig;
    rig.click("Getresp");
    QCOMPARE(rig.w->termText(), QByteArray("\r\n** No Responce**\r\n"));
    QCOMPARE(rig.printer.calls.last(), QStringLiteral("ClosePort()"));
    QVERIFY(rig.w->session().link.ClosePending);
}

void tst_frmterminal_commands::loopStoppedByBreakButton()
{
    Rig rig;
    rig.command(QStringLiteral("[ENQ]"));
    auto *doBreak = rig.find<QPushButton>("DoBreak");
    QVERIFY(!doBreak->isEnabled()); // no serial port chosen
    int passes = 0;
    rig.pump.onSleep = [&](int ms) {
        if (ms == 200 && ++passes == 2) {
            QVERIFY(doBreak->isEnabled());
            rig.click("DoBreak");
        }
        if (passes > 50)
            rig.w->session().link.Looping = false;
    };
    rig.click("LoopButton");
    QCOMPARE(passes, 2);
    QCOMPARE(rig.printer.count("SetBreak"), 2);
    QCOMPARE(rig.printer.written, QByteArray(2, '\x05'));
    QCOMPARE(doBreak->text(), QStringLiteral("Break"));
}

void tst_frmterminal_commands::nestedLoopsStoppedByOneBreak()
{
    Rig rig;
    rig.command(QStringLiteral("n"));
    int loopWaits = 0;
    bool nested = false;
    rig.pump.onSleep = [&](int ms) {
        if (ms != 200)
            return;
        ++loopWaits;
        if (!nested) {
            nested = true;
            rig.click("LoopButton"); // a second Loop click while the first loop runs
        } else if (loopWaits == 4) {
            rig.click("DoBreak");
        } else if (loopWaits > 50) {
            rig.w->session().link.Looping = false;
        }
    };
    rig.click("LoopButton");
    QCOMPARE(loopWaits, 4); // outer pass 1, inner passes 1 to 3, then both end
    QCOMPARE(rig.printer.written, QByteArray(4, 'n'));
    QVERIFY(!rig.w->session().link.Looping);
}

void tst_frmterminal_commands::closingWindowEndsLoop()
{
    Rig rig;
    rig.command(QStringLiteral("c"));
    int loopWaits = 0;
    rig.pump.onSleep = [&](int ms) {
        if (ms != 200)
            return;
        if (++loopWaits == 1)
            rig.w->close(); // the window goes while the loop runs
        else if (loopWaits > 50)
            rig.w->session().link.Looping = false;
    };
    rig.click("LoopButton");
    QCOMPARE(loopWaits, 1);
    QCOMPARE(rig.printer.written, QByteArray("c"));
}

void tst_frmterminal_commands::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<QString>("boxAfter"); // the box held "xy" before
    QTest::newRow("a") << int(Qt::Key_A) << 0 << "61" << QByteArray("a") << "xya";
    QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << "0D 0A" << QByteArray("[CR][LF]\r\n") << "";
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "0D 0A"
                                  << QByteArray("[CR][LF]\r\n") << "";
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier) << "0A 0D"
                                << QByteArray("[LF][CR]\r\n") << "xy";
    QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << "1B" << QByteArray("[ESC]") << "xy";
    QTest::newRow("Backspace edits") << int(Qt::Key_Backspace) << 0 << "08" << QByteArray("[BS]") << "x";
    QTest::newRow("Ctrl+B") << int(Qt::Key_B) << int(Qt::ControlModifier) << "02" << QByteArray("[STX]") << "xy";
    QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier) << "1A" << QByteArray("[SUB]") << "xy";
    QTest::newRow("Left moves only") << int(Qt::Key_Left) << 0 << "" << QByteArray() << "xy";
    QTest::newRow("Delete edits only") << int(Qt::Key_Delete) << 0 << "" << QByteArray() << "xy";
}

void tst_frmterminal_commands::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, sent);
    QFETCH(QByteArray, shown);
    QFETCH(QString, boxAfter);
    Rig rig;
    auto *box = rig.find<QLineEdit>("Indata");
    box->setText(QStringLiteral("xy"));
    box->setCursorPosition(2);
    rig.printer.calls.clear();
    QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(hexBytes(rig.printer.written), sent);
    QCOMPARE(rig.w->termText(), shown);
    QCOMPARE(box->text(), boxAfter);
}

void tst_frmterminal_commands::nonLatin1KeyRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<bool>("refused");
    QTest::newRow("e acute is Latin-1") << QStringLiteral("\u00E9") << "E9" << QByteArray("< 233>") << false;
    QTest::newRow("E grave is 200") << QStringLiteral("\u00C8") << "C8" << QByteArray("< 200>") << false;
    QTest::newRow("two characters") << QStringLiteral("ab") << "61 62" << QByteArray("ab") << false;
    QTest::newRow("euro sign") << QStringLiteral("\u20AC") << "" << QByteArray() << true;
    QTest::newRow("beyond 16 bits") << QStringLiteral("\U0001F600") << "" << QByteArray() << true;
    QTest::newRow("mixed text") << QStringLiteral("a\u20AC") << "" << QByteArray() << true;
}

void tst_frmterminal_commands::nonLatin1KeyRefused()
{
    QFETCH(QString, text);
    QFETCH(QString, sent);
    QFETCH(QByteArray, shown);
    QFETCH(bool, refused);
    Rig rig;
    auto *box = rig.find<QLineEdit>("Indata");
    auto *status = rig.find<QLabel>("Label1");
    rig.sendKey(text);
    QCOMPARE(hexBytes(rig.printer.written), sent);
    QCOMPARE(status->text().contains(QStringLiteral("Latin-1")), refused);
    QCOMPARE(box->text(), refused ? QString() : text); // a refused character is not typed either
    QCOMPARE(rig.w->termText(), shown);
}

void tst_frmterminal_commands::composedTextRefusedOrSent_data()
{
    nonLatin1KeyRefused_data();
}

void tst_frmterminal_commands::composedTextRefusedOrSent()
{
    // Dead keys and input methods deliver characters without a key press.
    QFETCH(QString, text);
    QFETCH(QString, sent);
    QFETCH(QByteArray, shown);
    QFETCH(bool, refused);
    Rig rig;
    auto *box = rig.find<QLineEdit>("Indata");
    auto *status = rig.find<QLabel>("Label1");
    QInputMethodEvent composed;
    composed.setCommitString(text);
    QCoreApplication::sendEvent(box, &composed);
    QCOMPARE(hexBytes(rig.printer.written), sent);
    QCOMPARE(status->text().contains(QStringLiteral("Latin-1")), refused);
    QCOMPARE(box->text(), refused ? QString() : text);
    QCOMPARE(rig.w->termText(), shown);
}

void tst_frmterminal_commands::keyTypedDuringEnterEcho()
{
    Rig rig;
    auto *box = rig.find<QLineEdit>("Indata");
    box->setText(QStringLiteral("abc"));
    bool typed = false;
    rig.pump.onServe = [&] {
        if (!typed) {
            typed = true;
            QTest::keyClick(box, 'x');
        }
    };
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(hexBytes(rig.printer.written), QStringLiteral("0D 0A 78"));
    QCOMPARE(rig.w->termText(), QByteArray("[CR][LF]\r\nx"));
    QCOMPARE(box->text(), QStringLiteral("x")); // typed after Enter, so it stays
}

void tst_frmterminal_commands::typedTextIsSentAsTyped_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("history");
    QTest::addColumn<QString>("typed");
    QTest::newRow("command") << "SendInfo" << "[ESC]@Hello receipt" << "[ESC]@Hel";
    QTest::newRow("script file") << "FileNameTextBox" << "/tmp/demo/receipt.dmo" << "/tmp/demo/rec";
}

// Typed key by key, a prefix of an older entry stays what was typed; the
// older entry is one arrow key away.
void tst_frmterminal_commands::typedTextIsSentAsTyped()
{
    QFETCH(QString, box);
    QFETCH(QString, history);
    QFETCH(QString, typed);
    Rig rig;
    QApplication::setActiveWindow(rig.w.get());
    QVERIFY(QTest::qWaitForWindowActive(rig.w.get()));
    auto *combo = rig.find<QComboBox>(box.toLatin1().constData());
    combo->addItems({QStringLiteral("older"), history});
    combo->setEditText(QString());
    combo->setFocus();
    QTRY_VERIFY(combo->lineEdit()->hasFocus()); // completion acts on the focused box only
    QTest::keyClicks(combo->lineEdit(), typed);
    QCOMPARE(combo->currentText(), typed);
    if (box == QLatin1String("SendInfo")) {
        rig.click("SendCommand");
        QCOMPARE(rig.printer.written, QByteArray("\x1B@Hel"));
        combo->setFocus();
    }
    // The history is still there, one arrow key away.
    QTest::keyClick(combo->lineEdit(), Qt::Key_Down);
    QVERIFY2(combo->currentText() != typed && (QStringList{"older", history}.contains(combo->currentText())),
             qPrintable(combo->currentText()));
}

QTEST_MAIN(tst_frmterminal_commands)
#include "tst_frmterminal_commands.moc"
