#include "preview/CommandPanel.h"

#include "preview/CommandDelegate.h"
#include "preview/CommandModel.h"
#include "printer/paper/CommandTrace.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {
template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}
} // namespace

CommandPanel::CommandPanel(QWidget *parent)
    : QWidget(parent)
    , m_model(new CommandModel(this))
    , m_filter(new QSortFilterProxyModel(this))
{
    setObjectName(QStringLiteral("CommandPanel"));
    m_filter->setSourceModel(m_model);
    m_filter->setFilterKeyColumn(-1);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);

    FilterLabel = named(new QLabel(QStringLiteral("&Filter"), this), "FilterLabel");
    FilterBox = named(new QLineEdit(this), "FilterBox");
    FilterBox->setPlaceholderText(QStringLiteral("text in any column"));
    FilterBox->setClearButtonEnabled(true);
    FilterLabel->setBuddy(FilterBox);

    CommandList = named(new QTableView(this), "CommandList");
    CommandList->setAccessibleName(QStringLiteral("Commands")); // no caption of its own
    CommandList->setModel(m_filter);
    CommandList->setItemDelegate(new CommandDelegate(CommandList));
    CommandList->setSelectionBehavior(QAbstractItemView::SelectRows);
    CommandList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    CommandList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    CommandList->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    CommandList->setWordWrap(false);
    CommandList->setTabKeyNavigation(false); // Tab leaves the list, as everywhere else
    CommandList->verticalHeader()->hide();
    // Fixed row heights: a long stream is laid out without measuring every row.
    CommandList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    CommandList->verticalHeader()->setDefaultSectionSize(CommandList->fontMetrics().height() + 6);
    QHeaderView *header = CommandList->horizontalHeader();
    header->setStretchLastSection(true);
    header->setHighlightSections(false);
    const int digit = CommandList->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    // Offsets of up to ten digits (10 GB sent) whole, with the cell's margins.
    const int cellMargins = 2 * (CommandList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, CommandList) + 1);
    header->resizeSection(CommandModel::Offset,
                          std::max(CommandList->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")),
                                   header->fontMetrics().horizontalAdvance(QStringLiteral("Offset")))
                              + cellMargins + 2);
    header->resizeSection(CommandModel::Bytes, digit * 19);
    header->resizeSection(CommandModel::Name, digit * 9);
    CommandList->installEventFilter(this);

    CommandCount = named(new QLabel(this), "CommandCount");
    CommandCount->setAccessibleName(QStringLiteral("Command count"));
    CommandCount->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    CopyButton = named(new QPushButton(QStringLiteral("C&opy"), this), "CopyButton");
    CopyButton->setToolTip(QStringLiteral("Copy the selected rows as text, one line each"));

    auto *top = new QHBoxLayout;
    top->addWidget(FilterLabel);
    top->addWidget(FilterBox, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(CommandCount, 1);
    bottom->addWidget(CopyButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addLayout(top);
    layout->addWidget(CommandList, 1);
    layout->addLayout(bottom);
    setTabOrder(FilterBox, CommandList);
    setTabOrder(CommandList, CopyButton);

    connect(FilterBox, &QLineEdit::textChanged, this, [this](const QString &text) {
        const std::optional<quint64> current = currentSequence();
        m_filter->setFilterFixedString(text);
        updateCount();
        // The row being read stays in view when the filter still shows it.
        if (current) {
            const int row = m_model->rowOf(*current);
            const QModelIndex shown = m_filter->mapFromSource(m_model->index(row, 0));
            if (shown.isValid())
                CommandList->scrollTo(shown, QAbstractItemView::PositionAtCenter);
        }
    });
    connect(CopyButton, &QPushButton::clicked, this, &CommandPanel::CopyButton_Click);
    connect(CommandList->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        emit currentChanged();
    });
    connect(CommandList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CommandPanel::updateButtons);
    QScrollBar *bar = CommandList->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this] {
        if (!m_refreshing)
            m_followEnd = showsEnd();
    });
    connect(bar, &QScrollBar::rangeChanged, this, &CommandPanel::rangeMoved);
    updateCount();
    updateButtons();
}

void CommandPanel::rangeMoved()
{
    if (m_refreshing)
        return;
    if (!m_followEnd) {
        m_followEnd = showsEnd(); // grown so that the end came into view
        return;
    }
    m_refreshing = true; // the move below is not the operator's
    CommandList->scrollToBottom();
    m_refreshing = false;
}

bool CommandPanel::showsEnd() const
{
    const QScrollBar *bar = CommandList->verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void CommandPanel::refresh(const CommandTrace *trace)
{
    // Where the operator reads: the row at the top of the list, unless the
    // list shows its end, which then goes on showing it.
    const bool following = m_followEnd;
    const QModelIndex topIndex = CommandList->indexAt(QPoint(0, 0));
    const QVariant topSequence = topIndex.data(CommandModel::SequenceRole);
    m_refreshing = true; // rows coming and going move the scroll bar, not the reader
    m_model->refresh(trace);
    // The scroll range follows the rows now, not on the next paint.
    CommandList->doItemsLayout();
    if (following) {
        CommandList->scrollToBottom();
    } else if (topSequence.isValid()) {
        const int row = m_model->rowOf(topSequence.value<quint64>());
        const QModelIndex top = m_filter->mapFromSource(m_model->index(row, 0));
        if (top.isValid())
            CommandList->verticalScrollBar()->setValue(top.row());
    }
    m_refreshing = false;
    m_followEnd = following || showsEnd();
    updateCount();
    updateButtons();
}

bool CommandPanel::selectSequence(quint64 sequence)
{
    const int row = m_model->rowOf(sequence);
    if (row < 0)
        return false;
    QModelIndex shown = m_filter->mapFromSource(m_model->index(row, 0));
    if (!shown.isValid()) {
        FilterBox->clear(); // the operator asked for this row: the filter must not hide it
        shown = m_filter->mapFromSource(m_model->index(row, 0));
    }
    CommandList->selectionModel()->setCurrentIndex(
        shown, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    CommandList->scrollTo(shown, QAbstractItemView::EnsureVisible);
    return true;
}

std::optional<quint64> CommandPanel::currentSequence() const
{
    const QVariant sequence = CommandList->currentIndex().data(CommandModel::SequenceRole);
    if (!sequence.isValid())
        return std::nullopt;
    return sequence.value<quint64>();
}

QString CommandPanel::selectedText() const
{
    QList<int> rows;
    const QModelIndexList selected = CommandList->selectionModel()->selectedRows();
    for (const QModelIndex &index : selected)
        rows.append(m_filter->mapToSource(index).row());
    std::sort(rows.begin(), rows.end());
    QString text;
    for (const int row : std::as_const(rows))
        text += m_model->rowText(row) + QLatin1Char('\n');
    return text;
}

void CommandPanel::CopyButton_Click()
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

bool CommandPanel::eventFilter(QObject *watched, QEvent *event)
{
    // The list's own Ctrl+C copies one cell; the operator wants the rows.
    if (watched == CommandList && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        CopyButton_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CommandPanel::updateCount()
{
    const int all = m_model->rowCount();
    const int shown = m_filter->rowCount();
    const QString text = FilterBox->text().isEmpty()
        ? (all == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(all))
        : QStringLiteral("%1 of %2 rows match").arg(shown).arg(all);
    if (CommandCount->text() != text) {
        CommandCount->setText(text);
        CommandCount->setAccessibleDescription(text);
    }
}

void CommandPanel::updateButtons()
{
    CopyButton->setEnabled(CommandList->selectionModel()->hasSelection());
}
