// The Receipt Preview's Commands panel against the port fake: rows in the
// printer's words, selection from the rows to the paper and back, the filter,
// Copy, live rows that leave the operator's place alone, and the check box
// kept in the settings.
#include "preview/CommandModel.h"
#include "preview/CommandPanel.h"
#include "preview/ReceiptPreview.h"
#include "printer/paper/CommandTrace.h"
#include "printer/interpreter/ReceiptInterpreter.h"
#include "support/Accessible.h"
#include "support/MacroFakes.h"
#include "support/ReceiptText.h"
#include "support/SimProcess.h"
#include "support/WindowRig.h"
#include "terminal/frmTerminal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QScreen>
#include <QTableView>
#include <QtTest>

using namespace PrinterBytes;

namespace {
const QByteArray kCut = GS + "V" + n(0);

QByteArray lines(int from, int count)
{
    QByteArray bytes;
    for (int i = from; i < from + count; ++i)
        bytes += "Line " + QByteArray::number(i) + "\n";
    return bytes;
}

QStringList cells(const QAbstractItemModel *model, int row)
{
    QStringList shown;
    for (int column = 0; column < model->columnCount(); ++column)
        shown << model->index(row, column).data().toString();
    return shown;
}
} // namespace

class TestCommandPanel : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowRig> rig;
    ReplyingPrinter *port = nullptr;
    FakeOperator *op = nullptr;
    frmTerminal *w = nullptr;

    ReceiptPreview *open(bool withCommands = true)
    {
        w->MPreview->trigger();
        ReceiptPreview *preview = w->previewWindow();
        if (preview->CommandsCheck->isChecked() != withCommands)
            QTest::mouseClick(preview->CommandsCheck, Qt::LeftButton, {}, QPoint(4, preview->CommandsCheck->height() / 2));
        return preview;
    }
    void write(const QByteArray &bytes) { port->WriteData(bytes, long(bytes.size())); }
    const CommandTrace &trace() const { return *w->printedPaper().trace(); }
    // The panel has caught up with every entry the trace keeps.
    static bool caughtUp(ReceiptPreview *preview, const CommandTrace &trace)
    {
        return preview->Commands->model()->rowCount() == int(trace.endSequence() - trace.firstSequence());
    }
    // The kept entry whose bytes are these (text: its characters).
    const TraceEntry *entryWith(const QByteArray &bytes) const
    {
        for (const TraceEntry &entry : trace().entries()) {
            if (entry.bytes == bytes)
                return &entry;
        }
        return nullptr;
    }
    static quint64 topSequence(ReceiptPreview *preview)
    {
        return preview->Commands->CommandList->indexAt(QPoint(2, 2)).data(CommandModel::SequenceRole).value<quint64>();
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

    // The columns: decimal offset, hex bytes, name, meaning; unknown commands stand out.
    void rowsInThePrintersWords()
    {
        ReceiptPreview *preview = open();
        write(ESC + "a" + n(1) + "Total" + ESC + "U" + n(1) + "\n" + GS + "v0" + n(0) + word(2) + word(1)
              + QByteArray::fromHex("FF00"));
        const QAbstractItemModel *rows = preview->Commands->CommandList->model();
        QTRY_COMPARE(rows->rowCount(), 5);
        QCOMPARE(cells(rows, 0), (QStringList{"0", "1B 61 01", "ESC a", "justification: centre"}));
        QCOMPARE(cells(rows, 1).mid(0, 3), (QStringList{"3", "54 6F 74 61 6C", "text"}));
        QVERIFY2(cells(rows, 1).at(3).contains(QLatin1String("Total")), qPrintable(cells(rows, 1).at(3)));
        QCOMPARE(cells(rows, 2), (QStringList{"8", "1B 55 01", "ESC U", "unknown command 1B 55"}));
        QCOMPARE(cells(rows, 3).mid(0, 3), (QStringList{"11", "0A", "LF"}));
        QCOMPARE(cells(rows, 4).mid(0, 3), (QStringList{"12", "1D 76 30 00 02 00 ... (10 bytes)", "GS v 0"}));
        QCOMPARE(rows->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Meaning"));

        // Only the unknown command is set apart, in colour and weight.
        for (int row = 0; row < rows->rowCount(); ++row) {
            const QModelIndex index = rows->index(row, 2);
            const bool unknown = row == 2;
            QCOMPARE(index.data(CommandModel::UnknownRole).toBool(), unknown);
            QCOMPARE(index.data(Qt::ForegroundRole).isValid(), unknown);
            QCOMPARE(index.data(Qt::FontRole).value<QFont>().bold(), unknown);
        }
        // The tool tip has every byte the column cut short.
        QVERIFY(rows->index(4, 1).data(Qt::ToolTipRole).toString().contains(QLatin1String("1D 76 30 00 02 00 01 00 FF 00")));
        QCOMPARE(preview->Commands->CommandCount->text(), QStringLiteral("5 rows"));
    }

    // The panel draws its cells itself, for speed, but exactly as the style
    // would: plain, selected and unknown rows, right-aligned offsets, elided meanings.
    void drawnAsTheStyleDrawsIt()
    {
        ReceiptPreview *preview = open();
        write(ESC + "a" + n(1) + "Total" + ESC + "{" + n(1) + "\n" + lines(1, 5)
              + "A text run long enough that its meaning is cut short at the column's right edge\n");
        QTableView *list = preview->Commands->CommandList;
        QTRY_COMPARE(list->model()->rowCount(), 16);
        list->selectRow(3);
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        const QImage ours = list->viewport()->grab().toImage();
        list->setItemDelegate(new QStyledItemDelegate(list));
        QCOMPARE(list->viewport()->grab().toImage(), ours);
    }

    // Selecting a row marks what it drew and brings it into view; a mode marks nothing.
    void selectingARowMarksItsDrawing()
    {
        ReceiptPreview *preview = open();
        write(lines(1, 10) + ESC + "a" + n(1) + "Target\n" + ESC + "a" + n(0) + lines(11, 120));
        QTRY_VERIFY(caughtUp(preview, trace()));
        QVERIFY(preview->Paper->following());
        const TraceEntry *target = entryWith("Target");
        QVERIFY(target);

        QVERIFY(preview->Commands->selectSequence(target->sequence));
        const QRect mark = preview->Paper->markRect();
        QVERIFY(!mark.isEmpty());
        QVERIFY2(preview->Paper->viewport()->rect().contains(mark), "the marked text is scrolled into view");
        QVERIFY(!preview->Paper->following());
        // The text is centred: so is its mark on the paper.
        const QRect receipt = preview->Paper->receiptRect(0).translated(0, -preview->Paper->verticalScrollBar()->value());
        QVERIFY(std::abs(mark.center().x() - receipt.center().x()) <= 2);
        // The mark is painted: the paper's white beside the text turns amber.
        const QImage shown = preview->Paper->viewport()->grab().toImage();
        const QPoint probe(mark.left() + 2, mark.top() + 2);
        const QColor tinted = shown.pixelColor(probe);
        QVERIFY2(tinted.red() > 200 && tinted.blue() < 220 && tinted.blue() < tinted.red() - 30,
                 qPrintable(tinted.name()));

        // A justification command draws nothing: nothing is marked.
        const TraceEntry *mode = entryWith(ESC + "a" + n(1));
        QVERIFY(mode);
        QVERIFY(preview->Commands->selectSequence(mode->sequence));
        QVERIFY(preview->Paper->markRect().isEmpty());
        QVERIFY(shown != preview->Paper->viewport()->grab().toImage());
    }

    // Clicking printed paper selects the row that drew it, through a filter that hid it.
    void clickingThePaperSelectsTheRow_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::newRow("no filter") << QString();
        QTest::newRow("filter hides the row") << QStringLiteral("justification");
    }

    void clickingThePaperSelectsTheRow()
    {
        QFETCH(QString, filter);
        ReceiptPreview *preview = open();
        preview->ZoomBox->setCurrentIndex(int(PaperView::Zoom::Actual));
        write("First\n" + ESC + "a" + n(2) + "Right\n" + ESC + "a" + n(0) + "Last\n");
        QTRY_VERIFY(caughtUp(preview, trace()));
        preview->Commands->FilterBox->setText(filter);
        const TraceEntry *right = entryWith("Right");
        QVERIFY(right);

        // The middle of the text as the paper shows it, found from the receipt itself.
        const Receipt &receipt = preview->Paper->receipt(0);
        QRect ink;
        for (const ReceiptLine &line : receipt.lines) {
            for (const TextRun &run : line.runs) {
                if (run.text == "Right")
                    ink = run.rect();
            }
        }
        QVERIFY(!ink.isEmpty());
        PaperView *paper = preview->Paper;
        const QPoint at = paper->receiptRect(0).topLeft() + ink.center() * paper->scale()
            - QPoint(paper->horizontalScrollBar()->value(), paper->verticalScrollBar()->value());
        QTest::mouseClick(paper->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(preview->Commands->currentSequence(), std::optional<quint64>(right->sequence));
        QVERIFY(preview->Commands->FilterBox->text().isEmpty());
        QVERIFY(!paper->markRect().isEmpty());

        // Bare desk beside the roll selects nothing new.
        QTest::mouseClick(paper->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(preview->Commands->currentSequence(), std::optional<quint64>(right->sequence));
    }

    // The filter keeps rows with its text in any column, whatever the case.
    void filterNarrowsTheRows_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("matching");
        QTest::newRow("a name") << "ESC a" << 3;
        QTest::newRow("a meaning, other case") << "JUSTIFICATION: RIGHT" << 1;
        QTest::newRow("bytes") << "1b 7b" << 1;
        QTest::newRow("an offset") << "13" << 1;
        QTest::newRow("text") << "Coffee" << 1;
        QTest::newRow("nothing") << "no such words" << 0;
    }

    void filterNarrowsTheRows()
    {
        QFETCH(QString, typed);
        QFETCH(int, matching);
        ReceiptPreview *preview = open();
        write(ESC + "a" + n(1) + "Coffee\n" + ESC + "a" + n(2) + ESC + "{" + n(0) + "Tea\n" + ESC + "a" + n(0));
        QTRY_VERIFY(caughtUp(preview, trace()));
        const int all = preview->Commands->model()->rowCount();
        QCOMPARE(all, 8);

        preview->Commands->FilterBox->setFocus();
        QTest::keyClicks(preview->Commands->FilterBox, typed);
        const QAbstractItemModel *rows = preview->Commands->CommandList->model();
        QCOMPARE(rows->rowCount(), matching);
        for (int row = 0; row < rows->rowCount(); ++row)
            QVERIFY(cells(rows, row).join('|').contains(typed, Qt::CaseInsensitive));
        QCOMPARE(preview->Commands->CommandCount->text(), QStringLiteral("%1 of %2 rows match").arg(matching).arg(all));

        // Rows that arrive meanwhile are filtered too.
        write(ESC + "a" + n(1) + "Coffee\n");
        QTRY_VERIFY(caughtUp(preview, trace()));
        for (int row = 0; row < rows->rowCount(); ++row)
            QVERIFY(cells(rows, row).join('|').contains(typed, Qt::CaseInsensitive));

        preview->Commands->FilterBox->clear();
        QCOMPARE(rows->rowCount(), all + 3);
    }

    // Copy (the button and Ctrl+C in the list) puts the selected rows, oldest
    // first, one line each, as the simulator's decode log writes them.
    void copyPutsTheRowsOnTheClipboard()
    {
        ReceiptPreview *preview = open();
        write(ESC + "a" + n(1) + "Hi\n" + ESC + "U" + n(1));
        QTRY_COMPARE(preview->Commands->model()->rowCount(), 4);
        QVERIFY(!preview->Commands->CopyButton->isEnabled());
        QTableView *list = preview->Commands->CommandList;
        // Row 3 first, then row 0 with Ctrl: the clipboard keeps stream order.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(3, 1)).center());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualRect(list->model()->index(0, 1)).center());
        QVERIFY(preview->Commands->CopyButton->isEnabled());
        const QString expected = QStringLiteral(
            "000000  1B 61 01                          ESC a     justification: centre\n"
            "000006  1B 55 01                          ESC U     unknown command 1B 55\n");
        QApplication::clipboard()->clear();
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), expected);
        QApplication::clipboard()->clear();
        QTest::mouseClick(preview->Commands->CopyButton, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), expected);
    }

    // New rows keep the end in view while it is in view; an operator reading
    // an earlier row keeps that row where it is, also while old rows go.
    void liveRowsLeaveTheReaderAlone()
    {
        ReceiptPreview *preview = open();
        preview->resize(1000, 500);
        QTableView *list = preview->Commands->CommandList;
        write(lines(1, 100));
        QTRY_VERIFY(caughtUp(preview, trace()));
        const auto lastRowInView = [list] {
            const int last = list->model()->rowCount() - 1;
            const QRect row = list->visualRect(list->model()->index(last, 0));
            return row.bottom() >= 0 && row.top() < list->viewport()->height(); // rows scroll up and down only
        };
        QVERIFY(lastRowInView());
        write(lines(101, 50));
        QTRY_VERIFY(caughtUp(preview, trace()));
        QVERIFY(lastRowInView());

        // The operator goes back to row 40 and reads it.
        list->scrollTo(list->model()->index(40, 0), QAbstractItemView::PositionAtTop);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(42, 1)).center());
        const quint64 top = topSequence(preview);
        const std::optional<quint64> reading = preview->Commands->currentSequence();
        QVERIFY(reading);
        write(lines(151, 100));
        QTRY_VERIFY(caughtUp(preview, trace()));
        QCOMPARE(topSequence(preview), top);
        QCOMPARE(preview->Commands->currentSequence(), reading);
        QVERIFY(!lastRowInView());

        // Back at the end, the list follows again.
        QTest::keyClick(list, Qt::Key_End, Qt::ControlModifier);
        write(lines(300, 50));
        QTRY_VERIFY(caughtUp(preview, trace()));
        QVERIFY(lastRowInView());
    }

    // Rows whose receipts are dropped go, and the one being read keeps its place.
    void droppedRowsDoNotMoveTheView()
    {
        ReceiptPreview *preview = open();
        preview->resize(1000, 500);
        QTableView *list = preview->Commands->CommandList;
        QByteArray bytes;
        for (int i = 0; i < 50; ++i)
            bytes += "R" + QByteArray::number(i) + "\n" + kCut;
        write(bytes);
        QTRY_VERIFY(caughtUp(preview, trace()));
        QCOMPARE(trace().firstSequence(), quint64(0));
        // Reading receipt 40's rows.
        const TraceEntry *r40 = entryWith("R40");
        QVERIFY(r40);
        QVERIFY(preview->Commands->selectSequence(r40->sequence));
        list->scrollTo(list->currentIndex(), QAbstractItemView::PositionAtTop);
        const quint64 top = topSequence(preview);
        write("R50\n" + kCut + "R51\n" + kCut);
        QTRY_VERIFY(caughtUp(preview, trace()));
        QVERIFY(trace().firstSequence() > 0); // receipts 1 and 2 went
        QCOMPARE(topSequence(preview), top);
        QCOMPARE(preview->Commands->currentSequence(), std::optional<quint64>(r40->sequence));
    }

    // Clear empties the rows; the next bytes start them again, tied to receipt 1, and the list follows them.
    void clearEmptiesTheRows()
    {
        ReceiptPreview *preview = open();
        write("One\n" + kCut + "Two\n" + ESC + "a");
        QTRY_COMPARE(preview->Commands->model()->rowCount(), 5);
        QTest::mouseClick(preview->ClearButton, Qt::LeftButton);
        QCOMPARE(preview->Commands->model()->rowCount(), 0);
        QCOMPARE(preview->Commands->CommandCount->text(), QStringLiteral("0 rows"));

        // The command cut in two by the Clear is the fresh roll's first row.
        write(n(1) + "New\n");
        QTRY_COMPARE(preview->Commands->model()->rowCount(), 3);
        const QAbstractItemModel *rows = preview->Commands->CommandList->model();
        QCOMPARE(cells(rows, 0), (QStringList{"11", "1B 61 01", "ESC a", "justification: centre"}));
        const TraceEntry *text = entryWith("New");
        QVERIFY(text);
        QVERIFY(preview->Commands->selectSequence(text->sequence));
        QVERIFY(!preview->Paper->markRect().isEmpty());

        // Its end in view, it follows the demonstration receipt's rows run after run.
        const QScrollBar *bar = preview->Commands->CommandList->verticalScrollBar();
        w->FileNameTextBox->setEditText(QStringLiteral(MARLIX_SOURCE_DIR "/docs/examples/receipt.dmo"));
        for (int run = 1; run <= 2; ++run) {
            w->SendScript_Click();
            QTRY_VERIFY(caughtUp(preview, trace()) && bar->maximum() > 0 && bar->value() == bar->maximum());
        }
    }

    // The check box shows the panel, widens the window by it, and is kept as 1 or 0.
    void checkBoxKept_data()
    {
        QTest::addColumn<QString>("stored"); // empty: none
        QTest::addColumn<bool>("shown");
        QTest::newRow("none stored") << QString() << false;
        QTest::newRow("1") << "1" << true;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("not a flag") << "yes" << false;
    }

    void checkBoxKept()
    {
        QFETCH(QString, stored);
        QFETCH(bool, shown);
        if (!stored.isEmpty())
            settingsStore().setValue(QStringLiteral("Settings/PreviewCommands"), stored);
        w->MPreview->trigger();
        ReceiptPreview *preview = w->previewWindow();
        QCOMPARE(preview->CommandsCheck->isChecked(), shown);
        QCOMPARE(preview->Commands->isVisible(), shown);

        const int width = preview->width();
        QTest::mouseClick(preview->CommandsCheck, Qt::LeftButton, {}, QPoint(4, preview->CommandsCheck->height() / 2));
        QCOMPARE(preview->Commands->isVisible(), !shown);
        QCOMPARE(settingsStore().value(QStringLiteral("Settings/PreviewCommands")).toString(), shown ? "0" : "1");
        QVERIFY(shown ? preview->width() < width : preview->width() > width);
        QVERIFY(preview->Paper->width() > 200);
        QTest::mouseClick(preview->CommandsCheck, Qt::LeftButton, {}, QPoint(4, preview->CommandsCheck->height() / 2));
        QCOMPARE(settingsStore().value(QStringLiteral("Settings/PreviewCommands")).toString(), shown ? "1" : "0");
        // Shown and hidden again, the window is as wide as it was.
        if (!shown)
            QCOMPARE(preview->width(), width);
    }

    // Showing the panel near the screen's right edge keeps the window on the
    // screen, moved left as far as needed; hiding it puts the window back.
    void widenedWithinTheScreen()
    {
        ReceiptPreview *preview = open(false);
        const QRect area = preview->screen()->availableGeometry();
        preview->resize(480, 400);
        preview->move(area.right() - preview->frameGeometry().width() - 20, area.top() + 10);
        const QPoint before = preview->pos();
        QTest::mouseClick(preview->CommandsCheck, Qt::LeftButton, {}, QPoint(4, preview->CommandsCheck->height() / 2));
        QVERIFY(preview->width() > 480);
        QVERIFY2(preview->frameGeometry().right() <= area.right() && preview->frameGeometry().left() >= area.left(),
                 qPrintable(QStringLiteral("%1..%2 on %3..%4").arg(preview->frameGeometry().left())
                                .arg(preview->frameGeometry().right()).arg(area.left()).arg(area.right())));
        QTest::mouseClick(preview->CommandsCheck, Qt::LeftButton, {}, QPoint(4, preview->CommandsCheck->height() / 2));
        QCOMPARE(preview->pos(), before);
        QCOMPARE(preview->width(), 480);
    }

    // Offsets of ten digits, ten gigabytes into a stream, are shown whole.
    void offsetsShownWhole()
    {
        ReceiptPreview *preview = open();
        const QTableView *list = preview->Commands->CommandList;
        const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
        const QString offset = QStringLiteral("9876543210");
        QCOMPARE(list->fontMetrics().elidedText(offset, Qt::ElideRight, list->columnWidth(CommandModel::Offset) - margins),
                 offset);
    }

    // Rows written while the panel was hidden are there when it shows.
    void hiddenPanelCatchesUp()
    {
        ReceiptPreview *preview = open(false);
        write("Hidden\n");
        QTRY_COMPARE(preview->Paper->receiptCount(), 1);
        QCOMPARE(preview->Commands->model()->rowCount(), 0);
        QTest::mouseClick(preview->CommandsCheck, Qt::LeftButton, {}, QPoint(4, preview->CommandsCheck->height() / 2));
        QCOMPARE(preview->Commands->model()->rowCount(), 2);
    }

    // What a screen reader hears, and the keyboard's way through the window.
    void heardAndReachedByKeys()
    {
        ReceiptPreview *preview = open();
        QCOMPARE(heard(preview->CommandsCheck), QStringLiteral("Commands"));
        QCOMPARE(heard(preview->Commands->FilterBox), QStringLiteral("Filter"));
        QCOMPARE(heard(preview->Commands->CommandList), QStringLiteral("Commands"));
        QCOMPARE(heard(preview->Commands->CopyButton), QStringLiteral("Copy"));
        QCOMPARE(heard(preview->Commands->CommandCount), QStringLiteral("Command count"));
        write("A\nB\n");
        QTRY_COMPARE(heard(preview->Commands->CommandCount, QAccessible::Description), QStringLiteral("4 rows"));
        QVERIFY(preview->Commands->selectSequence(trace().firstSequence())); // Copy has rows to copy

        QVERIFY(preview->SaveButton->isEnabled());
        const QList<QWidget *> expected{preview->ZoomBox,    preview->CommandsCheck, preview->CjkBox,
                                        preview->ClearButton, preview->SaveButton,  preview->Paper,
                                        preview->Commands->FilterBox, preview->Commands->CommandList};
        // Real Tab presses from the zoom box walk the controls in that order.
        preview->activateWindow();
        preview->ZoomBox->setFocus();
        for (QWidget *next : expected.mid(1)) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        // Tab leaves the list, it does not walk its cells.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), preview->Commands->CopyButton);
    }
};

QTEST_MAIN(TestCommandPanel)
#include "tst_command_panel.moc"
