// The Receipt Preview and the printer behind it: the built-in printer's panel
// (its buttons change the replies, its lamps and gauge follow and a reader
// hears them, it shows for that port only), Reset Printer, and the info line's
// words about a command waiting for data or a symbol cut at the edge.
#include "preview/PrinterPanel.h"
#include "preview/ReceiptPreview.h"
#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/device/VirtualPrinter.h"
#include "support/Accessible.h"
#include "support/ReceiptText.h"
#include "support/SimProcess.h"
#include "support/MacroFakes.h"
#include "terminal/frmTerminal.h"
#include "terminal/StartOptions.h"

#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QPushButton>
#include <QtTest>

using namespace PrinterBytes;

class TestPrinterPanel : public QObject {
    Q_OBJECT

    FakeOperator op;
    ReplyingPrinter fakePort;
    std::unique_ptr<frmTerminal> w; // goes before the fakes
    ReceiptPreview *preview = nullptr;
    PrinterPanel *panel = nullptr;

    // The real port and event pump; --port as on the command line.
    void start(const QString &port, POSPrinter *given = nullptr)
    {
        if (!w) // else the test's own
            w = std::make_unique<frmTerminal>(given, &op, nullptr);
        w->show();
        applyStartOptions(*w, parseStartOptions({QStringLiteral("rizeruzozo"), QStringLiteral("--port"), port}));
        w->MPreview->trigger();
        preview = w->previewWindow();
        panel = preview->Panel;
    }
    void send(const QString &command, bool autoQuery)
    {
        w->AutoQuery->setChecked(autoQuery);
        w->SendInfo->setEditText(command);
        QTest::mouseClick(w->SendCommand, Qt::LeftButton);
    }
    // Each step: a panel button's name is clicked, "Error/Caption" is picked
    // from the Error menu, anything else is sent as a command.
    void act(const QStringList &steps)
    {
        for (const QString &step : steps) {
            if (auto *button = preview->findChild<QPushButton *>(step)) {
                QVERIFY2(button->isEnabled(), qPrintable(step));
                QTest::mouseClick(button, Qt::LeftButton);
            } else if (step.startsWith(QLatin1String("Error/"))) {
                const QString caption = step.mid(6);
                const QList<QAction *> actions = panel->ErrorMenu->actions();
                const auto found = std::find_if(actions.begin(), actions.end(), [&](QAction *a) {
                    return QString(a->text()).remove(QLatin1Char('&')) == caption;
                });
                QVERIFY2(found != actions.end(), qPrintable(step));
                (*found)->trigger();
            } else {
                send(step, false);
            }
        }
    }

private slots:
    void initTestCase() { isolateSettings(); }
    void init() { settingsStore().clear(); }
    void cleanup()
    {
        w.reset();
        op = FakeOperator();
    }

    // --port virtual names the built-in printer; the panel shows for it alone.
    void panelForTheBuiltInPrinterOnly()
    {
        start(QStringLiteral("virtual"));
        QCOMPARE(w->CurPort->text(), QStringLiteral("Virtual printer (built in)"));
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->printer(), w->ensureBuiltInPrinter());
        for (QPushButton *button : panel->findChildren<QPushButton *>())
            QVERIFY2(!heard(button).isEmpty() && !button->toolTip().isEmpty(), qPrintable(button->objectName()));
        QCOMPARE(heard(panel->CoverButton), QStringLiteral("Cover: closed")); // a toggle that says which
        applyStartOptions(*w, parseStartOptions({QStringLiteral("rizeruzozo"), QStringLiteral("--port"), QStringLiteral("ttyUSB7")}));
        QVERIFY(!panel->isVisible());
        QVERIFY(!panel->printer());
        applyStartOptions(*w, parseStartOptions({QStringLiteral("rizeruzozo"), QStringLiteral("--port"), QStringLiteral("virtual")}));
        QVERIFY(panel->isVisible());

