// The Receipt Preview window against the port fake: one instance, live while a
// script plays, every source of bytes, Clear, zoom, Save through the file
// dialog, the info line, what a screen reader hears and the settings it keeps.
#include "macros/frmMacro.h"
#include "preview/CommandPanel.h"
#include "preview/EventMark.h"
#include "session/PaperFeed.h"
#include "preview/ReceiptPreview.h"
#include "printer/characters/Characters.h"
#include "printer/paper/CommandTrace.h"
#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/render/ReceiptRenderer.h"
#include "support/Accessible.h"
#include "support/MacroFakes.h"
#include "support/ReceiptText.h"
#include "support/SimProcess.h"
#include "support/WindowRig.h"
#include "session/Session.h"
#include "terminal/KeyInput.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QtTest>

using namespace PrinterBytes;

namespace {
const QByteArray kCut = GS + "V" + n(0);

// Two lines of text and a small raster image: enough ink to compare dot for dot.
QByteArray sampleReceipt(const QByteArray &title)
{
    return ESC + "a" + n(1) + ESC + "!" + n(0x38) + title + ESC + "!" + n(0) + "\n" + ESC + "a" + n(0)
        + "Coffee            2.50\n" + GS + "v0" + n(0) + word(2) + word(3) + QByteArray::fromHex("F00F8001FFFF") + "\n";
}

FileChoice fileChoice(const QString &path)
{
    return FileChoice{path, QFileInfo(path).fileName()};
}

QImage rgb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}
} // namespace

class TestReceiptPreview : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowRig> rig;
    ReplyingPrinter *port = nullptr;
    FakeOperator *op = nullptr;
    frmTerminal *w = nullptr;
    QTemporaryDir dir;

    ReceiptPreview *open()
    {
        w->MPreview->trigger();
        return w->previewWindow();
    }
    // Straight through the port, as any write of the terminal goes.
    void write(const QByteArray &bytes) { port->WriteData(bytes, long(bytes.size())); }
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path;
    }

