#include "preview/ReceiptPreview.h"

#include "link/Operator.h"
#include "preview/CommandPanel.h"
#include "preview/PrinterPanel.h"
#include "printer/characters/Characters.h"
#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/render/ReceiptRenderer.h"
#include "printer/device/VirtualPrinter.h"
#include "session/PaperFeed.h"
#include "session/PaperSettings.h"
#include "widgets/Accessibility.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace {
const QString kPlaceKey = QStringLiteral("Preview");
const QString kCommandsKey = QStringLiteral("PreviewCommands");
constexpr int kPanelWidth = 600; // what showing the panel adds to the window, at most
const QString kFilter = QStringLiteral("PNG image|*.png|PDF document|*.pdf");
const QSize kDefaultSize(640, 700); // the tool bar whole, the paper at fit to width
const QSize kMinimumSize(320, 240);

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

ReceiptPreview::ReceiptPreview(PaperFeed &feed, Operator &op, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_feed(feed)
    , m_op(op)
    , m_renderer(std::make_unique<ReceiptRenderer>())
    , m_redraw(kRedrawMs, kStreamRedrawMs, [this] { redraw(); })
    , m_rows(kRowsMs, kStreamRowsMs, [this] { refreshRows(); })
{
    setObjectName(QStringLiteral("ReceiptPreview"));
    setWindowTitle(QStringLiteral("Receipt Preview"));
    Accessibility::plainWindowsAreWindows();
    buildControls();
}

ReceiptPreview::~ReceiptPreview() = default;

ReceiptInterpreter &ReceiptPreview::printedPaper() const
{
    return m_feed.printedPaper();
}

void ReceiptPreview::buildControls()
{
    ZoomLabel = named(new QLabel(QStringLiteral("&Zoom"), this), "ZoomLabel");
    ZoomBox = named(new QComboBox(this), "ZoomBox");
    // In the order of PaperView::Zoom.
    ZoomBox->addItems({QStringLiteral("Fit to width"), QStringLiteral("100 %"), QStringLiteral("200 %")});
    ZoomLabel->setBuddy(ZoomBox);
    CommandsCheck = named(new QCheckBox(QStringLiteral("Co&mmands"), this), "CommandsCheck");
    CommandsCheck->setToolTip(QStringLiteral("Show beside the paper every command sent, explained, and what it drew"));
    CjkLabel = named(new QLabel(QStringLiteral("T&wo-byte"), this), "CjkLabel");
    CjkBox = named(new QComboBox(this), "CjkBox");
    for (const TwoByteCode code : Characters::kModelEncodings)
        CjkBox->addItem(Characters::encodingName(code), Characters::encodingKey(code));
    CjkBox->setCurrentIndex(std::max(0, CjkBox->findData(Characters::encodingKey(printedPaper().twoByteEncoding()))));
    CjkBox->setToolTip(QStringLiteral("How the printer reads Chinese, Japanese and Korean characters (two-byte mode, FS &)"));
    CjkLabel->setBuddy(CjkBox);
    ClearButton = named(new QPushButton(QStringLiteral("&Clear"), this), "ClearButton");
    ClearButton->setToolTip(QStringLiteral("Start a fresh roll; the printer's modes stay as they are"));
    SaveButton = named(new QPushButton(QStringLiteral("&Save Receipt..."), this), "SaveButton");
    SaveButton->setToolTip(QStringLiteral("Save the receipt in view as a PNG image or a PDF document"));
    ResetButton = named(new QPushButton(QStringLiteral("Reset &Printer"), this), "ResetButton");
    Panel = new PrinterPanel(this); // shown for the built-in printer

    Paper = named(new PaperView(*m_renderer, this), "Paper");
    Paper->setAccessibleName(QStringLiteral("Receipt")); // no caption of its own
    Commands = new CommandPanel(this);
    Split = named(new QSplitter(Qt::Horizontal, this), "Split");
    Split->setChildrenCollapsible(false);
    Split->addWidget(Paper);
    Split->addWidget(Commands);
    Split->setStretchFactor(0, 1);
    Split->setStretchFactor(1, 1);
    const bool commandsShown = SettingsStore::loadFlag(kCommandsKey, false);
    CommandsCheck->setChecked(commandsShown);
    Commands->setVisible(commandsShown);

    // A value label: named after what it is, what it shows is its description.
    PreviewInfo = named(new QLabel(this), "PreviewInfo");
    PreviewInfo->setAccessibleName(QStringLiteral("Receipt summary"));
    PreviewInfo->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    PreviewInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    PreviewInfo->setWordWrap(true); // a waiting command or a cut symbol at its end stays in sight

    m_tools = new QVBoxLayout; // the tool bar's rows: see arrangeTools()
    m_tools->setSpacing(4);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->setSpacing(6);
    layout->addLayout(m_tools);
    arrangeTools(kDefaultSize.width());
    layout->addWidget(Panel);
    layout->addWidget(Split, 1);
    // Reset Printer beside the line that says what the printer waits for.
    auto *info = new QHBoxLayout;
    info->addWidget(PreviewInfo, 1);
    info->addWidget(ResetButton, 0, Qt::AlignTop);
    layout->addLayout(info);
    setMinimumSize(kMinimumSize);

    setTabOrder(ZoomBox, CommandsCheck);
    setTabOrder(CommandsCheck, CjkBox);
    setTabOrder(CjkBox, ClearButton);
    setTabOrder(ClearButton, SaveButton);
    setTabOrder(SaveButton, Panel->LoadPaperButton);
    setTabOrder(Panel->RecoverButton, Paper);
    setTabOrder(Paper, Commands->FilterBox);
    setTabOrder(Commands->CopyButton, ResetButton);

    connect(ZoomBox, &QComboBox::currentIndexChanged, this, &ReceiptPreview::ZoomBox_Click);
    connect(ClearButton, &QPushButton::clicked, this, &ReceiptPreview::ClearButton_Click);
    connect(SaveButton, &QPushButton::clicked, this, &ReceiptPreview::SaveButton_Click);
    connect(ResetButton, &QPushButton::clicked, this, &ReceiptPreview::ResetButton_Click);
    connect(Paper, &PaperView::zoomChanged, this, [this](PaperView::Zoom zoom) { ZoomBox->setCurrentIndex(int(zoom)); });
    connect(Paper, &PaperView::shownChanged, this, &ReceiptPreview::updateInfo);
    connect(CommandsCheck, &QCheckBox::toggled, this, &ReceiptPreview::CommandsCheck_Click);
    connect(CjkBox, &QComboBox::currentIndexChanged, this, &ReceiptPreview::CjkBox_Click);
    connect(Panel, &PrinterPanel::paperWidthChosen, this, [](int dots) {
        PaperSettings::saveWidthDots(dots);
    });
    connect(Commands, &CommandPanel::currentChanged, this, [this] {
        updateMark(true);
        updateInfo(); // the selected row's receipt is the one in view
    });
    connect(Paper, &PaperView::dotClicked, this, &ReceiptPreview::paperClicked);
    setBuiltInPrinter(nullptr);
}

// --- window --------------------------------------------------------------------

void ReceiptPreview::showPreview()
{
    const bool first = !m_placed;
    if (first) {
        place();
        m_placed = true;
        // A window of its own, not one the main window holds: a question
        // modal to the main window (the printer takes nothing) must leave the
        // paper and the printer's panel usable.
        create();
        windowHandle()->setTransientParent(nullptr);
    }
    show();
    raise();
    activateWindow();
    if (first) {
        Paper->setFocus();
        if (CommandsCheck->isChecked()) {
            // The paper as wide as without the panel, which takes the rest.
            layout()->activate();
            const int room = Split->width() - Split->handleWidth();
            const int paper = std::min(kDefaultSize.width(), room / 2 + room / 4);
            Split->setSizes({paper, room - paper});
        }
    }
}

void ReceiptPreview::place()
{
    if (const std::optional<SettingsStore::WindowPlace> stored = SettingsStore::loadPlace(kPlaceKey)) {
        m_place.restore(*this, QPoint(stored->left, stored->top), QSize(stored->width, stored->height));
        return;
    }
    // First use: beside the main window, on its screen.
    QSize size = kDefaultSize;
    if (CommandsCheck->isChecked())
        size.rwidth() += kPanelWidth;
    QPoint at(100, 100);
    if (const QWidget *main = parentWidget()) {
        const QRect frame = main->frameGeometry();
        at = QPoint(frame.right() + 8, frame.top());
        if (const QScreen *screen = main->screen()) {
            const QRect area = screen->availableGeometry();
            size.setHeight(std::min(size.height(), area.height() - 40));
            at.setX(std::max(area.left(), std::min(at.x(), area.right() - size.width())));
            at.setY(std::max(area.top(), at.y()));
        }
    }
    m_place.put(*this, QRect(at, size));
}

void ReceiptPreview::savePlace()
{
    if (!m_placed || isMinimized())
        return;
    const QPoint at = m_place.storedPos(*this);
    const QSize size = m_place.storedSize(*this);
    SettingsStore::savePlace(kPlaceKey, {at.x(), at.y(), size.width(), size.height()});
}

void ReceiptPreview::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    redraw(); // what was sent while it was closed
    refreshRows();
}

void ReceiptPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrangeTools(contentsRect().width());
}

void ReceiptPreview::arrangeTools(int width)
{
    // The tool bar's groups, as many to a row as the width takes, so that no
    // caption is ever cut; the buttons keep to the right.
    const QList<QList<QWidget *>> groups{{ZoomLabel, ZoomBox}, {CommandsCheck}, {CjkLabel, CjkBox}, {ClearButton, SaveButton}};
    constexpr int kSpacing = 6;
    constexpr int kGroupGap = 12;
    const QMargins margins = layout() ? layout()->contentsMargins() : QMargins();
    const int room = width - margins.left() - margins.right();
    QList<int> rows; // the row each group goes to
    int used = 0;
    for (const QList<QWidget *> &group : groups) {
        int needs = kSpacing * int(group.size() - 1);
        for (const QWidget *widget : group)
            needs += widget->sizeHint().width();
        const int gap = kGroupGap + 2 * kSpacing;
        const bool fits = rows.isEmpty() || used + gap + needs <= room;
        rows << (rows.isEmpty() ? 0 : rows.last() + (fits ? 0 : 1));
        used = fits && rows.size() > 1 ? used + gap + needs : needs;
    }
    // The panel's rows do not wrap: the window is never narrower than they are.
    setMinimumWidth(std::max(kMinimumSize.width(), Panel->isVisibleTo(this)
                                                      ? Panel->minimumSizeHint().width() + margins.left() + margins.right()
                                                      : 0));
    if (rows == m_toolRows)
        return;
    m_toolRows = rows;
    while (QLayoutItem *row = m_tools->takeAt(0))
        delete row; // its widgets stay, for the new rows
    QHBoxLayout *row = nullptr;
    for (int i = 0; i < groups.size(); ++i) {
        const bool last = i == groups.size() - 1;
        if (!row || rows[i] != rows[i - 1]) {
            if (row)
                row->addStretch(1);
            row = new QHBoxLayout;
            row->setSpacing(kSpacing);
            m_tools->addLayout(row);
        } else if (!last) {
            row->addSpacing(kGroupGap);
        }
        if (last)
            row->addStretch(1);
        for (QWidget *widget : groups[i])
            row->addWidget(widget);
    }
}

