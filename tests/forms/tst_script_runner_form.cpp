// The script controls of the main window and the pause window, driven as an
// operator would, with the port, the messages and the event pump faked.
#include "support/Accessible.h"
#include "support/Fakes.h"
#include "support/SimProcess.h"

#include "scripts/FrmPause.h"
#include "scripts/ScriptRunner.h"
#include "terminal/KeyInput.h"
#include "terminal/QtOperator.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

QStringList entries(QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

struct Window {
    FakePrinter printer;
    FakeOperator op;
    FakePump pump;
    frmTerminal w{&printer, &op, &pump};
    QTemporaryDir dir;

    QString file(const QString &name, const QByteArray &bytes)
    {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write");
        return f.fileName();
    }
    void click(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
};

} // namespace

class tst_ScriptRunnerForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { isolateSettings(); }
    void recentList_data();
    void recentList();
    void emptyBoxAsksForAFile();
    void runPreparesThePort();
    void macroModeLeavesThePortHeld();
    void fileDialog();
    void fileDialogStartsBesideTheBoxFile_data();
    void fileDialogStartsBesideTheBoxFile();
    void qtDialogOpensInTheStartFolder();
    void qtSaveDialogTakesTheFiltersExtension();
    void cancelledDialogKeepsTheBox();
    void sendScriptDuringARun();
    void buttonsDuringARun();
    void commandsWaitForTheRun_data();
    void commandsWaitForTheRun();
    void idleTimerLeavesARunningScriptAlone();
    void closingTheWindowEndsTheRun();
    void pauseWindow();
};

void tst_ScriptRunnerForm::recentList_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("after");
    const QStringList two{"C:\\a.dmo", "C:\\b.dmo"};
    QTest::newRow("moves to the top") << two << "C:\\b.dmo" << QStringList{"C:\\b.dmo", "C:\\a.dmo"};
    QTest::newRow("case counts") << two << "c:\\B.DMO" << QStringList{"c:\\B.DMO", "C:\\a.dmo", "C:\\b.dmo"};
    QTest::newRow("new name on top") << two << "/tmp/n.dmo" << QStringList{"/tmp/n.dmo", "C:\\a.dmo", "C:\\b.dmo"};
    QTest::newRow("first match only") << QStringList{"x", "y", "x"} << "x" << QStringList{"x", "y", "x"};
    QTest::newRow("empty list") << QStringList{} << "only" << QStringList{"only"};
}

void tst_ScriptRunnerForm::recentList()
{
    QFETCH(QStringList, list);
    QFETCH(QString, box);
    QFETCH(QStringList, after);

    Window t;
    t.w.FileNameTextBox->clear();
    t.w.FileNameTextBox->addItems(list);
    t.w.FileNameTextBox->setEditText(box);
    t.click(t.w.SendScript);
    QCOMPARE(entries(t.w.FileNameTextBox), after);
    QCOMPARE(t.w.FileNameTextBox->currentText(), box);
    // None of these files exists: the run says so by name.
    QCOMPARE(t.op.asked.size(), 1);
    QVERIFY(t.op.asked.at(0).text.contains(box));
}

void tst_ScriptRunnerForm::emptyBoxAsksForAFile()
{
    Window t;
    t.w.show();
    QVERIFY(QTest::qWaitForWindowActive(&t.w));
    t.w.FileNameTextBox->addItems({"/x/a.dmo"});
    t.w.FileNameTextBox->setEditText(QString());
    t.w.Indata->setFocus();
    t.click(t.w.SendScript);
    QCOMPARE(t.op.texts(), QStringList{"You must select a Script File."});
    QCOMPARE(t.op.asked.at(0).buttons, Msg::Buttons::Ok);
    QVERIFY(t.printer.calls.isEmpty());
    QCOMPARE(entries(t.w.FileNameTextBox), QStringList{"/x/a.dmo"});
    QTRY_VERIFY(t.w.FileNameTextBox->hasFocus());
    QVERIFY(t.w.termText().isEmpty());
}

