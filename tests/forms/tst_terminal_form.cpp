// The main window offscreen: controls, menus, layout, display bound, focus, settings.
#include "config/ConfigScrn.h"
#include "link/Link.h"
#include "support/Accessible.h"
#include "support/Fakes.h"
#include "support/SimProcess.h"
#include "session/Session.h"
#include "terminal/StartOptions.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QSettings>
#include <QtTest>

namespace {
// Counts what the display hands to the log.
class RecordingLog : public LogSink {
public:
    QList<QByteArray> texts;
    bool isOpen() const override { return true; }
    void WriteLog(const QByteArray &text) override { texts << text; }
};
} // namespace

class TestTerminalForm : public QObject {
    Q_OBJECT

    FakePrinter port;
    FakeOperator op;
    FakePump pump;
    std::unique_ptr<frmTerminal> form;

    void makeForm()
    {
        form = std::make_unique<frmTerminal>(&port, &op, &pump);
    }

private slots:
    void initTestCase() { isolateSettings(); }
    void init()
    {
        settingsStore().clear();
        port = FakePrinter();
        op = FakeOperator();
        pump = FakePump();
    }
    void cleanup() { form.reset(); }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("accessible");
        QTest::newRow("LoopButton") << "LoopButton" << "Loop" << "Loop";
        QTest::newRow("DoBreak") << "DoBreak" << "Break" << "Break";
        QTest::newRow("PackSize") << "PackSize" << "20" << "Packet Size";
        QTest::newRow("AutoQuery") << "AutoQuery" << "Auto Query" << "Auto Query";
        QTest::newRow("Option3") << "Option3" << "Normal" << "Normal";
        QTest::newRow("Option2") << "Option2" << "Dec" << "Dec";
        QTest::newRow("Option1") << "Option1" << "Hex" << "Hex";
        QTest::newRow("FileNameTextBox") << "FileNameTextBox" << "" << "Script File";
        QTest::newRow("SendInfo") << "SendInfo" << "" << "Command";
        QTest::newRow("Echo") << "Echo" << "Transcript" << "Transcript";
        QTest::newRow("GetFileName") << "GetFileName" << "..." << "...";
        QTest::newRow("SendScript") << "SendScript" << "Send Script" << "Send Script";
        QTest::newRow("Indata") << "Indata" << "" << "Interactive";
        QTest::newRow("SendCommand") << "SendCommand" << "Send Command" << "Send Command";
        QTest::newRow("Getresp") << "Getresp" << "Get Response" << "Get Response";
        QTest::newRow("Term") << "Term" << "" << "Terminal";
        QTest::newRow("Label7") << "Label7" << "Packet Size" << "Packet Size";
        QTest::newRow("Label6") << "Label6" << "Port:" << "Port:";
        QTest::newRow("CurPort") << "CurPort" << "None" << "Port";
        QTest::newRow("Label5") << "Label5" << "Script File" << "Script File";
        QTest::newRow("Label4") << "Label4" << "Interactive" << "Interactive";
        QTest::newRow("Label3") << "Label3" << "Command" << "Command";
        QTest::newRow("Label2") << "Label2" << "Status - " << "Status - ";
        QTest::newRow("Label1") << "Label1" << "" << "Status";
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, accessible);
        makeForm();
        QWidget *w = form->findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
        QCOMPARE(heard(w), accessible);
        QString text;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            text = b->text();
        else if (auto *l = qobject_cast<QLabel *>(w))
            text = l->text();
        else if (auto *e = qobject_cast<QLineEdit *>(w))
            text = e->text();
        else if (auto *c = qobject_cast<QComboBox *>(w))
            text = c->currentText();
        else if (auto *t = qobject_cast<QPlainTextEdit *>(w))
            text = t->toPlainText();
        QCOMPARE(text, caption);
    }

    void designState()
    {
        makeForm();
        QCOMPARE(form->windowTitle(), QStringLiteral("Marlix Terminal"));
        QVERIFY(form->AutoQuery->isChecked());
        QVERIFY(form->Echo->isChecked());
        QVERIFY(form->Option3->isChecked());
        QVERIFY(!form->Option1->isChecked() && !form->Option2->isChecked());
        QVERIFY(!form->DoBreak->isEnabled()); // port "None"
        QVERIFY(form->SendInfo->isEditable());
        QVERIFY(form->FileNameTextBox->isEditable());
        // Each box is announced by its label.
        QCOMPARE(form->Label3->buddy(), form->SendInfo);
        QCOMPARE(form->Label4->buddy(), form->Indata);
        QCOMPARE(form->Label5->buddy(), form->FileNameTextBox);
        QCOMPARE(form->Label7->buddy(), form->PackSize);
        QVERIFY(form->session().link.timer().isActive());
        QCOMPARE(form->session().link.timer().interval(), 5000);
        QVERIFY(port.calls.isEmpty()); // the port is not opened at start-up
    }

    void menus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("menuCaption");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("File") << "MFile" << "&File" << QStringList{"MOpenLog", "MCloseLog", "", "MFileExit"}
                              << QStringList{"&Open Log File...", "&Close Log File", "", "E&xit"};
        QTest::newRow("Port") << "MPort" << "&Port" << QStringList{"MSettings", "MPreview"}
                              << QStringList{"&Settings...", "&Receipt Preview"};
        QTest::newRow("Macros") << "Mac" << "&Macros" << QStringList{"DoMacros"} << QStringList{"Program"};
        QTest::newRow("Help") << "HelpMenu" << "&Help"
                              << QStringList{"Operation", "MXCommands", "PGMGuide", "PassHelp", "HelpAbout"}
                              << QStringList{"Operation", "MX2100 Commands", "Programmers Guide", "Pass-Through",
                                             "About"};
    }

    void menus()
    {
        QFETCH(QString, menu);
        QFETCH(QString, menuCaption);
        QFETCH(QStringList, items);
        QFETCH(QStringList, captions);
        makeForm();
        auto *m = form->menuBar()->findChild<QMenu *>(menu);
        QVERIFY(m);
        QCOMPARE(m->title(), menuCaption);
        const QList<QAction *> actions = m->actions();
        QCOMPARE(actions.size(), items.size());
        for (int i = 0; i < items.size(); ++i) {
            QCOMPARE(actions[i]->isSeparator(), items[i].isEmpty());
            if (items[i].isEmpty())
                continue;
            QCOMPARE(actions[i]->objectName(), items[i]);
            QCOMPARE(actions[i]->text(), captions[i]);
        }
        QVERIFY(!form->MCloseLog->isEnabled());
        QVERIFY(form->MOpenLog->isEnabled());
    }

    void resizeRule_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("normal") << 800 << 500;
        QTest::newRow("wide") << 1400 << 900;
        QTest::newRow("narrow") << 420 << 300;
        QTest::newRow("1024 x 768") << 1024 << 768;
    }

    // A status longer than its line wraps at its blanks and shows whole, the display below it.
    void resizeRule()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        makeForm();
        form->resize(width, height);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QLabel *status = form->Label1;
        QString text = QStringLiteral("The point-of-sale program waits.");
        while (status->fontMetrics().horizontalAdvance(text) < 2 * status->width())
            text += QStringLiteral(" It waits.");
        form->setStatusText(text);
        QVERIFY(status->height() >= status->heightForWidth(status->width()));
        QVERIFY(status->heightForWidth(status->width()) > 2 * status->fontMetrics().height()); // on three lines
        QVERIFY(status->geometry().bottom() < form->line1Y());
        const QWidget *inner = form->centralWidget();
        const int w = inner->width();
        const int h = inner->height();
        const int y = form->line1Y();
        QCOMPARE(form->Line1->width(), w);
        QCOMPARE(form->Term->geometry(), QRect(0, y, w, h - y + 1));
        // The input line spans the band's width (less its label and margins).
        QVERIFY(form->Indata->geometry().right() >= w - 12);
        QVERIFY(form->Indata->geometry().bottom() < y);
    }

    void windowShorterThanLine1()
    {
        makeForm();
        form->show();
        form->resize(600, 40);
        QTRY_VERIFY(form->centralWidget()->height() < form->line1Y());
        const int h = form->centralWidget()->height();
        QCOMPARE(form->Term->y(), form->line1Y());
        QCOMPARE(form->Term->height(), std::max(h, 0));
    }

    // A small window clips the controls; it never squeezes them into slivers.
    void smallWindowClipsControls()
    {
        makeForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->resize(240, 90);
        QCoreApplication::processEvents();
        QCOMPARE(form->width(), 240); // the window itself may be that small
        const QList<QWidget *> band{form->Label3, form->SendInfo, form->SendCommand, form->LoopButton,
                                    form->Getresp, form->DoBreak, form->Label5, form->GetFileName,
                                    form->SendScript, form->Label7, form->PackSize, form->Option3,
                                    form->AutoQuery, form->Echo, form->Label6, form->Label4};
        for (QWidget *w : band) {
            // A control of a fixed design width ("...", Packet Size) needs that width.
            const int needs = w->minimumWidth() > 0 ? w->minimumWidth() : w->minimumSizeHint().width();
            QVERIFY2(w->width() >= needs, qPrintable(QStringLiteral("%1 is %2 wide, needs %3")
                                                          .arg(w->objectName())
                                                          .arg(w->width())
                                                          .arg(needs)));
        }
        // Growing again gives the stretched layout back.
        form->resize(900, 600);
        QCoreApplication::processEvents();
        QCOMPARE(form->Indata->mapTo(form.get(), QPoint(form->Indata->width(), 0)).x(),
                 form->centralWidget()->width() - 8);
    }

    // One long reply (a raster image's bytes, a line without blanks) must not
    // scroll the display sideways and out of sight of every earlier line.
    void displayWrapsLongLines()
    {
        makeForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->appendToDisplay("\r\nfirst line\r\n");
        form->appendToDisplay(QByteArray(600, 'X'));
        QTRY_VERIFY(form->Term->updatesEnabled());
        QCoreApplication::processEvents();
        QCOMPARE(form->Term->horizontalScrollBar()->maximum(), 0);
        QVERIFY(!form->Term->horizontalScrollBar()->isVisible());
        // "first line" is still in view at the top left.
        QCOMPARE(form->Term->cursorForPosition(QPoint(2, 2)).blockNumber(), 0);
        const QTextBlock longBlock = form->Term->document()->lastBlock();
        QVERIFY(longBlock.layout()->lineCount() > 1);
        // Wrapped at the width, not only at blanks: every line but the last is full.
        QVERIFY(longBlock.layout()->lineAt(0).textLength() > 20);
    }

    void displayBound_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("after");
        QTest::newRow("19990 + 20 trims to 2000") << 19990 << 20 << 2000;
        QTest::newRow("exactly 20000 stays") << 19990 << 10 << 20000;
        QTest::newRow("small") << 10 << 5 << 15;
    }

    void displayBound()
    {
        QFETCH(int, before);
        QFETCH(int, added);
        QFETCH(int, after);
        makeForm();
        QByteArray first(before, 'a');
        for (int i = 0; i < before; i += 100)
            first[i] = char('0' + (i / 100) % 10);
        form->session().AppendToTerm(first);
        const QByteArray more(added, 'z');
        form->session().AppendToTerm(more);
        const QByteArray whole = first + more;
        QCOMPARE(form->termText().size(), after);
        QCOMPARE(form->termText(), whole.right(after));
        QCOMPARE(form->Term->toPlainText(), QString::fromLatin1(whole.right(after)));
        QCOMPARE(form->Term->textCursor().position(), form->Term->toPlainText().size());
    }

    void streamedTextCatchesUpOnScreen()
    {
        // A shown display takes text faster than it paints it; the text itself is exact at once.
        makeForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QByteArray expected;
        for (int i = 0; i < 6000; ++i) {
            const QByteArray piece = i % 7 == 0 ? QByteArray("[LF]\r\n") : QByteArray::number(i % 10);
            form->session().AppendToTerm(piece);
            expected += piece;
            if (expected.size() > frmTerminal::kTermLimit)
                expected = expected.right(frmTerminal::kTermKeep);
            if (i == 2999)
                QCOMPARE(form->termText(), expected);
        }
        QCOMPARE(form->termText(), expected);
        QString shown = QString::fromLatin1(expected);
        shown.remove(QLatin1Char('\r'));
        QTRY_COMPARE(form->Term->toPlainText(), shown);
        QTRY_VERIFY(form->Term->updatesEnabled());
        QCOMPARE(form->Term->textCursor().position(), shown.size());
    }

    void logKeepsTheDisplaysOrder()
    {
        // Text shown by a handler that runs while the display serves events
        // comes after the text being shown, in the log as on screen.
        makeForm();
        RecordingLog log;
        form->session().setLogSink(&log);
        bool typed = false;
        pump.onServe = [&] {
            if (!typed) {
                typed = true;
                form->session().AppendToTerm("k");
            }
        };
        form->session().AppendToTerm("SCRIPT");
        pump.onServe = nullptr;
        QCOMPARE(form->termText(), QByteArray("SCRIPTk"));
        QCOMPARE(log.texts.join(), form->termText());
        form->session().setLogSink(nullptr);
    }

    void settingsCommandKeepsAnOpenDialog()
    {
        makeForm();
        form->MSettings_Click();
        QVERIFY(form->configScrn());
        auto *box = form->configScrn()->findChild<QComboBox *>(QStringLiteral("AvalPorts"));
        QVERIFY(box);
        box->setEditText(QStringLiteral("ttyUSB7"));
        form->MSettings_Click(); // again, while it is on screen
        QCOMPARE(box->currentText(), QStringLiteral("ttyUSB7"));
        form->configScrn()->hide();
        form->MSettings_Click(); // a fresh load starts from the current port
        QCOMPARE(box->currentText(), QStringLiteral("None"));
    }

    void appendServesEventsAndFeedsTheLog()
    {
        makeForm();
        RecordingLog log;
        form->session().setLogSink(&log);
        const int served = pump.served;
        form->session().AppendToTerm("\r\n");
        form->session().AppendToTerm("[ESC]@< 200>");
        form->session().AppendToTerm("");
        QCOMPARE(pump.served, served + 3);
        QCOMPARE(log.texts, (QList<QByteArray>{"\r\n", "[ESC]@< 200>"}));
        QCOMPARE(form->termText(), QByteArray("\r\n[ESC]@< 200>"));
        // CR LF shows as one line break.
        QCOMPARE(form->Term->toPlainText(), QStringLiteral("\n[ESC]@< 200>"));
        form->session().setLogSink(nullptr);
    }

    void focusGoesBackToIndata_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("display") << "Term";
        QTest::newRow("Hex") << "Option1";
        QTest::newRow("Dec") << "Option2";
        QTest::newRow("Normal") << "Option3";
        QTest::newRow("Transcript") << "Echo";
    }

    void focusGoesBackToIndata()
    {
        QFETCH(QString, control);
        makeForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->SendInfo->setFocus();
        QTRY_VERIFY(form->SendInfo->hasFocus());
        QWidget *w = form->findChild<QWidget *>(control);
        QVERIFY(w);
        QWidget *target = control == QLatin1String("Term") ? form->Term->viewport() : w;
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(8, 8));
        QTRY_VERIFY(form->Indata->hasFocus());
    }

    void formLoadReadsTheStore()
    {
        {
            QSettings s = settingsStore();
            s.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("1500"));
            s.setValue(QStringLiteral("Settings/MainTop"), QStringLiteral("3000"));
            s.setValue(QStringLiteral("Settings/IOPort"), QStringLiteral("COM3"));
            s.setValue(QStringLiteral("Settings/BaudRate"), QStringLiteral("9600"));
            s.setValue(QStringLiteral("Settings/Flow"), QStringLiteral("0"));
            s.setValue(QStringLiteral("Settings/CommandsA"), QStringLiteral("[ESC]@"));
            s.setValue(QStringLiteral("Settings/CommandsC"), QStringLiteral("ABC"));
            s.setValue(QStringLiteral("Settings/ScriptsB"), QStringLiteral("/tmp/demo.dmo"));
        }
        makeForm();
        QCOMPARE(form->pos(), QPoint(100, 200));
        QCOMPARE(form->CurPort->text(), QStringLiteral("COM3 9600"));
        QVERIFY(form->DoBreak->isEnabled());
        QCOMPARE(form->session().link.vars.CommFlow, qint16(0));
        QCOMPARE(form->commandList(), (QStringList{QStringLiteral("[ESC]@"), QStringLiteral("ABC")}));
        QCOMPARE(form->scriptList(), QStringList{QStringLiteral("/tmp/demo.dmo")});
        QCOMPARE(form->SendInfo->currentText(), QString());
        QCOMPARE(form->FileNameTextBox->currentText(), QString());
        QVERIFY(!form->session().link.MacroMode);
        QVERIFY(!form->session().link.ClosePending);
        QCOMPARE(form->session().CounterA, qint16(0));
    }

    // Twips load to the nearest pixel; a window that was not moved saves the
    // stored numbers back unchanged, so positions never drift run by run.
    void positionRoundTrip_data()
    {
        QTest::addColumn<QString>("stored"); // "" for none stored
        QTest::addColumn<QPoint>("shown");
        QTest::addColumn<QPoint>("moveTo");  // (-1,-1): not moved
        QTest::addColumn<QPoint>("saved");
        QTest::newRow("first start") << "" << QPoint(7, 7) << QPoint(-1, -1) << QPoint(100, 100);
        QTest::newRow("rounds down") << "97" << QPoint(6, 6) << QPoint(-1, -1) << QPoint(97, 97);
        QTest::newRow("rounds up") << "98" << QPoint(7, 7) << QPoint(-1, -1) << QPoint(98, 98);
        QTest::newRow("whole pixels") << "1500" << QPoint(100, 100) << QPoint(-1, -1) << QPoint(1500, 1500);
        QTest::newRow("moved") << "100" << QPoint(7, 7) << QPoint(20, 30) << QPoint(300, 450);
    }

    void positionRoundTrip()
    {
        QFETCH(QString, stored);
        QFETCH(QPoint, shown);
        QFETCH(QPoint, moveTo);
        QFETCH(QPoint, saved);
        if (!stored.isEmpty()) {
            QSettings s = settingsStore();
            s.setValue(QStringLiteral("Settings/MainLeft"), stored);
            s.setValue(QStringLiteral("Settings/MainTop"), stored);
        }
        makeForm();
        QCOMPARE(form->pos(), shown);
        form->show();
        if (moveTo != QPoint(-1, -1))
            form->move(moveTo);
        form->close();
        QSettings s = settingsStore();
        QCOMPARE(s.value(QStringLiteral("Settings/MainLeft")).toString(), QString::number(saved.x()));
        QCOMPARE(s.value(QStringLiteral("Settings/MainTop")).toString(), QString::number(saved.y()));
    }

    // --port and --baud: as if picked in Port > Settings and confirmed.
    void startOptionsChooseThePort()
    {
        makeForm();
        StartOptions options;
        options.port = QStringLiteral("/dev/pts/7");
        options.baud = QStringLiteral("9600");
        applyStartOptions(*form, options);
        QCOMPARE(form->CurPort->text(), QStringLiteral("/dev/pts/7 9600"));
        QVERIFY(form->DoBreak->isEnabled());
        QVERIFY(port.calls.isEmpty()); // still opened on demand only
        form->AutoQuery->setChecked(false);
        form->SendInfo->setEditText(QStringLiteral("A"));
        form->SendCommand_Click();
        QCOMPARE(port.calls.first(), QStringLiteral("OpenPort(/dev/pts/7|baud=9600 parity=N data=8 stop=1)"));
        form->close();
        QCOMPARE(settingsStore().value(QStringLiteral("Settings/IOPort")).toString(), QStringLiteral("/dev/pts/7"));
        QCOMPARE(settingsStore().value(QStringLiteral("Settings/BaudRate")).toString(), QStringLiteral("9600"));
    }

    void closingSavesAndClosesThePort()
    {
        makeForm();
        form->show();
        form->move(200, 300);
        form->session().link.vars.CommPort = QStringLiteral("ttyUSB1");
        form->session().link.vars.CommFlow = 1;
        form->setCommandList({QStringLiteral("first"), QStringLiteral("second")}, QString());
        form->close();
        QCOMPARE(port.count(QStringLiteral("ClosePort")), 1);
        QSettings s = settingsStore();
        QCOMPARE(s.value(QStringLiteral("Settings/MainLeft")).toString(), QString::number(form->x() * 15));
        QCOMPARE(s.value(QStringLiteral("Settings/IOPort")).toString(), QStringLiteral("ttyUSB1"));
        QCOMPARE(s.value(QStringLiteral("Settings/Flow")).toString(), QStringLiteral("1"));
        QCOMPARE(s.value(QStringLiteral("Settings/CommandsB")).toString(), QStringLiteral("second"));
    }

    void closingMinimizedSavesNothing()
    {
        makeForm();
        form->session().link.vars.CommPort = QStringLiteral("ttyUSB1");
        form->showMinimized();
        QTRY_VERIFY(form->isMinimized());
        form->close();
        QCOMPARE(port.count(QStringLiteral("ClosePort")), 1);
        QVERIFY(!settingsStore().contains(QStringLiteral("Settings/IOPort")));
    }

    void exitMenuUnloadsOnce()
    {
        makeForm();
        form->show();
        form->MFileExit->trigger();
        QCOMPARE(port.count(QStringLiteral("ClosePort")), 1);
        QVERIFY(!form->isVisible());
    }

    void breakButton()
    {
        makeForm();
        form->session().link.vars.CommPort = QStringLiteral("ttyUSB0");
        form->DispPort();
        QVERIFY(form->DoBreak->isEnabled());
        QTest::mouseClick(form->DoBreak, Qt::LeftButton);
        QCOMPARE(port.count(QStringLiteral("SetBreak(1")), 1);
        QCOMPARE(port.count(QStringLiteral("SetBreak(2")), 1);
        QCOMPARE(form->DoBreak->text(), QStringLiteral("Break"));
        QVERIFY(form->session().link.ClosePending);
    }

    // Tab walks every control once and comes back; the display is skipped
    // (it hands the focus straight back to Interactive) and nothing is sent.
    void tabOrder()
    {
        makeForm();
        form->session().link.vars.CommPort = QStringLiteral("ttyUSB0");
        form->DispPort();
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->Indata->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), form->Indata);
        const QStringList expected{"SendInfo", "SendCommand", "LoopButton", "Getresp", "DoBreak",
                                   "FileNameTextBox", "GetFileName", "SendScript", "PackSize", "Option3",
                                   "AutoQuery", "Echo", "Indata"};
        QStringList forward;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focus = QApplication::focusWidget();
            // An editable combo box's line edit holds the focus for its box.
            if (focus && qobject_cast<QComboBox *>(focus->parentWidget()))
                focus = focus->parentWidget();
            forward << (focus ? focus->objectName() : QStringLiteral("(none)"));
        }
        QCOMPARE(forward, expected);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Echo"));
        QVERIFY(port.written.isEmpty()); // Tab is never a byte; Ctrl+I is
        QCOMPARE(form->Indata->text(), QString());
    }

    // Alt+letter opens the menus from the Interactive box, where the focus lives,
    // and sends nothing; AltGr characters (no Alt modifier) still go out.
    void altKeysReachTheMenus()
    {
        makeForm();
        form->session().link.vars.CommPort = QStringLiteral("ttyUSB0");
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->Indata->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), form->Indata);
        QTest::keyClick(form->Indata, Qt::Key_P, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QCOMPARE(QApplication::activePopupWidget()->objectName(), QStringLiteral("MPort"));
        QApplication::activePopupWidget()->close();
        QVERIFY(port.written.isEmpty());
        QCOMPARE(form->Indata->text(), QString());
    }

    // What the operator sees during the second the line is held: the
    // window's pixels on the screen, not the caption property.
    void breakShowsWaitOnScreen()
    {
        makeForm();
        form->session().link.vars.CommPort = QStringLiteral("ttyUSB0");
        form->DispPort();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCoreApplication::processEvents();
        const QRect button(form->DoBreak->mapTo(form.get(), QPoint(0, 0)), form->DoBreak->size());
        auto onScreen = [&] {
            return form->screen()->grabWindow(form->winId()).copy(button).toImage().convertToFormat(
                QImage::Format_RGB32);
        };
        auto drawn = [&] { return form->DoBreak->grab().toImage().convertToFormat(QImage::Format_RGB32); };
        const QImage idle = onScreen();
        QCOMPARE(idle, drawn()); // the comparison itself works: "Break" as drawn is what is shown
        QImage duringBreak, waitDrawn;
        pump.onSleep = [&](int ms) {
            if (ms == 1000 && duringBreak.isNull()) {
                duringBreak = onScreen();
                waitDrawn = drawn();
            }
        };
        form->DoBreak_Click();
        QVERIFY(!duringBreak.isNull());
        QVERIFY(waitDrawn != idle); // "Wait" looks different from "Break"
        QCOMPARE(duringBreak, waitDrawn);
    }
};

QTEST_MAIN(TestTerminalForm)
#include "tst_terminal_form.moc"
