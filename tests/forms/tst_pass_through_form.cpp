// The window between a point-of-sale program and its built-in printer, as
// the operator sets it up, works beside it, and sees and logs what passes.
#include "config/ConfigScrn.h"
#include "printer/device/VirtualPrinter.h"
#include "printer/interpreter/ReceiptInterpreter.h"
#include "session/TrafficLog.h"
#include "support/Accessible.h"
#include "support/Fakes.h"
#include "support/ReceiptText.h"
#include "support/SimProcess.h"
#include "terminal/PassThroughWatch.h"
#include "terminal/StartOptions.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

static QString freeTcp()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return QStringLiteral("tcp://127.0.0.1:%1").arg(probe.serverPort());
}

class tst_PassThroughForm : public QObject {
    Q_OBJECT
    FakeOperator op;
    std::unique_ptr<frmTerminal> w; // the real port (the built-in printer) and event pump

    void start(const QStringList &args = {})
    {
        w = std::make_unique<frmTerminal>(nullptr, &op, nullptr);
        w->show();
        applyStartOptions(*w, parseStartOptions(QStringList{"rizeruzozo", "--port", "virtual"} + args));
    }
    ConfigScrn *settings(const QString &listen)
    {
        w->MSettings->trigger();
        w->configScrn()->ServeOn->setText(listen);
        QTest::mouseClick(w->configScrn()->OKButton, Qt::LeftButton);
        return w->configScrn();
    }

private slots:
    void initTestCase() { isolateSettings(); }
    void init() { settingsStore().clear(); }
    void cleanup() { w.reset(); }

    // Served at once, saved at exit, served again at the next start.
    void keptInTheSettings()
    {
        start();
        QVERIFY(!w->passThrough().isServing()); // settings without it: off
        const QString listen = freeTcp();
        QVERIFY(!settings(listen)->isVisible());
        QVERIFY2(w->Label1->text().startsWith("waiting for a point-of-sale program on"), qPrintable(w->Label1->text()));
        w->MFileExit->trigger();
        start();
        QVERIFY(w->passThrough().isServing());
        QCOMPARE(settings(listen)->ServeOn->text(), listen);
    }