void tst_ScriptRunnerForm::runPreparesThePort()
{
    Window t;
    t.w.session().link.vars.CommPort = QStringLiteral("ttyS9");
    t.w.FileNameTextBox->setEditText(t.file("r.dmo", "[ESC]@"));
    t.click(t.w.SendScript);
    QCOMPARE(t.printer.calls.mid(0, 3),
             (QStringList{"OpenPort(ttyS9|baud=19200 parity=N data=8 stop=1)", "SetFlowControl(2)",
                          "WriteData(2)"}));
    QCOMPARE(t.printer.written, QByteArray("\x1B@"));
    QCOMPARE(t.w.termText(), QByteArray("\r\n[ESC]@"));
    QVERIFY(t.w.session().link.ClosePending);
    QCOMPARE(t.printer.count("ClosePort"), 0); // the idle timer closes it later
}

void tst_ScriptRunnerForm::macroModeLeavesThePortHeld()
{
    Window t;
    t.w.session().link.MacroMode = true;
    t.w.FileNameTextBox->setEditText(t.file("m.dmo", "A"));
    t.click(t.w.SendScript);
    QCOMPARE(t.printer.count("OpenPort"), 0);
    QCOMPARE(t.printer.written, QByteArray("A"));
    QVERIFY(!t.w.session().link.ClosePending);
}

void tst_ScriptRunnerForm::fileDialog()
{
    Window t;
    t.w.show();
    QVERIFY(QTest::qWaitForWindowActive(&t.w));
    t.op.files.enqueue(FileChoice{QStringLiteral("/demo/receipt.dmo"), QStringLiteral("receipt.dmo")});
    t.w.FileNameTextBox->setFocus();
    t.click(t.w.GetFileName);
    QCOMPARE(t.op.fileRequests.size(), 1);
    QCOMPARE(t.op.fileRequests.at(0).title, QStringLiteral("Open Demo File"));
    QCOMPARE(t.op.fileRequests.at(0).filter,
             QStringLiteral("(*.dmo;*.prn)|*.dmo;*.prn|(*.prn)|*.prn|(*.*)|*.*"));
    QCOMPARE(t.w.FileNameTextBox->currentText(), QStringLiteral("/demo/receipt.dmo"));
    QTRY_VERIFY(t.w.Indata->hasFocus());
    QVERIFY(t.printer.calls.isEmpty()); // choosing does not run it
}

// The dialog starts beside the file already in the box, when there is one.
void tst_ScriptRunnerForm::fileDialogStartsBesideTheBoxFile_data()
{
    QTest::addColumn<QString>("box"); // "%1" is a folder holding demo.dmo
    QTest::addColumn<QString>("startFile");
    QTest::newRow("existing file") << "%1/demo.dmo" << "%1/demo.dmo";
    QTest::newRow("missing file") << "%1/gone.dmo" << "";
    QTest::newRow("a folder") << "%1" << "";
    QTest::newRow("empty box") << "" << "";
}

void tst_ScriptRunnerForm::fileDialogStartsBesideTheBoxFile()
{
    QFETCH(QString, box);
    QFETCH(QString, startFile);
    Window t;
    const QString folder = QFileInfo(t.file("demo.dmo", "A")).absolutePath();
    t.w.FileNameTextBox->setEditText(QString(box).replace(QLatin1String("%1"), folder));
    t.click(t.w.GetFileName);
    QCOMPARE(t.op.fileRequests.size(), 1);
    QCOMPARE(t.op.fileRequests.at(0).startFile, QString(startFile).replace(QLatin1String("%1"), folder));
}

// The real dialog opens in that folder with the file selected.
void tst_ScriptRunnerForm::qtDialogOpensInTheStartFolder()
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("demo.dmo")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QtOperator op;
    FileDialogRequest request;
    request.title = QStringLiteral("Open Demo File");
    request.filter = QStringLiteral("(*.dmo;*.prn)|*.dmo;*.prn");
    request.startFile = file.fileName();
    QString shownFolder;
    QStringList selected;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        shownFolder = dialog->directory().absolutePath();
        selected = dialog->selectedFiles();
        dialog->reject();
    });
    QVERIFY(!op.openFile(request).has_value()); // rejected
    QCOMPARE(shownFolder, QFileInfo(dir.path()).absoluteFilePath());
    QCOMPARE(selected, QStringList{QFileInfo(file.fileName()).absoluteFilePath()});
}

