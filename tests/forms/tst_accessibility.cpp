// What a screen reader hears in every window, through Qt's accessibility
// interface, before and after what it shows changes: captions name their
// controls, labels name their boxes, value labels are named after what they
// are and describe what they show.
#include "support/Accessible.h"
#include "support/Fakes.h"
#include "support/SimProcess.h"

#include "config/ConfigScrn.h"
#include "help/frmAbout.h"
#include "scripts/FrmPause.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

class tst_Accessibility : public QObject {
    Q_OBJECT

    FakePrinter port;
    FakeOperator op;
    FakePump pump;

private slots:
    void initTestCase() { isolateSettings(); }
    void boxesAreNamedByTheirLabels_data();
    void boxesAreNamedByTheirLabels();
    void historyEntriesAreChildrenOfTheBox_data();
    void historyEntriesAreChildrenOfTheBox();
    void valueLabelsDescribeWhatTheyShow();
    void breakIsHeardAsWaitDuringTheBreak();
    void dialogs_data();
    void dialogs();
    void pauseCountdown();
};

void tst_Accessibility::boxesAreNamedByTheirLabels_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("name");
    QTest::newRow("command") << "SendInfo" << "Command";
    QTest::newRow("script file") << "FileNameTextBox" << "Script File";
    QTest::newRow("interactive") << "Indata" << "Interactive";
    QTest::newRow("packet size") << "PackSize" << "Packet Size";
}

// Named by the label, also while text is typed into the box (Qt would name
// a combo box by its text); the text is the value.
void tst_Accessibility::boxesAreNamedByTheirLabels()
{
    QFETCH(QString, box);
    QFETCH(QString, name);
    frmTerminal w(&port, &op, &pump);
    QWidget *widget = w.findChild<QWidget *>(box);
    QVERIFY(widget);
    QCOMPARE(heard(widget), name);
    QLineEdit *edit = qobject_cast<QLineEdit *>(widget);
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        edit = combo->lineEdit();
    QVERIFY(edit);
    edit->setText(QStringLiteral("[ESC]@Hel"));
    QCOMPARE(heard(widget), name);
    QCOMPARE(heard(widget, QAccessible::Value), QStringLiteral("[ESC]@Hel"));
    // The line edit that holds the focus while typing says the same.
    QCOMPARE(heard(edit), name);
}

void tst_Accessibility::historyEntriesAreChildrenOfTheBox_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("storedAs");
    QTest::addColumn<QString>("sent"); // the handler that sends the box's text; empty: none
    QTest::addColumn<QStringList>("entries");
    const QStringList loaded{"first", "second"};
    const QStringList sent{"third", "first", "second"};
    QTest::newRow("command, loaded") << "SendInfo" << "Commands" << "" << loaded;
    QTest::newRow("command, sent") << "SendInfo" << "Commands" << "SendCommand_Click" << sent;
    QTest::newRow("script file, loaded") << "FileNameTextBox" << "Scripts" << "" << loaded;
    QTest::newRow("script file, sent") << "FileNameTextBox" << "Scripts" << "SendScript_Click" << sent;
}

