#pragma once
// The command trace as rows: one per command or text run the printer was
// sent, with its offset, bytes, name and meaning.
#include <QAbstractTableModel>

class CommandTrace;
struct TraceEntry;

// Rows are the trace's kept entries, oldest first. The trace itself changes
// only between refresh() calls: then the rows it dropped at the front are
// removed and the new ones appended, so views and selections keep their
// rows. Words come from PrinterCommands, as the simulator's log has them.
class CommandModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Offset, Bytes, Name, Meaning, ColumnCount };
    static constexpr int SequenceRole = Qt::UserRole + 1; // the entry's sequence number (quint64)
    static constexpr int UnknownRole = Qt::UserRole + 2;  // true for an unknown command

    explicit CommandModel(QObject *parent = nullptr);

    // Follows the trace (null: no rows).
    void refresh(const CommandTrace *trace);

    const TraceEntry *entryAt(int row) const;
    // The row of an entry, -1 when it is not kept.
    int rowOf(quint64 sequence) const;
    // One line per row, as the simulator's --decode log writes it.
    QString rowText(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const CommandTrace *m_trace = nullptr;
    quint64 m_first = 0; // the sequence of row 0
    int m_count = 0;
};