// A saving request gives a Save dialog whose default extension follows the
// chosen filter, and leaves the question before replacing to the caller.
void tst_ScriptRunnerForm::qtSaveDialogTakesTheFiltersExtension()
{
    QtOperator op;
    FileDialogRequest request;
    request.title = QStringLiteral("Save Receipt 1");
    request.filter = QStringLiteral("PNG image|*.png|PDF document|*.pdf");
    request.defaultExtension = QStringLiteral("png");
    request.mustExist = false;
    request.saving = true;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QString before, after;
    bool confirms = true;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        mode = dialog->acceptMode();
        confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        before = dialog->defaultSuffix();
        dialog->selectNameFilter(dialog->nameFilters().at(1));
        emit dialog->filterSelected(dialog->nameFilters().at(1));
        after = dialog->defaultSuffix();
        dialog->reject();
    });
    QVERIFY(!op.openFile(request).has_value());
    QCOMPARE(mode, QFileDialog::AcceptSave);
    QVERIFY(!confirms);
    QCOMPARE(before, QStringLiteral("png"));
    QCOMPARE(after, QStringLiteral("pdf"));
}

void tst_ScriptRunnerForm::cancelledDialogKeepsTheBox()
{
    Window t;
    t.w.FileNameTextBox->setEditText(QStringLiteral("/demo/old.dmo"));
    t.click(t.w.GetFileName); // the fake cancels when it has no choice queued
    QCOMPARE(t.op.fileRequests.size(), 1);
    QCOMPARE(t.w.FileNameTextBox->currentText(), QStringLiteral("/demo/old.dmo"));
}

void tst_ScriptRunnerForm::sendScriptDuringARun()
{
    Window t;
    t.w.FileNameTextBox->setEditText(t.file("p.dmo", "A{PAUSE:1}B"));
    QString statusDuring;
    int clicks = 0;
    t.pump.onSleep = [&](int) {
        if (clicks++ == 0) {
            t.click(t.w.SendScript); // the operator presses it again mid-run
            statusDuring = t.w.Label1->text();
        }
    };
    t.click(t.w.SendScript);
    QCOMPARE(statusDuring, ScriptRunner::kBusyNote);
    QCOMPARE(t.printer.written, QByteArray("AB")); // one run, not two
    QCOMPARE(t.printer.count("OpenPort"), 1);
    QCOMPARE(t.w.termText(), QByteArray("\r\nAB"));
    QVERIFY(t.op.asked.isEmpty());
    QCOMPARE(t.w.Label1->text(), QString()); // the note goes when the run ends
}

void tst_ScriptRunnerForm::buttonsDuringARun()
{
    Window t;
    t.w.FileNameTextBox->setEditText(t.file("b.dmo", "{WAIT:1}"));
    QList<bool> during;
    t.pump.onSleep = [&](int) {
        during << t.w.SendCommand->isEnabled() << t.w.Getresp->isEnabled() << t.w.SendScript->isEnabled();
    };
    t.click(t.w.SendScript);
    QCOMPARE(during, (QList<bool>{false, false, true}));
    QVERIFY(t.w.SendCommand->isEnabled());
    QVERIFY(t.w.Getresp->isEnabled());
}

void tst_ScriptRunnerForm::commandsWaitForTheRun_data()
{
    QTest::addColumn<QString>("slot");
    QTest::newRow("Send Command") << "SendCommand_Click";
    QTest::newRow("Loop") << "LoopButton_Click";
    QTest::newRow("Get Response") << "Getresp_Click";
}

void tst_ScriptRunnerForm::commandsWaitForTheRun()
{
    // Clicked while the script's echo serves events: the script's queued
    // bytes must neither be dropped nor have the port closed under them.
    QFETCH(QString, slot);
    Window t;
    t.w.SendInfo->setEditText(QStringLiteral("XY"));
    t.w.FileNameTextBox->setEditText(t.file("c.dmo", "ABCDEF"));
    bool clicked = false;
    t.pump.onServe = [&] {
        if (!clicked) {
            clicked = true;
            QMetaObject::invokeMethod(&t.w, slot.toLatin1().constData());
        }
    };
    t.click(t.w.SendScript);
    QVERIFY(clicked);
    QCOMPARE(t.printer.written, QByteArray("ABCDEF"));
    QCOMPARE(t.printer.count(QStringLiteral("ClosePort")), 0);
    QVERIFY(t.w.Label1->text().contains(QStringLiteral("script is running")));
    // Once the run is over the same click works again.
    t.pump.onServe = nullptr;
    t.w.AutoQuery->setChecked(false);
    t.w.SendCommand_Click();
    QCOMPARE(t.printer.written, QByteArray("ABCDEFXY"));
}