void ReceiptPreview::closeEvent(QCloseEvent *event)
{
    savePlace();
    QWidget::closeEvent(event);
}

void ReceiptPreview::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

// --- the paper -------------------------------------------------------------------

void ReceiptPreview::paperFed()
{
    // Drawing with every write would make a fast script crawl: the first
    // bytes start the timer, and the redraw takes all that came meanwhile.
    // While it streams in (drawn a moment ago), less often: each redraw draws
    // the growing end of the roll again, and the terminal's sending comes first.
    if (isVisible())
        m_redraw.news();
    // Rows scrolling by faster than anyone reads them would only cost the
    // terminal time: while bytes keep coming, a few times a second.
    if (isVisible() && Commands->isVisibleTo(this))
        m_rows.news();
}

void ReceiptPreview::refreshRows()
{
    m_rows.caughtUp();
    if (!Commands->isVisibleTo(this))
        return;
    Commands->refresh(printedPaper().trace());
    updateMark(false); // the line in progress grows, rows may have gone
}

void ReceiptPreview::redraw()
{
    m_redraw.caughtUp();
    const ReceiptInterpreter &paper = printedPaper(); // with every byte sent so far
    if (paper.revision() != m_drawnRevision) {
        m_drawnRevision = paper.revision();
        const std::deque<Receipt> &cut = paper.finished();
        Paper->setPaper(QList<Receipt>(cut.cbegin(), cut.cend()), paper.withPendingLine());
    }
    if (Commands->isVisibleTo(this))
        updateMark(false); // the marked line in progress grows with the paper
    updateInfo(); // unknown commands draw nothing: no new revision
}

