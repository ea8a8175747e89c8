#include "preview/CommandModel.h"

#include "printer/paper/CommandTrace.h"
#include "printer/commands/PrinterCommands.h"

#include <QColor>
#include <QFont>

namespace {
const QColor kUnknownInk(0xa4, 0x00, 0x1d);
constexpr int kShownBytes = 6;
} // namespace

CommandModel::CommandModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void CommandModel::refresh(const CommandTrace *trace)
{
    const quint64 first = trace ? trace->firstSequence() : 0;
    const quint64 end = trace ? trace->endSequence() : 0;
    const quint64 shownEnd = m_first + quint64(m_count);
    if (trace != m_trace || first > shownEnd || end < shownEnd) {
        // Another trace, or one that was cleared: nothing shown is kept.
        beginResetModel();
        m_trace = trace;
        m_first = first;
        m_count = int(end - first);
        endResetModel();
        return;
    }
    if (first > m_first) {
        const int dropped = int(first - m_first);
        beginRemoveRows({}, 0, dropped - 1);
        m_first = first;
        m_count -= dropped;
        endRemoveRows();
    }
    if (end > m_first + quint64(m_count)) {
        const int added = int(end - m_first) - m_count;
        beginInsertRows({}, m_count, m_count + added - 1);
        m_count += added;
        endInsertRows();
    }
}

const TraceEntry *CommandModel::entryAt(int row) const
{
    if (!m_trace || row < 0 || row >= m_count)
        return nullptr;
    return m_trace->entry(m_first + quint64(row));
}

int CommandModel::rowOf(quint64 sequence) const
{
    if (sequence < m_first || sequence >= m_first + quint64(m_count))
        return -1;
    return int(sequence - m_first);
}

QString CommandModel::rowText(int row) const
{
    const TraceEntry *entry = entryAt(row);
    return entry ? PrinterCommands::logLine(*entry) : QString();
}

int CommandModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int CommandModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CommandModel::data(const QModelIndex &index, int role) const
{
    const TraceEntry *entry = entryAt(index.row());
    if (!entry)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case Offset: return QString::number(entry->range.begin);
        case Bytes: return PrinterCommands::hex(*entry, kShownBytes);
        case Name: return PrinterCommands::name(*entry);
        case Meaning: return PrinterCommands::meaning(*entry);
        default: return {};
        }
    case Qt::ToolTipRole:
        // The whole of what the columns may cut short.
        return QStringLiteral("%1: %2\nbytes %3 to %4: %5")
            .arg(PrinterCommands::name(*entry), PrinterCommands::meaning(*entry))
            .arg(entry->range.begin)
            .arg(entry->range.end - 1)
            .arg(PrinterCommands::hex(*entry, TraceEntry::kKeptBytes));
    case Qt::TextAlignmentRole:
        return index.column() == Offset ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::ForegroundRole:
        return entry->isUnknown() ? QVariant(kUnknownInk) : QVariant();
    case Qt::FontRole:
        if (entry->isUnknown()) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case SequenceRole:
        return QVariant::fromValue(entry->sequence);
    case UnknownRole:
        return entry->isUnknown();
    default:
        return {};
    }
}

QVariant CommandModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Offset: return QStringLiteral("Offset");
    case Bytes: return QStringLiteral("Bytes");
    case Name: return QStringLiteral("Command");
    case Meaning: return QStringLiteral("Meaning");
    default: return {};
    }
}