// A reader reaches the history through the box, as Qt's own combo box gives
// it: the list, whose entries are the history, and the line edit as children,
// its states and actions; the name stays the label's.
void tst_Accessibility::historyEntriesAreChildrenOfTheBox()
{
    QFETCH(QString, box);
    QFETCH(QString, storedAs);
    QFETCH(QString, sent);
    QFETCH(QStringList, entries);
    {
        QSettings s = settingsStore();
        s.setValue(QStringLiteral("Settings/%1A").arg(storedAs), QStringLiteral("first"));
        s.setValue(QStringLiteral("Settings/%1B").arg(storedAs), QStringLiteral("second"));
    }
    frmTerminal w(&port, &op, &pump);
    settingsStore().clear();
    auto *combo = w.findChild<QComboBox *>(box);
    const QString name = heard(combo);
    if (!sent.isEmpty()) {
        combo->setEditText(QStringLiteral("third"));
        QVERIFY(QMetaObject::invokeMethod(&w, qPrintable(sent)));
    }

    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(combo);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(iface->childCount(), 2);
    QAccessibleInterface *list = iface->child(0);
    QVERIFY(list);
    QCOMPARE(list->role(), QAccessible::List);
    QCOMPARE(list->parent(), iface);
    QCOMPARE(iface->indexOfChild(list), 0);
    QStringList heardEntries;
    for (int i = 0; i < list->childCount(); ++i)
        heardEntries << list->child(i)->text(QAccessible::Name);
    QCOMPARE(heardEntries, entries);
    QCOMPARE(iface->child(1)->object(), combo->lineEdit());
    QCOMPARE(iface->indexOfChild(iface->child(1)), 1);
    QVERIFY(iface->state().expandable);
    QVERIFY(iface->state().editable);
    QVERIFY(iface->actionInterface());
    QVERIFY(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
}

void tst_Accessibility::valueLabelsDescribeWhatTheyShow()
{
    frmTerminal w(&port, &op, &pump);
    QCOMPARE(heard(w.CurPort), QStringLiteral("Port"));
    QCOMPARE(heard(w.CurPort, QAccessible::Description), QStringLiteral("None"));
    w.session().link.vars.CommPort = QStringLiteral("ttyUSB0");
    w.DispPort();
    QCOMPARE(heard(w.CurPort), QStringLiteral("Port"));
    QCOMPARE(heard(w.CurPort, QAccessible::Description), QStringLiteral("ttyUSB0 19200"));

    QCOMPARE(heard(w.Label1), QStringLiteral("Status"));
    QCOMPARE(heard(w.Label1, QAccessible::Description), QString());
    w.setStatusText(QStringLiteral("ttyUSB0: Permission denied - is your user in the dialout group?"));
    QCOMPARE(heard(w.Label1), QStringLiteral("Status"));
    QCOMPARE(heard(w.Label1, QAccessible::Description),
             QStringLiteral("ttyUSB0: Permission denied - is your user in the dialout group?"));
    w.setStatusText(QString());
    QCOMPARE(heard(w.Label1, QAccessible::Description), QString());
}

void tst_Accessibility::breakIsHeardAsWaitDuringTheBreak()
{
    frmTerminal w(&port, &op, &pump);
    w.session().link.vars.CommPort = QStringLiteral("ttyUSB0");
    w.DispPort();
    QString during;
    pump.onSleep = [&](int ms) {
        if (ms == 1000)
            during = heard(w.DoBreak);
    };
    QCOMPARE(heard(w.DoBreak), QStringLiteral("Break"));
    w.DoBreak_Click();
    QCOMPARE(during, QStringLiteral("Wait"));
    QCOMPARE(heard(w.DoBreak), QStringLiteral("Break"));
}

void tst_Accessibility::dialogs_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::newRow("settings: port box") << "ConfigScrn" << "AvalPorts" << "Port";
    QTest::newRow("settings: frame") << "ConfigScrn" << "Frame1" << "Baud Rate";
    QTest::newRow("settings: option") << "ConfigScrn" << "Baud96" << "9600";
    QTest::newRow("settings: OK") << "ConfigScrn" << "OKButton" << "OK";
    QTest::newRow("about: title") << "frmAbout" << "lblTitle" << "Marlix Terminal";
    QTest::newRow("about: system info") << "frmAbout" << "cmdSysInfo" << "System Info...";
    QTest::newRow("about: icon") << "frmAbout" << "picIcon" << "Application icon";
}

void tst_Accessibility::dialogs()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    frmTerminal w(&port, &op, &pump);
    QWidget *dialog = nullptr;
    if (window == QLatin1String("ConfigScrn")) {
        port.portNames = {QStringLiteral("ttyS0\tBuilt-in")};
        w.MSettings_Click();
        dialog = w.configScrn();
        // Choosing an entry changes the box's text, not its name.
        w.configScrn()->AvalPorts->setEditText(QStringLiteral("ttyS0    Built-in"));
    } else {
        w.HelpAbout_Click();
        dialog = w.aboutBox();
    }
    QVERIFY(dialog);
    QWidget *widget = dialog->findChild<QWidget *>(control);
    QVERIFY2(widget, qPrintable(control));
    QCOMPARE(heard(widget), name);
}

void tst_Accessibility::pauseCountdown()
{
    FrmPause pause;
    QCOMPARE(heard(pause.Time), QStringLiteral("Demo Paused"));
    pause.setCount(3);
    QCOMPARE(heard(pause.Time, QAccessible::Description), QStringLiteral("3"));
    pause.setCount(2);
    QCOMPARE(heard(pause.Time), QStringLiteral("Demo Paused"));
    QCOMPARE(heard(pause.Time, QAccessible::Description), QStringLiteral("2"));
}

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