void tst_ScriptRunnerForm::idleTimerLeavesARunningScriptAlone()
{
    // A key typed during a pause sets ClosePending; the idle tick that follows
    // must not close the port the rest of the script needs.
    Window t;
    t.w.FileNameTextBox->setEditText(t.file("k.dmo", "A{WAIT:1}B"));
    t.pump.onSleep = [&](int) {
        t.w.keyInput().Indata_KeyPress('k');
        t.w.session().link.Timer1_Timer();
    };
    t.click(t.w.SendScript);
    QCOMPARE(t.printer.written, QByteArray("AkB"));
    QCOMPARE(t.printer.count(QStringLiteral("ClosePort")), 0);
    // After the run the idle timer closes the port again.
    t.w.session().link.Timer1_Timer();
    QCOMPARE(t.printer.count(QStringLiteral("ClosePort")), 1);
}

void tst_ScriptRunnerForm::closingTheWindowEndsTheRun()
{
    Window t;
    t.w.show();
    t.w.FileNameTextBox->setEditText(t.file("long.dmo", "A{PAUSE:3}B{WAIT:500}{STOP}C\r\nD"));
    bool closed = false;
    t.pump.onServe = [&] {
        const FrmPause *pause = t.w.findChild<FrmPause *>();
        if (!closed && pause && pause->isVisible()) {
            closed = true;
            t.w.close();
        }
    };
    t.click(t.w.SendScript);
    QVERIFY(closed);
    QCOMPARE(t.printer.written, QByteArray("A"));
    QCOMPARE(t.pump.sleeps, QList<int>{}); // no second of the pause, no wait
    QVERIFY(t.op.asked.isEmpty());         // no STOP, no output failure
    const QStringList &calls = t.printer.calls;
    const qsizetype closedAt = calls.lastIndexOf(QStringLiteral("ClosePort()"));
    QVERIFY(closedAt >= 0);
    for (qsizetype i = closedAt + 1; i < calls.size(); ++i)
        QVERIFY2(!calls.at(i).startsWith(QStringLiteral("OpenPort")) && !calls.at(i).startsWith(QStringLiteral("WriteData")),
                 qPrintable(calls.at(i)));
    QVERIFY(!t.w.findChild<FrmPause *>()->isVisible());
}

void tst_ScriptRunnerForm::pauseWindow()
{
    Window t;
    t.w.show();
    QVERIFY(!t.w.findChild<FrmPause *>()); // made at the first pause, not at start-up
    t.w.FileNameTextBox->setEditText(t.file("pause.dmo", "{PAUSE:2}"));
    struct Seen {
        bool visible;
        QString count;
    };
    QList<Seen> seen;
    FrmPause *pause = nullptr;
    t.pump.onSleep = [&](int ms) {
        QCOMPARE(ms, 1000);
        pause = t.w.findChild<FrmPause *>();
        QVERIFY(pause);
        seen << Seen{pause->isVisible(), pause->Time->text()};
    };
    t.click(t.w.SendScript);
    QCOMPARE(seen.size(), 2);
    QVERIFY(seen.at(0).visible && seen.at(1).visible);
    QCOMPARE(seen.at(0).count, QStringLiteral("2"));
    QCOMPARE(seen.at(1).count, QStringLiteral("1"));
    QVERIFY(!pause->isVisible());
    QCOMPARE(pause->windowTitle(), QStringLiteral("RIZeruzozo Pause"));
    QCOMPARE(pause->Label1->text(), QStringLiteral("Demo Paused"));
    QCOMPARE(heard(pause->Time), QStringLiteral("Demo Paused"));

    // The same window serves the next pause.
    seen.clear();
    t.click(t.w.SendScript);
    QCOMPARE(seen.size(), 2);
    QCOMPARE(t.w.findChildren<FrmPause *>().size(), 1);
    QCOMPARE(t.w.findChild<FrmPause *>(), pause);
}

QTEST_MAIN(tst_ScriptRunnerForm)
#include "tst_script_runner_form.moc"