// --- controls --------------------------------------------------------------------

void ReceiptPreview::ZoomBox_Click(int index)
{
    if (index >= 0)
        Paper->setZoom(PaperView::Zoom(index));
}

void ReceiptPreview::CjkBox_Click(int index)
{
    const std::optional<TwoByteCode> code = Characters::encodingFromName(CjkBox->itemData(index).toString());
    if (!code)
        return;
    printedPaper().setTwoByteEncoding(*code); // what was sent before goes on paper first, as it was
    PaperSettings::saveEncoding(*code);
}

void ReceiptPreview::CommandsCheck_Click(bool shown)
{
    SettingsStore::saveFlag(kCommandsKey, shown);
    if (shown == Commands->isVisibleTo(this))
        return;
    // The window grows by the panel, within its screen, so that the paper
    // keeps its width, and shrinks back by as much.
    const bool resizable = !isMaximized() && !isFullScreen() && isVisible();
    const int paperWidth = Paper->width();
    const int frameExtra = frameGeometry().width() - this->width(); // the window manager's frame
    int width = this->width();
    if (shown) {
        width += kPanelWidth;
        if (const QScreen *screen = this->screen())
            width = std::max(this->width(), std::min(width, screen->availableGeometry().width() - frameExtra));
    } else if (m_panelAdded > 0 && width == m_widthWithPanel) {
        width -= m_panelAdded;
    } else {
        width -= std::min(Commands->width() + Split->handleWidth(), width - minimumWidth());
    }
    Commands->setVisible(shown);
    m_panelAdded = 0;
    if (resizable) {
        const int before = this->width();
        layout()->activate(); // the panel's own minimum width counts now, not after the move
        resize(width, height());
        width = this->width();
        m_panelAdded = shown ? width - before : 0;
        m_widthWithPanel = width;
        // Past the screen's right edge the window moves left (not past its
        // left edge); hidden again, the panel takes it back where it was.
        if (shown) {
            m_movedLeft = 0;
            if (const QScreen *screen = this->screen()) {
                const QRect area = screen->availableGeometry();
                const int over = frameGeometry().left() + width + frameExtra - 1 - area.right();
                m_movedLeft = std::clamp(over, 0, std::max(0, frameGeometry().left() - area.left()));
            }
            move(x() - m_movedLeft, y());
            m_placeWithPanel = pos();
        } else if (m_movedLeft > 0 && pos() == m_placeWithPanel) {
            move(x() + m_movedLeft, y());
            m_movedLeft = 0;
        }
    }
    if (shown) {
        layout()->activate();
        const int room = Split->width() - Split->handleWidth();
        const int paper = room - paperWidth >= kPanelWidth / 2 ? paperWidth : room / 2;
        Split->setSizes({paper, room - paper});
    }
    if (shown) {
        refreshRows();
    } else {
        Paper->setMark(0, {});
    }
    updateInfo(); // a selected row no longer chooses the receipt in view, or does again
}

const TraceEntry *ReceiptPreview::selectedEntry(int *index) const
{
    const CommandTrace *trace = printedPaper().trace();
    const std::optional<quint64> sequence = Commands->currentSequence();
    const TraceEntry *entry = trace && sequence ? trace->entry(*sequence) : nullptr;
    if (!entry || !Commands->isVisibleTo(this))
        return nullptr;
    // The receipt it drew on (the first, where an automatic cut split it),
    // or, with nothing drawn yet, the one its bytes went to.
    const int number = entry->regions.isEmpty() ? entry->receipt : entry->regions.first().receipt;
    for (int i = 0; i < Paper->receiptCount(); ++i) {
        if (Paper->receipt(i).number == number) {
            *index = i;
            return entry;
        }
    }
    return nullptr;
}

int ReceiptPreview::receiptInView() const
{
    int index = -1;
    return selectedEntry(&index) ? index : Paper->shownIndex();
}

