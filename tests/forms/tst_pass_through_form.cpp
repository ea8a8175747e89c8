// The window between a point-of-sale program and its printer (the built-in
// one): where it serves is set in Port > Settings and kept, a place it cannot
// serve on is refused with the reason, the window's own operations are off
// while a program is connected, and what passes shows in both directions.
#include "config/ConfigScrn.h"
#include "printer/ReceiptInterpreter.h"
#include "session/TrafficLog.h"
#include "support/Accessible.h"
#include "support/Fakes.h"
#include "support/PtyEnd.h"
#include "support/ReceiptText.h"
#include "support/SimProcess.h"
#include "terminal/PassThroughWatch.h"
#include "terminal/StartOptions.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A TCP port nobody listens on just now.
quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString tcpAt(quint16 port) { return QStringLiteral("tcp://127.0.0.1:%1").arg(port); }

} // namespace

class tst_PassThroughForm : public QObject {
    Q_OBJECT

    FakeOperator op;
    std::unique_ptr<frmTerminal> w; // the real port (the built-in printer) and event pump

    void start(const QStringList &args = {})
    {
        w = std::make_unique<frmTerminal>(nullptr, &op, nullptr);
        w->AutoQuery->setChecked(false);
        w->show();
        applyStartOptions(*w, parseStartOptions(QStringList{"rizeruzozo", "--port", "virtual"} + args));
    }
    ConfigScrn *openSettings()
    {
        w->MSettings->trigger();
        return w->configScrn();
    }
    QList<QWidget *> ownOperations() const
    {
        return {w->SendCommand, w->LoopButton, w->Getresp, w->SendScript, w->Indata};
    }

private slots:
    void initTestCase() { isolateSettings(); }
    void init() { settingsStore().clear(); }
    void cleanup() { w.reset(); }

    void keptInTheSettings();
    void refusedWithTheReason_data();
    void refusedWithTheReason();
    void ownOperationsOffWhileConnected();
    void bothDirectionsShown_data();
    void bothDirectionsShown();
    void ownCommandsWhileWaiting();
};

// Set in the dialog, served at once, saved at exit and served again at the
// next start; settings of a version without it load with it off.
void tst_PassThroughForm::keptInTheSettings()
{
    settingsStore().setValue(QStringLiteral("Settings/BaudRate"), QStringLiteral("9600"));
    start();
    ConfigScrn *dialog = openSettings();
    QCOMPARE(heard(dialog->ServeOn), QStringLiteral("Serve a point-of-sale program on"));
    QCOMPARE(dialog->ServeOn->text(), QString());
    QVERIFY(!w->passThrough().isServing());
    QCOMPARE(w->session().link.vars.CommBaud, QStringLiteral("9600"));

    const QString listen = tcpAt(freePort());
    dialog->ServeOn->setText(listen);
    QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(w->passThrough().isServing());
    QVERIFY2(w->Label1->text().startsWith(QStringLiteral("waiting for a point-of-sale program on")),
             qPrintable(w->Label1->text()));

    w->MFileExit->trigger();
    w.reset();
    QCOMPARE(settingsStore().value(QStringLiteral("Settings/PassThrough")).toString(), listen);
    start();
    QVERIFY(w->passThrough().isServing());
    QCOMPARE(openSettings()->ServeOn->text(), listen);
}

void tst_PassThroughForm::refusedWithTheReason_data()
{
    QTest::addColumn<QString>("listen"); // %1: a TCP port another program holds
    QTest::newRow("not a port number") << "tcp://127.0.0.1:port";
    QTest::newRow("port out of range") << "tcp://127.0.0.1:70000";
    QTest::newRow("no port") << "tcp://127.0.0.1";
    QTest::newRow("a folder") << "/tmp/";
    QTest::newRow("held by another program") << "tcp://127.0.0.1:%1";
}

// A place that cannot be served on keeps the dialog open with the reason;
// the text stays as typed and the place served before is served on.
void tst_PassThroughForm::refusedWithTheReason()
{
    QFETCH(QString, listen);
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::LocalHost, 0));
    listen.replace(QLatin1String("%1"), QString::number(other.serverPort()));
    const QString before = tcpAt(freePort());
    start({"--pass-through", before});
    ConfigScrn *dialog = openSettings();
    dialog->ServeOn->setText(listen);
    QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->ServeOn->text(), listen);
    QVERIFY(dialog->ServeProblem->isVisible());
    const QString why = dialog->ServeProblem->text();
    QVERIFY2(why.startsWith(QStringLiteral("Cannot serve a point-of-sale program - %1: ").arg(listen))
                 && why.size() > listen.size() + 45,
             qPrintable(why));
    QCOMPARE(heard(dialog->ServeOn, QAccessible::Description), why);
    QVERIFY(w->passThrough().isServing()); // on the place it served before
    QCOMPARE(w->passThrough().listen(), before);

    dialog->ServeOn->clear(); // corrected: off
    QTest::keyClicks(dialog->ServeOn, QStringLiteral(" "));
    QVERIFY(!dialog->ServeProblem->isVisible());
    QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(!w->passThrough().isServing());
}

