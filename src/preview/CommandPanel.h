#pragma once
// The Commands panel beside the paper: every command and text run sent, in
// the printer's own words, tied both ways to what it drew.
#include <QWidget>

#include <optional>

class CommandModel;
class CommandTrace;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
struct TraceEntry;

// Live rows follow the stream while the list shows its end; once the
// operator scrolls up or reads an earlier row, new rows leave the view where
// it is. The filter keeps the rows with its text in any column.
class CommandPanel : public QWidget {
    Q_OBJECT
public:
    explicit CommandPanel(QWidget *parent = nullptr);

    // The trace changed (or is another one): rows added and dropped.
    void refresh(const CommandTrace *trace);
    // Makes the entry's row current and brings it into view, clearing a
    // filter that hides it; false when the entry is no longer kept.
    bool selectSequence(quint64 sequence);
    // The entry of the current row, if any.
    std::optional<quint64> currentSequence() const;
    // The selected rows, oldest first, one line each as the simulator's log writes them.
    QString selectedText() const;
    void CopyButton_Click();

    CommandModel *model() const { return m_model; }
    QSortFilterProxyModel *filtered() const { return m_filter; }

    QLabel *FilterLabel = nullptr;
    QLineEdit *FilterBox = nullptr;
    QTableView *CommandList = nullptr;
    QLabel *CommandCount = nullptr;
    QPushButton *CopyButton = nullptr;

signals:
    // The current row changed: its entry, or none.
    void currentChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateCount();
    void updateButtons();
    bool showsEnd() const;
    void rangeMoved();

    // The end is in view (an empty list's too): new rows keep it there.
    // Kept as the view moves rather than read off the scroll bar when rows
    // come: its range may have grown meanwhile (a scroll bar that appeared
    // took room) without anyone scrolling.
    bool m_followEnd = true;
    bool m_refreshing = false;

    CommandModel *m_model = nullptr;
    QSortFilterProxyModel *m_filter = nullptr;
};