        cleanup();
        start(QStringLiteral("ttyUSB7")); // a preview first made for another port
        QVERIFY(!panel->isVisible());
    }

    // What the buttons do is what the next status request answers.
    void controlsChangeTheReplies_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("shown"); // the reply, and its message where it has one

        QTest::newRow("cover open") << QStringList{"CoverButton"} << "<28><5><8>" << QByteArray("[NAK][BS]\r\n**Cover is Open**\r\n");
        QTest::newRow("cover closed again") << QStringList{"CoverButton", "CoverButton"} << "<28><5><8>"
                                            << QByteArray("[ACK][BS]\r\n**Cover is Closed**\r\n");
        // DLE EOT 4: 0x12, bits 2 and 3 near end, 5 and 6 out.
        QTest::newRow("paper out") << QStringList{"PaperOutButton"} << "[DLE][EOT]<4>" << QByteArray("~");
        QTest::newRow("near end") << QStringList{"NearEndButton"} << "<28><5><3>" << QByteArray("[NAK][ETX]\r\n**Receipt Paper is Low**\r\n");
        QTest::newRow("paper loaded") << QStringList{"PaperOutButton", "LoadPaperButton"} << "<28><5><4>"
                                      << QByteArray("[ACK][EOT]\r\n**Receipt Paper is Present**\r\n");
        QTest::newRow("drawer 2 opened by hand") << QStringList{"Drawer2Button"} << "<28><5><2>"
                                                 << QByteArray("[NAK][STX]\r\n**Cash Drawer 2 Open**\r\n");
        QTest::newRow("drawer 1 closed after a pulse") << QStringList{"[ESC]p<0><5><255>", "Drawer1Button"} << "<28><5><1>"
                                                       << QByteArray("[ACK][SOH]\r\n**Cash Drawer 1 Closed**\r\n");
        // DLE EOT 3: 0x12, bit 3 autocutter.
        QTest::newRow("autocutter error") << QStringList{"Error/Autocutter"} << "[DLE][EOT]<3>" << QByteArray("[SUB]");
        QTest::newRow("recovered") << QStringList{"Error/Unrecoverable", "RecoverButton"} << "[DLE][EOT]<3>"
                                   << QByteArray("[DC2]");
    }

    void controlsChangeTheReplies()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, command);
        QFETCH(QByteArray, shown);
        start(QStringLiteral("virtual"));
        act(steps);
        send(command, true);
        QVERIFY2(w->termText().endsWith("\r\n" + shown), w->termText().constData());
        QVERIFY2(op.asked.isEmpty(), qPrintable(op.texts().join('|')));
    }

    // The lamps and the gauge follow the printer, whoever changed it.
    void lampsAndGaugeFollow_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("left"); // tenths of a metre
        QTest::addColumn<QString>("gauge"); // its text, then what a reader hears
        QTest::addColumn<QString>("errorLamp");
        QTest::addColumn<QString>("paperLamp");

        QTest::newRow("fresh roll") << QStringList{} << 800 << "Paper 80.0 m|80.0 m of 80.0 m left" << "dark" << "dark";
        // 4 x 200 dots fed: 10 cm.
        QTest::newRow("printed") << QStringList{"<27>J<200><27>J<200><27>J<200><27>J<200>"} << 799
                                 << "Paper 79.9 m|79.9 m of 80.0 m left" << "dark" << "dark";
        QTest::newRow("near end") << QStringList{"NearEndButton"} << 50 << "Paper 5.0 m|5.0 m of 80.0 m left, near end"
                                  << "dark" << "lit: paper near end";
        QTest::newRow("paper out") << QStringList{"PaperOutButton"} << 0 << "Paper out|out, roll of 80.0 m"
                                   << "lit: offline (paper out)" << "lit: paper out";
        QTest::newRow("cover open") << QStringList{"CoverButton"} << 800 << "Paper 80.0 m|80.0 m of 80.0 m left"
                                    << "lit: offline (cover open)" << "dark";
        QTest::newRow("error") << QStringList{"Error/Recoverable"} << 800 << "Paper 80.0 m|80.0 m of 80.0 m left"
                               << "lit: offline (recoverable error)" << "dark";
        QTest::newRow("error ended by DLE ENQ 1") << QStringList{"Error/Recoverable", "[DLE][ENQ]<1>"} << 800
                                                  << "Paper 80.0 m|80.0 m of 80.0 m left" << "dark" << "dark";
    }

    void lampsAndGaugeFollow()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, left);
        QFETCH(QString, gauge);
        QFETCH(QString, errorLamp);
        QFETCH(QString, paperLamp);
        start(QStringLiteral("virtual"));
        act(steps);
        // Value displays: named after what they are, what they show is their description.
        QCOMPARE(QStringList({heard(panel->PaperGauge), heard(panel->PowerLamp), heard(panel->ErrorLamp), heard(panel->PaperLamp)}),
                 QStringList({"Paper left", "Power lamp", "Error lamp", "Paper lamp"}));
        QCOMPARE(panel->PaperGauge->value(), left);
        QCOMPARE(panel->PaperGauge->text() + '|' + heard(panel->PaperGauge, QAccessible::Description), gauge);
        QCOMPARE(heard(panel->PowerLamp, QAccessible::Description), QStringLiteral("lit: on"));
        QCOMPARE(heard(panel->ErrorLamp, QAccessible::Description), errorLamp);
        QCOMPARE(heard(panel->PaperLamp, QAccessible::Description), paperLamp);
        QCOMPARE(panel->RecoverButton->isEnabled(), errorLamp.endsWith(QLatin1String("error)")));
    }

    // A command that waits for data is said, and Reset Printer drops it, on
    // the built-in printer and on the preview's own for another port.
    void resetPrinterEndsAWait_data()
    {
        QTest::addColumn<bool>("builtIn");
        QTest::newRow("built-in printer") << true;
        QTest::newRow("another port") << false;
    }

    void resetPrinterEndsAWait()
    {
        QFETCH(bool, builtIn);
        if (builtIn)
            start(QStringLiteral("virtual"));
        else
            start(QStringLiteral("ttyUSB7"), &fakePort);
        QCOMPARE(preview->ResetButton->text(), QStringLiteral("Reset &Printer"));
        send(QStringLiteral("<29>*<130><224>xy"), false); // GS * with 232,960 bytes to come
        QTRY_VERIFY2(preview->PreviewInfo->text().endsWith(QLatin1String(", GS * waiting for 232,958 more bytes")),
                     qPrintable(preview->PreviewInfo->text()));
        QVERIFY(preview->PreviewInfo->toolTip().contains(QLatin1String("GS * waiting for 232,958 more bytes")));
        send(QStringLiteral("Lost<10>"), false); // taken as the image's data
        QTest::mouseClick(preview->ResetButton, Qt::LeftButton);
        QVERIFY2(!preview->PreviewInfo->text().contains(QLatin1String("waiting")), qPrintable(preview->PreviewInfo->text()));
        send(QStringLiteral("Printed<10>"), false);
        QTRY_COMPARE(preview->Paper->receiptCount(), 1);
        QVERIFY2(describeReceipt(preview->Paper->receipt(0)).last().endsWith(QLatin1String(" Printed")),
                 qPrintable(describeReceipt(preview->Paper->receipt(0)).join('|')));
    }

    // A screen reader's every action on a panel button does what a click does
    // (Set Focus aside); the Error button's opens its menu, as a click does.
    void readerActionsWork_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("before");
        for (const char *name : {"NearEndButton", "PaperOutButton", "CoverButton", "Drawer1Button", "FeedButton"})
            QTest::newRow(name) << name << "";
        QTest::newRow("LoadPaperButton") << "LoadPaperButton" << "PaperOutButton";
        QTest::newRow("Drawer2Button, open") << "Drawer2Button" << "Drawer2Button";
        QTest::newRow("RecoverButton") << "RecoverButton" << "Error/Recoverable";
    }

    void readerActionsWork()
    {
        QFETCH(QString, control);
        QFETCH(QString, before);
        start(QStringLiteral("virtual"));
        if (!before.isEmpty())
            act({before});
        auto *button = panel->findChild<QPushButton *>(control);
        QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(button)->actionInterface();
        QStringList names = actions->actionNames();
        QCOMPARE(names.removeAll(QAccessibleActionInterface::setFocusAction()), 1);
        QVERIFY(!names.isEmpty());
        for (const QString &action : names) {
            const QString was = w->ensureBuiltInPrinter()->stateText() + heard(button);
            actions->doAction(action);
            QTRY_VERIFY2(w->ensureBuiltInPrinter()->stateText() + heard(button) != was, qPrintable(action));
        }
    }

    // Told that the printer takes nothing, the operator can still load paper
    // on the panel (clicked through the window system), and OK sends the rest.
    void questionLeavesThePanelUsable()
    {
        FakePump pump; // the retries do not wait
        w = std::make_unique<frmTerminal>(nullptr, nullptr, &pump); // real message boxes
        start(QStringLiteral("virtual"));
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        act({"PaperOutButton"});
        QByteArray played;
        for (int line = 1; line <= 120; ++line)
            played += QStringLiteral("Receipt %1 line %2 ......................\n").arg((line + 39) / 40).arg(line).toLatin1() + (line % 40 ? "" : GS + "V" + n(0));
        QTemporaryDir folder;
        QFile prn(folder.filePath(QStringLiteral("long.prn")));
        QVERIFY(prn.open(QIODevice::WriteOnly) && prn.write(played) == played.size());
        prn.close();
        w->FileNameTextBox->setEditText(prn.fileName());
        QStringList said;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            said << box->text();
            if (said.size() == 1)
                QTest::mouseClick(preview->windowHandle(), Qt::LeftButton, {}, panel->LoadPaperButton->mapTo(preview, QPoint(5, 5)));
            box->button(said.size() == 1 ? QMessageBox::Ok : QMessageBox::Cancel)->click(); // Cancel: still out of paper
        });
        answer.start(10);
        QTest::mouseClick(w->SendScript, Qt::LeftButton);
        QCOMPARE(said, QStringList{"The printer is offline: paper out.\nUnable to output data. Press OK to continue."});
        QTRY_COMPARE(w->printedPaper().finishedTotal(), 3);
        for (int receipt = 0; receipt < 3; ++receipt)
            QVERIFY(describeReceipt(w->printedPaper().finished().at(receipt)).last().contains(QStringLiteral("Receipt %1 line %2 ").arg(receipt + 1).arg(receipt * 40 + 40)));
    }

    // Reset Printer says what waited and is gone, until the paper moves on.
    void resetSaysWhatItDropped()
    {
        start(QStringLiteral("virtual"));
        act({"PaperOutButton", "Text<10>", "ResetButton"});
        QCOMPARE(preview->PreviewInfo->text(), QStringLiteral("0 receipts, open receipt 0.0 mm, no unknown commands, 5 waiting bytes dropped"));
        act({"LoadPaperButton", "More<10>"});
        QTRY_VERIFY(!preview->PreviewInfo->text().contains(QLatin1String("dropped")));
    }

    // Offline, the built-in printer keeps what comes: the info line says so.
    void bytesHeldOfflineAreSaid()
    {
        start(QStringLiteral("virtual"));
        act({"PaperOutButton", "Text<10>"});
        QTRY_VERIFY2(preview->PreviewInfo->text().endsWith(QLatin1String(", 5 bytes waiting: the printer is offline (paper out)")),
                     qPrintable(preview->PreviewInfo->text()));
        act({"LoadPaperButton"});
        QTRY_COMPARE(preview->PreviewInfo->text(), QStringLiteral("1 receipt, receipt 1 shown, open receipt 3.8 mm, no unknown commands"));
    }

    // The paper's width: 80 mm with nothing stored, 58 mm chosen with a key, drawn so and kept.
    void paperWidthKept()
    {
        start(QStringLiteral("virtual"));
        QCOMPARE(panel->PaperWidthBox->currentText(), QStringLiteral("80 mm"));
        QCOMPARE(heard(panel->PaperWidthBox), QStringLiteral("Paper width"));
        QTest::keyClick(panel->PaperWidthBox, Qt::Key_Down);
        send(QStringLiteral("A<10>"), false);
        QTRY_COMPARE(preview->Paper->receiptCount(), 1);
        QCOMPARE(preview->Paper->receiptRect(0).width(), qRound(384 * preview->Paper->scale()));
        cleanup();
        start(QStringLiteral("virtual"));
        QCOMPARE(w->printedPaper().paperWidth(), Paper::kNarrowWidthDots);
    }

    // A symbol wider than the paper is named on the info line, every one in its tool tip.
    void symbolCutAtTheEdge()
    {
        start(QStringLiteral("ttyUSB7"), &fakePort);
        fakePort.OpenPort(QStringLiteral("ttyUSB7"), QString());
        const QByteArray qr = qrFunction("1C" + n(8)) + qrFunction("1Q0");
        const QByteArray wide = qrFunction("1P0" + QByteArray(3000, '7')) + qr;
        const QByteArray wider = qrFunction("1P0" + QByteArray(4000, '7')) + qr;
        fakePort.WriteData(wide + wider, long(wide.size() + wider.size()));
        QTRY_VERIFY2(preview->PreviewInfo->text().endsWith(QLatin1String(", QR code 1096 dots wide, cut at 576: it will not scan")),
                     qPrintable(preview->PreviewInfo->text()));
        const QString tip = preview->PreviewInfo->toolTip();
        QVERIFY2(tip.endsWith(QLatin1String("cut at its edge:\nQR code 936 dots wide, cut at 576: it will not scan\n"
                                            "QR code 1096 dots wide, cut at 576: it will not scan")),
                 qPrintable(tip));
        QTest::mouseClick(preview->ClearButton, Qt::LeftButton);
        QVERIFY(!preview->PreviewInfo->text().contains(QLatin1String("QR code")));
    }
};

QTEST_MAIN(TestPrinterPanel)
#include "tst_printer_panel.moc"