void ReceiptPreview::updateMark(bool reveal)
{
    int index = -1;
    const TraceEntry *entry = selectedEntry(&index);
    if (!entry) {
        Paper->setMark(0, {});
        return;
    }
    const Receipt &receipt = Paper->receipt(index);
    Paper->setMark(receipt.number, CommandTrace::regionIn(*entry, receipt));
    if (reveal)
        Paper->revealMark();
}

void ReceiptPreview::paperClicked(int index, QPoint dot)
{
    const CommandTrace *trace = printedPaper().trace();
    if (!trace || !Commands->isVisibleTo(this))
        return;
    if (const TraceEntry *entry = trace->entryAt(Paper->receipt(index), dot))
        Commands->selectSequence(entry->sequence);
}

void ReceiptPreview::ClearButton_Click()
{
    printedPaper().clearPaper();
    Paper->clear();
    redraw();
    refreshRows();
}

void ReceiptPreview::SaveButton_Click()
{
    redraw(); // the latest paper, not the last frame
    const int shown = receiptInView();
    if (shown < 0)
        return;
    // A copy: the paper goes on printing while the dialog is open.
    const Receipt receipt = Paper->receipt(shown);
    const QFileInfo last(m_lastSaved);
    const QString folder = m_lastSaved.isEmpty() ? QDir::currentPath() : last.absolutePath();
    const QString suffix = last.suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0 ? QStringLiteral("pdf")
                                                                                                 : QStringLiteral("png");
    FileDialogRequest request;
    request.title = QStringLiteral("Save Receipt %1").arg(receipt.number);
    request.filter = kFilter;
    request.defaultExtension = QStringLiteral("png");
    request.mustExist = false;
    request.saving = true;
    request.startFile = QStringLiteral("%1/receipt-%2.%3").arg(folder).arg(receipt.number, 3, 10, QLatin1Char('0')).arg(suffix);
    if (const std::optional<FileChoice> choice = m_op.openFile(request))
        saveReceipt(receipt, choice->fileName);
}

bool ReceiptPreview::saveReceipt(const Receipt &receipt, const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("pdf")) {
        m_op.message(QStringLiteral("A receipt is saved as a PNG image or a PDF document: the name must end in .png or "
                                    ".pdf.\n%1")
                         .arg(path),
                     Msg::Buttons::Ok, Msg::Icon::Exclamation);
        return false;
    }
    if (QFileInfo::exists(path)
        && m_op.message(QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path), Msg::Buttons::OkCancel,
                        Msg::Icon::Exclamation)
            != Msg::Answer::Ok)
        return false;
    QString error;
    const bool saved = suffix == QLatin1String("png") ? m_renderer->savePng(receipt, path, &error)
                                                      : m_renderer->writePdf({receipt}, path, &error);
    if (!saved) {
        if (suffix == QLatin1String("png"))
            error = path + QStringLiteral(": ") + error;
        m_op.message(QStringLiteral("Receipt %1 was not saved.\n%2").arg(receipt.number).arg(error), Msg::Buttons::Ok,
                     Msg::Icon::Critical);
        return false;
    }
    m_lastSaved = path;
    return true;
}

void ReceiptPreview::ResetButton_Click()
{
    // The built-in printer drops what waits in its buffer too; another port's
    // printer is not told: the paper's printer is reset after what came so far.
    const qsizetype waiting = m_printer ? m_printer->state().waiting : 0;
    if (m_printer)
        m_printer->resetPrinter();
    else
        printedPaper().resetPrinter();
    // Bytes held while the printer was offline are gone: said until the paper moves on.
    m_dropped = waiting;
    m_droppedAt = printedPaper().revision();
    redraw();
    refreshRows();
}

void ReceiptPreview::setBuiltInPrinter(VirtualPrinter *printer)
{
    m_printer = printer;
    Panel->setPrinter(printer);
    arrangeTools(width());
    // Bytes held while it is offline are said on the info line.
    disconnect(m_printerState);
    if (printer)
        m_printerState = connect(printer, &VirtualPrinter::stateChanged, this, &ReceiptPreview::paperFed);
    ResetButton->setToolTip(printer ? QStringLiteral("Put the printer as at power on: modes at their defaults, a command "
                                                     "waiting for data and the bytes in its buffer dropped; the paper stays")
                                    : QStringLiteral("Put the preview's printer as at power on: modes at their defaults, a "
                                                     "command waiting for data dropped; the paper stays (nothing is sent "
                                                     "to the port)"));
    updateInfo();
}