private slots:
    void initTestCase() { isolateSettings(); }
    void init()
    {
        settingsStore().clear();
        rig = std::make_unique<WindowRig>();
        port = &rig->port;
        op = &rig->op;
        w = rig->window.get();
    }
    void cleanup() { rig.reset(); }

    void menuItemHasNoControlShortcut()
    {
        QCOMPARE(w->MPreview->objectName(), QStringLiteral("MPreview"));
        QCOMPARE(w->MPreview->text(), QStringLiteral("&Receipt Preview"));
        // Ctrl+letter is a byte in the Interactive box, never a menu command.
        QVERIFY(w->MPreview->shortcut().isEmpty());
        QVERIFY(w->MPreview->shortcuts().isEmpty());
    }

    void oneModelessInstance()
    {
        QVERIFY(!w->previewWindow());
        ReceiptPreview *first = open();
        QVERIFY(first && first->isVisible() && first->isWindow());
        QCOMPARE(first->windowTitle(), QStringLiteral("Receipt Preview"));
        QVERIFY(!first->isModal());
        QVERIFY(w->isEnabled());
        QCOMPARE(open(), first);
        QCOMPARE(w->findChildren<ReceiptPreview *>().size(), 1);

        QTest::keyClick(first, Qt::Key_Escape);
        QVERIFY(!first->isVisible());
        QCOMPARE(open(), first);
        QVERIFY(first->isVisible());
        first->close();
        QVERIFY(!first->isVisible());
        QCOMPARE(open(), first);
        QCOMPARE(w->findChildren<ReceiptPreview *>().size(), 1);
    }

    // Sending only keeps the bytes for the paper; the window opens on what was sent.
    void opensOnWhatWasAlreadySent()
    {
        write("One\n" + kCut + "Two\n");
        QCOMPARE(w->paperFeed().waiting(), 11);
        QVERIFY(!w->paperFeed().started());
        ReceiptPreview *preview = open();
        QCOMPARE(preview->Paper->receiptCount(), 2);
        QCOMPARE(preview->PreviewInfo->text(),
                 QStringLiteral("2 receipts, receipt 2 shown, open receipt 3.8 mm, no unknown commands"));
        preview->close();
        write(kCut + "Three\n");
        preview = open();
        QCOMPARE(preview->Paper->receiptCount(), 3);
        QCOMPARE(preview->Paper->receipt(2).lines.value(0).runs.value(0).text, QByteArray("Three"));
    }

    // Beeps and drawer pulses print nothing: each is a mark beside the roll,
    // at the line where it came, that a screen reader names and describes.
    void eventsMarkedBesideThePaper()
    {
        ReceiptPreview *preview = open();
        preview->Paper->setZoom(PaperView::Zoom::Actual);
        write("A\n\x07" "B\n" + ESC + "p" + n(1) + n(25) + n(250) + "C\n");
        QTRY_COMPARE(preview->Paper->visibleMarks().size(), 2);
        const QList<const EventMark *> marks = preview->Paper->visibleMarks();
        QCOMPARE(marks[0]->accessibleName(), QStringLiteral("Beep"));
        QCOMPARE(marks[0]->accessibleDescription(), QStringLiteral("at 3.8 mm of receipt 1, bytes 2-2"));
        QCOMPARE(marks[0]->toolTip(), QStringLiteral("Beep at 3.8 mm of receipt 1, bytes 2-2: nothing printed"));
        QCOMPARE(marks[1]->accessibleName(), QStringLiteral("Drawer 2 pulse"));
        const QRect paper = preview->Paper->receiptRect(0).translated(-preview->Paper->horizontalScrollBar()->value(),
                                                                      -preview->Paper->verticalScrollBar()->value());
        for (const EventMark *mark : marks) {
            QVERIFY(mark->geometry().left() > paper.right()); // beside the roll, never on it
            QVERIFY(!mark->geometry().intersects(paper));
        }
        // At the print position where each came: 30 and 60 dots down, at 100 %.
        QCOMPARE(marks[0]->y() + EventMark::kSize / 2 - paper.top(), 30);
        QCOMPARE(marks[1]->y() + EventMark::kSize / 2 - paper.top(), 60);
        // What a screen reader hears of it, and the mark is in the window's tree.
        QCOMPARE(heard(const_cast<EventMark *>(marks[1]), QAccessible::Description),
                 QStringLiteral("at 7.5 mm of receipt 1, bytes 5-9"));
        QAccessibleInterface *paperFace = QAccessible::queryAccessibleInterface(preview->Paper->viewport());
        QVERIFY(paperFace && paperFace->indexOfChild(QAccessible::queryAccessibleInterface(const_cast<EventMark *>(marks[0]))) >= 0);
    }

    // Every source of bytes reaches the paper, exactly the bytes the port took.
    void everySource_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("printsHi");
        QTest::newRow("command") << "command" << true;
        QTest::newRow("keys") << "keys" << true;
        QTest::newRow("script") << "script" << true;
        QTest::newRow("raw file") << "raw" << true;
        QTest::newRow("GRAPHIC") << "graphic" << true;
        QTest::newRow("macro command") << "macro" << false;
    }

    void everySource()
    {
        QFETCH(QString, source);
        QFETCH(bool, printsHi);
        ReceiptPreview *preview = open();
        if (source == QLatin1String("command")) {
            w->SendInfo->setEditText(QStringLiteral("Hi<10>"));
            w->SendCommand_Click();
        } else if (source == QLatin1String("keys")) {
            for (const int key : {int('H'), int('i'), 13})
                w->keyInput().Indata_KeyPress(key);
        } else if (source == QLatin1String("script") || source == QLatin1String("raw")
                   || source == QLatin1String("graphic")) {
            const QString raw = file(QStringLiteral("hi.prn"), "Hi\n");
            const QString name = source == QLatin1String("raw") ? raw
                : file(QStringLiteral("hi.dmo"), source == QLatin1String("script") ? "Hi\\n" : "{GRAPHIC:hi.prn}");
            w->FileNameTextBox->setEditText(name);
            w->SendScript_Click();
        } else {
            port->reply("\x05\x15", "CMD MX2600 V1.00");
            w->DoMacros->trigger();
            QVERIFY(w->macroWindow());
            w->macroWindow()->MacroName->setText(QStringLiteral("Hi"));
            w->macroWindow()->MacroPlay_Click();
            QVERIFY(port->written.contains(QByteArray("\x1B\x1FrHi\0", 5)));
        }
        QVERIFY2(op->asked.isEmpty(), qPrintable(op->texts().join('|')));
        QVERIFY(!port->written.isEmpty());
        QCOMPARE(w->printedPaper().offset(), qint64(port->written.size()));
        const QStringList drawn = describeReceipt(w->printedPaper().withPendingLine());
        QCOMPARE(drawn.contains(QStringLiteral("text 0 0 Hi")), printsHi);
        if (printsHi)
            QTRY_COMPARE(preview->Paper->receiptCount(), 1);
    }

    // While a script plays, the window draws what has been sent so far.
    void liveWhileAScriptPlays()
    {
        ReceiptPreview *preview = open();
        const QString name = file(QStringLiteral("two.dmo"), "First\\n[GS]V<0>Second\\n[GS]V<0>Third\\nand more\\nto come\\n");
        const auto cutShown = [preview] {
            int cut = 0;
            for (int i = 0; i < preview->Paper->receiptCount(); ++i)
                cut += preview->Paper->receipt(i).cut != CutKind::None;
            return cut;
        };
        QList<int> seen; // cut receipts on screen, each time another cut has gone out
        rig->pump.onServe = [&] {
            const int cuts = int(port->written.count(kCut));
            if (cuts > seen.size()) {
                QTRY_COMPARE_WITH_TIMEOUT(cutShown(), cuts, 3000);
                seen << cutShown();
            }
        };
        w->FileNameTextBox->setEditText(name);
        w->SendScript_Click();
        rig->pump.onServe = nullptr;
        QCOMPARE(seen, (QList<int>{1, 2}));
        QTRY_COMPARE(preview->Paper->receiptCount(), 3);
        QCOMPARE(preview->PreviewInfo->text(),
                 QStringLiteral("3 receipts, receipt 3 shown, open receipt 11.3 mm, no unknown commands"));
    }

    // Writes only feed the paper; the drawing comes on the timer, once for
    // the whole burst, and the last 50 receipts are kept.
    void aBurstIsDrawnOnceOnTheTimer()
    {
        ReceiptPreview *preview = open();
        QCOMPARE(preview->Paper->receiptCount(), 0);
        for (int i = 1; i <= 120; ++i)
            write(QByteArray::number(i) + "\n" + kCut);
        QCOMPARE(preview->Paper->receiptCount(), 0);
        QTRY_COMPARE(preview->Paper->receiptCount(), 50);
        QCOMPARE(preview->Paper->receipt(0).number, 71);
        QCOMPARE(preview->PreviewInfo->text(),
                 QStringLiteral("120 receipts (the last 50 kept), receipt 120 shown, open receipt 0.0 mm, no unknown commands"));
    }

    void unknownCommandsInTheToolTip()
    {
        ReceiptPreview *preview = open();
        QCOMPARE(preview->PreviewInfo->toolTip(), QStringLiteral("Every command sent so far is drawn."));
        write("A" + ESC + "U" + n(1) + "B" + GS + "T" + n(1) + ESC + "U" + n(0) + "\n");
        QTRY_VERIFY(preview->PreviewInfo->text().endsWith(QLatin1String(", 2 unknown commands")));
        const QString tip = preview->PreviewInfo->toolTip();
        QVERIFY2(tip.contains(QLatin1String("\n1B 55: 2 times, first at byte 1")), qPrintable(tip));
        QVERIFY2(tip.contains(QLatin1String("\n1D 54: 1 time, first at byte 5")), qPrintable(tip));
    }

    // Clear starts a fresh roll; the printer's modes and a command cut in two stay.
    void clearKeepsThePrinter()
    {
        ReceiptPreview *preview = open();
        write("One\n" + kCut + ESC + "a" + n(2) + "Two" + ESC + "U" + n(1) + "\n" + ESC + "!");
        QTRY_COMPARE(preview->Paper->receiptCount(), 2);
        QTest::mouseClick(preview->ClearButton, Qt::LeftButton);
        QCOMPARE(preview->Paper->receiptCount(), 0);
        // The command cut in two is said: it waits for its last byte.
        QCOMPARE(preview->PreviewInfo->text(), QStringLiteral("0 receipts, open receipt 0.0 mm, no unknown commands, "
                                                              "ESC ! waiting for the rest of the command"));
        QVERIFY(!preview->SaveButton->isEnabled());
        QCOMPARE(heard(preview->Paper, QAccessible::Description), QStringLiteral("0 receipts, the open receipt 0.0 mm long"));

        write(n(0x20) + "Wide\n");
        QTRY_COMPARE(preview->Paper->receiptCount(), 1);
        QCOMPARE(describeReceipt(preview->Paper->receipt(0)),
                 (QStringList{"receipt 1 open 30", "line 0 30", "text 480 0 Wide 2x1"}));
        QVERIFY(preview->SaveButton->isEnabled());
    }

    // The receipt in view, for the info line and Save alike: the one the
    // selected Commands row drew, else the one at the middle of the view,
    // which at the top of the roll is the oldest kept and at its end the newest.
    void receiptInView_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("row"); // the receipt whose row is selected; 0: none
        QTest::addColumn<int>("number");
        QTest::newRow("fit to width, Home") << 0 << int(Qt::Key_Home) << 0 << 21;
        QTest::newRow("fit to width, End") << 0 << int(Qt::Key_End) << 0 << 70;
        QTest::newRow("200 %, Home, its row") << 2 << int(Qt::Key_Home) << 21 << 21;
        QTest::newRow("200 %, End, an earlier row") << 2 << int(Qt::Key_End) << 69 << 69;
    }

    void receiptInView()
    {
        QFETCH(int, zoom);
        QFETCH(int, key);
        QFETCH(int, row);
        QFETCH(int, number);
        ReceiptPreview *preview = open();
        preview->resize(480, 500);
        for (int i = 1; i <= 70; ++i)
            write("Receipt " + QByteArray::number(i) + "\n" + kCut);
        QTRY_COMPARE(preview->Paper->receiptCount(), 50);
        preview->ZoomBox->setCurrentIndex(zoom);
        if (row > 0) {
            preview->CommandsCheck->setChecked(true);
            const QByteArray text = "Receipt " + QByteArray::number(row);
            for (const TraceEntry &entry : w->printedPaper().trace()->entries()) {
                if (entry.bytes == text)
                    QVERIFY(preview->Commands->selectSequence(entry.sequence));
            }
            QVERIFY(preview->Commands->currentSequence());
        }
        QTest::keyClick(preview->Paper, Qt::Key(key));
        const QString shown = QStringLiteral("receipt %1 shown").arg(number);
        QVERIFY2(preview->PreviewInfo->text().contains(shown), qPrintable(preview->PreviewInfo->text()));
        op->files.enqueue(std::nullopt);
        QTest::mouseClick(preview->SaveButton, Qt::LeftButton);
        QCOMPARE(op->fileRequests.value(0).title, QStringLiteral("Save Receipt %1").arg(number));
    }

    void zoom_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("scale"); // 0: fit to width
        QTest::addColumn<bool>("sideways"); // the roll is wider than the view
        QTest::newRow("fit to width") << 0 << 0.0 << false;
        QTest::newRow("100 %") << 1 << 1.0 << false;
        QTest::newRow("200 %") << 2 << 2.0 << true;
    }

    void zoom()
    {
        QFETCH(int, index);
        QFETCH(double, scale);
        QFETCH(bool, sideways);
        ReceiptPreview *preview = open();
        preview->resize(720, 600);
        write(sampleReceipt("ZOOM") + kCut);
        QTRY_COMPARE(preview->Paper->receiptCount(), 1);
        QCOMPARE(preview->ZoomBox->currentText(), QStringLiteral("Fit to width"));
        preview->ZoomBox->setCurrentIndex(index);
        PaperView *paper = preview->Paper;
        const double expected = scale > 0 ? scale : (paper->viewport()->width() - 2 * PaperView::kMargin) / 640.0;
        QCOMPARE(paper->scale(), expected);
        const Receipt &receipt = paper->receipt(0);
        QCOMPARE(paper->receiptRect(0).size(), QSize(qRound(576 * expected), qRound(receipt.lengthDots * expected)));
        QCOMPARE(paper->horizontalScrollBar()->maximum() > 0, sideways);

        // Ctrl and the wheel step the zoom, and the box follows.
        const QPoint centre = paper->viewport()->rect().center();
        QWheelEvent wheel(centre, paper->viewport()->mapToGlobal(centre), QPoint(), QPoint(0, index == 2 ? -120 : 120),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(paper->viewport(), &wheel);
        QCOMPARE(preview->ZoomBox->currentIndex(), index == 2 ? 1 : index + 1);
    }

    // At 100 % the window shows the printer's very dots.
    void actualSizeIsDotForDot()
    {
        ReceiptPreview *preview = open();
        preview->resize(760, 700);
        write(sampleReceipt("DOTS") + "Thank you" + kCut);
        QTRY_COMPARE(preview->Paper->receiptCount(), 1);
        preview->ZoomBox->setCurrentIndex(1);
        PaperView *paper = preview->Paper;
        QTest::keyClick(paper, Qt::Key_Home);
        QCOMPARE(paper->verticalScrollBar()->value(), 0);

        const QImage printed = rgb(ReceiptRenderer().render(paper->receipt(0)));
        const QImage shown = rgb(paper->viewport()->grab().toImage());
        const QRect rect = paper->receiptRect(0).translated(-paper->horizontalScrollBar()->value(), 0);
        QVERIFY(rect.bottom() < shown.height());
        QCOMPARE(shown.copy(rect), printed);
    }

    // The newest receipt stays in view until the operator scrolls back;
    // Save takes the receipt in view.
    void savesTheReceiptInView()
    {
        ReceiptPreview *preview = open();
        preview->resize(480, 400);
        write(sampleReceipt("FIRST") + QByteArray(40, '\n') + kCut + sampleReceipt("SECOND") + QByteArray(40, '\n') + kCut);
        QTRY_COMPARE(preview->Paper->receiptCount(), 2);
        PaperView *paper = preview->Paper;
        QVERIFY(paper->following());
        QCOMPARE(paper->shownIndex(), 1);
        QTest::keyClick(paper, Qt::Key_Home);
        QCOMPARE(paper->shownIndex(), 0);
        QVERIFY(preview->PreviewInfo->text().contains(QLatin1String("receipt 1 shown")));

        // Printing goes on; the view stays where the operator put it.
        write("Third\n");
        QTRY_COMPARE(paper->receiptCount(), 3);
        QCOMPARE(paper->verticalScrollBar()->value(), 0);
        QTest::mouseClick(preview->SaveButton, Qt::LeftButton);
        QCOMPARE(op->fileRequests.size(), 1);
        QCOMPARE(op->fileRequests[0].title, QStringLiteral("Save Receipt 1"));

        QTest::keyClick(paper, Qt::Key_End);
        QVERIFY(paper->following());
        write("Fourth\n" + QByteArray(60, '\n'));
        QTRY_VERIFY(paper->receipt(2).lengthDots > 1800);
        QCOMPARE(paper->verticalScrollBar()->value(), paper->verticalScrollBar()->maximum());
        QCOMPARE(paper->shownIndex(), 2);
        QTest::mouseClick(preview->SaveButton, Qt::LeftButton);
        QCOMPARE(op->fileRequests[1].title, QStringLiteral("Save Receipt 3"));
    }

    void save_data()
    {
        QTest::addColumn<QString>("name");        // "" cancels the dialog
        QTest::addColumn<bool>("existing");       // the file is there before
        QTest::addColumn<QList<Msg::Answer>>("answers");
        QTest::addColumn<QString>("written");     // "png", "pdf" or "" for nothing
        QTest::addColumn<QString>("message");     // the start of the message asked, "" for none
        QTest::newRow("PNG") << "r.png" << false << QList<Msg::Answer>{} << "png" << "";
        QTest::newRow("PDF") << "r.pdf" << false << QList<Msg::Answer>{} << "pdf" << "";
        QTest::newRow("upper case PDF") << "R.PDF" << false << QList<Msg::Answer>{} << "pdf" << "";
        QTest::newRow("cancelled") << "" << false << QList<Msg::Answer>{} << "" << "";
        QTest::newRow("another extension") << "r.jpg" << false << QList<Msg::Answer>{}
                                           << "" << "A receipt is saved as a PNG image or a PDF document";
        QTest::newRow("replace: OK") << "r.png" << true << QList<Msg::Answer>{Msg::Answer::Ok} << "png" << "%1 already exists.";
        QTest::newRow("replace: Cancel") << "r.png" << true << QList<Msg::Answer>{Msg::Answer::Cancel} << "" << "%1 already exists.";
        QTest::newRow("cannot write") << "no-such-folder/r.png" << false << QList<Msg::Answer>{} << "" << "Receipt 1 was not saved.";
    }

    void save()
    {
        QFETCH(QString, name);
        QFETCH(bool, existing);
        QFETCH(QList<Msg::Answer>, answers);
        QFETCH(QString, written);
        QFETCH(QString, message);
        ReceiptPreview *preview = open();
        write(sampleReceipt("SAVE") + kCut + "Open\n");
        QTRY_COMPARE(preview->Paper->receiptCount(), 2);
        QTest::keyClick(preview->Paper, Qt::Key_Home);

        QTemporaryDir folder;
        const QString path = folder.filePath(name);
        if (existing)
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        op->files.enqueue(name.isEmpty() ? std::nullopt : std::optional<FileChoice>(fileChoice(path)));
        for (const Msg::Answer answer : answers)
            op->answers.enqueue(answer);
        QTest::mouseClick(preview->SaveButton, Qt::LeftButton);

        QCOMPARE(op->fileRequests.size(), 1);
        const FileDialogRequest &request = op->fileRequests[0];
        QCOMPARE(request.title, QStringLiteral("Save Receipt 1"));
        QCOMPARE(request.filter, QStringLiteral("PNG image|*.png|PDF document|*.pdf"));
        QCOMPARE(request.defaultExtension, QStringLiteral("png"));
        QVERIFY(!request.mustExist);
        QVERIFY(request.saving); // a Save dialog, not an Open one
        QVERIFY(request.startFile.endsWith(QLatin1String("/receipt-001.png")));

        QCOMPARE(op->asked.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(op->asked[0].text.startsWith(message.arg(path)), qPrintable(op->asked[0].text));
        const QFileInfo saved(path);
        if (written.isEmpty()) {
            QCOMPARE(QDir(folder.path()).entryList(QDir::Files), existing ? QStringList{name} : QStringList{});
            QVERIFY(!existing || saved.size() == 0);
            return;
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray head = f.read(8);
        if (written == QLatin1String("png")) {
            QVERIFY(head.startsWith("\x89PNG"));
            QCOMPARE(rgb(QImage(path)), rgb(ReceiptRenderer().render(w->printedPaper().finished().front())));
        } else {
            QVERIFY(head.startsWith("%PDF"));
        }
        // The next Save starts beside the last one.
        op->files.enqueue(std::nullopt);
        QTest::mouseClick(preview->SaveButton, Qt::LeftButton);
        QCOMPARE(op->fileRequests[1].startFile,
                 saved.absolutePath() + QStringLiteral("/receipt-001.") + QString(written));
    }

    // However narrow the window, every caption of the tool bar shows whole.
    void toolBarKeepsCaptionsWhole_data()
    {
        QTest::addColumn<int>("width"); // 0: the window's narrowest
        for (const int width : {0, 400, 520, 1000})
            QTest::newRow(qPrintable(QString::number(width))) << width;
    }

    void toolBarKeepsCaptionsWhole()
    {
        QFETCH(int, width);
        ReceiptPreview *preview = open();
        preview->resize(std::max(width, preview->minimumWidth()), preview->height());
        const QList<QWidget *> tools{preview->ZoomLabel, preview->ZoomBox, preview->CommandsCheck, preview->CjkLabel,
                                     preview->CjkBox, preview->ClearButton, preview->SaveButton};
        QTRY_VERIFY(std::all_of(tools.begin(), tools.end(), [&](QWidget *tool) {
            return tool->width() >= tool->sizeHint().width() && preview->rect().contains(tool->geometry())
                && preview->Split->y() > tool->geometry().bottom();
        }));
    }

    // What a screen reader hears, also after it changes.
    void heardByAScreenReader()
    {
        ReceiptPreview *preview = open();
        QCOMPARE(QAccessible::queryAccessibleInterface(preview)->role(), QAccessible::Window); // not a pane
        QCOMPARE(heard(preview->ZoomBox), QStringLiteral("Zoom"));
        QCOMPARE(heard(preview->ClearButton), QStringLiteral("Clear"));
        QCOMPARE(heard(preview->SaveButton), QStringLiteral("Save Receipt..."));
        QCOMPARE(heard(preview->Paper), QStringLiteral("Receipt"));
        QCOMPARE(heard(preview->Paper, QAccessible::Description), QStringLiteral("0 receipts, the open receipt 0.0 mm long"));
        QCOMPARE(heard(preview->PreviewInfo), QStringLiteral("Receipt summary"));

        write("A\n" + kCut + "B\nC\n");
        QTRY_COMPARE(heard(preview->Paper, QAccessible::Description), QStringLiteral("2 receipts, the open receipt 7.5 mm long"));
        QCOMPARE(heard(preview->PreviewInfo, QAccessible::Description), preview->PreviewInfo->text());
        QCOMPARE(heard(preview->PreviewInfo, QAccessible::Description),
                 QStringLiteral("2 receipts, receipt 2 shown, open receipt 7.5 mm, no unknown commands"));
    }

    // The printer's two-byte encoding: chosen in the window, kept as
    // PreviewCjk, and the printer's from the start in the next session.
    void twoByteEncodingKept()
    {
        ReceiptPreview *preview = open();
        QCOMPARE(preview->CjkBox->currentText(), QStringLiteral("GB 18030"));
        QCOMPARE(heard(preview->CjkBox), QStringLiteral("Two-byte"));
        preview->CjkBox->setCurrentIndex(preview->CjkBox->findText(QStringLiteral("Big5")));
        QCOMPARE(settingsStore().value(QStringLiteral("Settings/PreviewCjk")).toString(), QStringLiteral("Big5"));
        write(FS + "&" + "\xA4\xA4\n");
        const TextRun &run = w->printedPaper().openReceipt().lines.value(0).runs.value(0);
        QCOMPARE(run.count(), 1);
        QCOMPARE(Characters::cell(run, 0), u'\u4E2D'); // 中 in Big5

        rig.reset();
        rig = std::make_unique<WindowRig>();
        port = &rig->port;
        op = &rig->op;
        w = rig->window.get();
        QCOMPARE(w->printedPaper().twoByteEncoding(), TwoByteCode::Big5); // before the window opens
        QCOMPARE(open()->CjkBox->currentText(), QStringLiteral("Big5"));
    }

    // Size and position in twips beside the main window's; a window that was
    // neither moved nor resized saves what it loaded.
    void placeKept_data()
    {
        QTest::addColumn<QStringList>("stored"); // Left, Top, Width, Height; empty: none stored
        QTest::addColumn<QRect>("shown");
        QTest::addColumn<QRect>("changeTo");     // null: left alone
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<bool>("byMainWindow");  // saved when the main window closes, not the preview
        QTest::newRow("as stored") << QStringList{"1500", "3000", "7200", "9000"} << QRect(100, 200, 480, 600) << QRect()
                                   << QStringList{"1500", "3000", "7200", "9000"} << false;
        QTest::newRow("twips between pixels") << QStringList{"97", "98", "7201", "9007"} << QRect(6, 7, 480, 600) << QRect()
                                              << QStringList{"97", "98", "7201", "9007"} << false;
        QTest::newRow("moved") << QStringList{"97", "98", "7201", "9007"} << QRect(6, 7, 480, 600) << QRect(20, 30, 480, 600)
                               << QStringList{"300", "450", "7201", "9007"} << false;
        QTest::newRow("resized") << QStringList{"97", "98", "7201", "9007"} << QRect(6, 7, 480, 600) << QRect(6, 7, 500, 420)
                                 << QStringList{"97", "98", "7500", "6300"} << false;
        QTest::newRow("main window closes") << QStringList{"1500", "3000", "7200", "9000"} << QRect(100, 200, 480, 600)
                                            << QRect(40, 50, 480, 600) << QStringList{"600", "750", "7200", "9000"} << true;
    }

    void placeKept()
    {
        QFETCH(QStringList, stored);
        QFETCH(QRect, shown);
        QFETCH(QRect, changeTo);
        QFETCH(QStringList, saved);
        QFETCH(bool, byMainWindow);
        const QStringList keys{"PreviewLeft", "PreviewTop", "PreviewWidth", "PreviewHeight"};
        {
            QSettings s = settingsStore();
            for (int i = 0; i < 4; ++i)
                s.setValue(QStringLiteral("Settings/") + keys[i], stored[i]);
        }
        ReceiptPreview *preview = open();
        QCOMPARE(QRect(preview->pos(), preview->size()), shown);
        if (!changeTo.isNull()) {
            preview->move(changeTo.topLeft());
            preview->resize(changeTo.size());
        }
        if (byMainWindow)
            w->MFileExit_Click();
        else
            preview->close();
        QSettings s = settingsStore();
        for (int i = 0; i < 4; ++i)
            QCOMPARE(s.value(QStringLiteral("Settings/") + keys[i]).toString(), saved[i]);
        QCOMPARE(s.value(QStringLiteral("Settings/MainLeft")).isValid(), byMainWindow);
    }

    // With nothing stored: beside the main window, and what it took is saved.
    void firstUseBesideTheMainWindow()
    {
        w->move(10, 20);
        ReceiptPreview *preview = open();
        QVERIFY(preview->x() > w->x());
        QVERIFY(!preview->geometry().intersects(w->frameGeometry()) || preview->x() + preview->width() >= w->screen()->availableGeometry().right());
        preview->close();
        QSettings s = settingsStore();
        QCOMPARE(s.value(QStringLiteral("Settings/PreviewLeft")).toString(), QString::number(preview->x() * 15));
        QCOMPARE(s.value(QStringLiteral("Settings/PreviewHeight")).toString(), QString::number(preview->height() * 15));
    }
};

QTEST_MAIN(TestReceiptPreview)
#include "tst_receipt_preview.moc"