    void refusedWithTheReason_data()
    {
        QTest::addColumn<QString>("listen"); // %1: a TCP port another program holds
        for (const char *bad : {"tcp://127.0.0.1:port", "tcp://127.0.0.1", "/tmp/", "tcp://127.0.0.1:%1"})
            QTest::newRow(bad) << QString::fromLatin1(bad);
    }
    // The dialog stays open with the reason, heard with the box; the text
    // stays as typed, and the place served before is served on.
    void refusedWithTheReason()
    {
        QFETCH(QString, listen);
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::LocalHost, 0));
        listen.replace(QLatin1String("%1"), QString::number(other.serverPort()));
        const QString before = freeTcp();
        start({"--pass-through", before});
        ConfigScrn *dialog = settings(listen);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->ServeOn->text(), listen);
        const QString why = dialog->ServeProblem->text();
        QVERIFY2(why.startsWith("Cannot serve a point-of-sale program - " + listen + ": ") && why.size() > listen.size() + 45,
                 qPrintable(why));
        QCOMPARE(heard(dialog->ServeOn), QStringLiteral("Serve a point-of-sale program on"));
        QCOMPARE(heard(dialog->ServeOn, QAccessible::Description), why);
        QVERIFY(w->passThrough().isServing() && w->passThrough().listen() == before);
        QTest::mouseClick(dialog->CancelButton, Qt::LeftButton); // the status line says what is served
        QCOMPARE(w->Label1->text(), "waiting for a point-of-sale program on " + before);
        QVERIFY(!settings(QString())->isVisible()); // emptied: off
        QVERIFY(!w->passThrough().isServing());
    }

    // While a program is connected the window's operations are off, also when
    // called, and the status line says who and why; all back once it leaves.
    void ownOperationsOffWhileConnected()
    {
        const QString listen = freeTcp();
        start({"--pass-through", listen});
        auto ownOperations = [this](bool on) {
            for (QWidget *c : std::initializer_list<QWidget *>{w->SendCommand, w->LoopButton, w->Getresp, w->SendScript, w->Indata})
                QVERIFY2(c->isEnabled() == on, qPrintable(c->objectName()));
            QCOMPARE(w->DoMacros->isEnabled(), on);
        };
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, QUrl(listen).port());
        QTRY_VERIFY_WITH_TIMEOUT(w->passThrough().isConnected(), 5000);
        ownOperations(false);
        const QString status = w->Label1->text();
        QCOMPARE(status, QStringLiteral("point-of-sale program connected from 127.0.0.1:%1 - commands, scripts, macros "
                                        "and typing are off until it disconnects").arg(client.localPort()));
        QCOMPARE(heard(w->Label1, QAccessible::Description), status);
        QVERIFY(QAccessible::queryAccessibleInterface(w->SendCommand)->state().disabled);
        const QByteArray shown = w->termText();
        w->SendInfo->setEditText(QStringLiteral("ABC"));
        w->SendCommand_Click(); // as a shortcut or a script's step would
        QCOMPARE(w->termText(), shown);
        client.disconnectFromHost();
        QTRY_VERIFY_WITH_TIMEOUT(!w->passThrough().isConnected(), 5000);
        ownOperations(true);
        QCOMPARE(w->Label1->text(), "waiting for a point-of-sale program on " + listen);
    }

    void holdSaidAllAlong_data()
    {
        QTest::addColumn<QString>("said"); // %1: the simulator's link; without it, the built-in printer
        QTest::newRow("paper out, built in") << "The printer is offline: paper out. The point-of-sale program waits.";
        QTest::newRow("printer lost, pty") << "%1: No such file or directory - trying again; the point-of-sale program waits.";
    }
    // Why the program waits, in marlix-run's words, for as long as it waits (the port retried meanwhile).
    void holdSaidAllAlong()
    {
        QFETCH(QString, said);
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttySim")), listen = freeTcp();
        SimProcess sim({QStringLiteral("--link"), link});
        const bool lost = said.contains(QLatin1String("%1"));
        if (lost)
            START_SIM_OR_SKIP(sim);
        start({"--pass-through", listen, "--port", lost ? link : QStringLiteral("virtual")});
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, QUrl(listen).port());
        QTRY_VERIFY_WITH_TIMEOUT(w->passThrough().isConnected(), 5000);
        lost ? sim.stop() : w->ensureBuiltInPrinter()->paperOut();
        client.write(QByteArray(1 << 16, 'x'));
        const QString status = said.replace("%1", link) + " Commands, scripts, macros and typing are off until it disconnects.";
        QTRY_COMPARE_WITH_TIMEOUT(w->Label1->text(), status, 5000);
        const QDeadlineTimer retried(1100); // every 50 ms, a lost printer every 500 ms
        QTRY_VERIFY_WITH_TIMEOUT(retried.hasExpired() || w->Label1->text() != status, 3000);
        QCOMPARE(w->Label1->text(), status);
    }

    void bothDirectionsShown_data()
    {
        QTest::addColumn<QString>("mode"); // the display mode's button
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("Normal") << "Option3" << QByteArray("[ACK][BS]");
        QTest::newRow("Hex") << "Option1" << QByteArray("<6><8>");
    }
    // Marked, in the display and the log alike; the client gets the reply
    // unchanged, and the paper has what the program printed.
    void bothDirectionsShown()
    {
        QFETCH(QString, mode);
        QFETCH(QByteArray, answer);
        QTemporaryDir dir;
        const QString listen = freeTcp();
        start({"--pass-through", listen});
        w->findChild<QRadioButton *>(mode)->click();
        QCOMPARE(w->trafficLog().openForAppend(dir.filePath(QStringLiteral("traffic.log"))), QString());
        const qsizetype before = w->termText().size();
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, QUrl(listen).port());
        client.write("Hi\n\x1C\x05\x08"); // then FS ENQ 8: is the cover open?
        QByteArray answered;
        QTRY_VERIFY_WITH_TIMEOUT((answered += client.readAll()).size() >= 2, 5000);
        QCOMPARE(answered, QByteArray("\x06\x08"));
        const QByteArray shown = "\r\nto printer: Hi[LF][FS][ENQ][BS]\r\nfrom printer: " + answer + "\r\n**Cover is Closed**";
        QTRY_COMPARE_WITH_TIMEOUT(w->termText().mid(before), shown, 5000);
        w->trafficLog().MCloseLog_Click();
        QFile log(dir.filePath(QStringLiteral("traffic.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), shown);
        QVERIFY(describeReceipt(w->printedPaper().openReceipt()).join('\n').contains(QStringLiteral(" Hi")));
    }
};

QTEST_MAIN(tst_PassThroughForm)
#include "tst_pass_through_form.moc"