// A program connected: the window's own operations are off, also when asked
// directly, and the status line says who and why; all back when it leaves.
void tst_PassThroughForm::ownOperationsOffWhileConnected()
{
    const QString listen = tcpAt(freePort());
    start({"--pass-through", listen});
    QVERIFY(w->passThrough().isServing());
    for (QWidget *control : ownOperations())
        QVERIFY(control->isEnabled());

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, QUrl(listen).port());
    QVERIFY(client.waitForConnected(5000));
    QTRY_VERIFY_WITH_TIMEOUT(w->passThrough().isConnected(), 5000);
    for (QWidget *control : ownOperations())
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    QVERIFY(!w->DoMacros->isEnabled());
    const QString status = w->Label1->text();
    QVERIFY2(status.startsWith(QStringLiteral("point-of-sale program connected from 127.0.0.1:%1")
                                   .arg(client.localPort()))
                 && status.endsWith(QStringLiteral(" - commands, scripts, macros and typing are off until it "
                                                   "disconnects")),
             qPrintable(status));
    QCOMPARE(heard(w->Label1, QAccessible::Description), status);
    QCOMPARE(heard(w->SendCommand), QStringLiteral("Send Command")); // heard by its caption, and as off
    QVERIFY(QAccessible::queryAccessibleInterface(w->SendCommand)->state().disabled);

    const QByteArray shown = w->termText();
    w->SendInfo->setEditText(QStringLiteral("ABC"));
    w->SendCommand_Click(); // a shortcut or a script's step would land here
    QCOMPARE(w->termText(), shown);

    client.disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(!w->passThrough().isConnected(), 5000);
    for (QWidget *control : ownOperations())
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    QVERIFY(w->DoMacros->isEnabled());
    QVERIFY2(w->Label1->text().startsWith(QStringLiteral("waiting for a point-of-sale program on")),
             qPrintable(w->Label1->text()));
}

void tst_PassThroughForm::bothDirectionsShown_data()
{
    QTest::addColumn<bool>("pty");
    QTest::addColumn<QString>("mode"); // the display mode's button
    QTest::addColumn<QByteArray>("shown");
    // Text for the paper, then FS ENQ 8: is the cover open? ACK 8: no.
    const QByteArray toPrinter = "\r\nto printer: Hi[LF][FS][ENQ][BS]";
    QTest::newRow("TCP, Normal") << false << "Option3"
                                 << toPrinter + "\r\nfrom printer: [ACK][BS]\r\n**Cover is Closed**";
    QTest::newRow("TCP, Hex") << false << "Option1" << toPrinter + "\r\nfrom printer: <6><8>\r\n**Cover is Closed**";
    QTest::newRow("pty, Normal") << true << "Option3"
                                 << toPrinter + "\r\nfrom printer: [ACK][BS]\r\n**Cover is Closed**";
}

// Both directions, marked, in the display and the log alike; the client gets
// the printer's reply unchanged and the paper has what the program printed.
void tst_PassThroughForm::bothDirectionsShown()
{
    QFETCH(bool, pty);
    QFETCH(QString, mode);
    QFETCH(QByteArray, shown);
    QTemporaryDir dir;
    const QString listen = pty ? dir.filePath(QStringLiteral("pos-printer")) : tcpAt(freePort());
    start({"--pass-through", listen});
    QTest::mouseClick(w->findChild<QRadioButton *>(mode), Qt::LeftButton);
    QCOMPARE(w->trafficLog().openForAppend(dir.filePath(QStringLiteral("traffic.log"))), QString());
    const qsizetype before = w->termText().size();

    const QByteArray sent("Hi\n\x1C\x05\x08");
    QByteArray answered;
    PtyEnd line;
    QTcpSocket client;
    if (pty) {
        QVERIFY(line.open(listen));
        QCOMPARE(line.write(sent), sent.size());
        QTRY_VERIFY_WITH_TIMEOUT((answered += line.readAll()).size() >= 2, 5000);
    } else {
        client.connectToHost(QHostAddress::LocalHost, QUrl(listen).port());
        QVERIFY(client.waitForConnected(5000));
        client.write(sent);
        QTRY_VERIFY_WITH_TIMEOUT((answered += client.readAll()).size() >= 2, 5000);
    }
    QCOMPARE(answered, QByteArray("\x06\x08"));
    QTRY_COMPARE_WITH_TIMEOUT(w->termText().mid(before), shown, 5000);
    w->trafficLog().MCloseLog_Click();
    QFile log(dir.filePath(QStringLiteral("traffic.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), shown);
    QVERIFY2(describeReceipt(w->paper().openReceipt()).join(QLatin1Char('\n')).contains(QStringLiteral(" Hi")),
             qPrintable(describeReceipt(w->paper().openReceipt()).join(QLatin1Char('\n'))));
}

// Serving, with no program connected: the window's own command and its reply
// are the window's, shown as before and not as passing traffic.
void tst_PassThroughForm::ownCommandsWhileWaiting()
{
    start({"--pass-through", tcpAt(freePort())});
    w->AutoQuery->setChecked(true);
    w->SendInfo->setEditText(QStringLiteral("[FS][ENQ]<8>"));
    QTest::mouseClick(w->SendCommand, Qt::LeftButton);
    QVERIFY2(w->termText().endsWith("[FS][ENQ][BS]\r\n[ACK][BS]\r\n**Cover is Closed**\r\n"), w->termText().constData());
    QVERIFY(!w->termText().contains(PassThroughText::kAnsweredMark));
}

QTEST_MAIN(tst_PassThroughForm)
#include "tst_pass_through_form.moc"
