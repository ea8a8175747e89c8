#pragma once
// "Receipt Preview": the paper the printer prints from the bytes the terminal
// sent, live, drawn by the virtual printer's own interpreter and renderer.
#include "preview/PaperView.h"
#include "preview/RedrawPacer.h"
#include "session/SettingsStore.h"
#include "widgets/WindowPlace.h"

#include <QWidget>

#include <memory>
#include <optional>

class CommandPanel;
class Operator;
class PaperFeed;
class PrinterPanel;
class QCheckBox;
class QComboBox;
class QSplitter;
class QLabel;
class QPushButton;
class ReceiptInterpreter;
class ReceiptRenderer;
class VirtualPrinter;
struct TraceEntry;

// A modeless window, one instance, created on first use. The paper is the
// main window's: it has every byte the port took, also while this window is
// closed, so opening it shows what was already sent. The window redraws
// (and so prints what came) kRedrawMs after bytes come, every kStreamRedrawMs
// while they keep coming; the Commands rows kRowsMs and kStreamRowsMs.
class ReceiptPreview : public QWidget {
    Q_OBJECT
public:
    ReceiptPreview(PaperFeed &feed, Operator &op, QWidget *parent = nullptr);
    ~ReceiptPreview() override;

    static constexpr int kRedrawMs = 40;
    static constexpr int kStreamRedrawMs = 100; // while bytes keep coming
    static constexpr int kRowsMs = 120; // the Commands panel's rows, after bytes come
    static constexpr int kStreamRowsMs = 250; // ... and while they keep coming

    // Port > Receipt Preview: placed where it was last (or beside the main
    // window) the first time, then shown, raised and activated.
    void showPreview();
    // The interpreter was fed: a redraw is due (none while the window is closed).
    void paperFed();
    // Size and position to the settings (see WindowPlace).
    void savePlace();

    // The port is the built-in printer (its panel shows under the tool bar), or not (null).
    void setBuiltInPrinter(VirtualPrinter *printer);

    void ClearButton_Click();
    // Puts the printer as at power on (the built-in printer, else the paper's).
    void ResetButton_Click();
    void SaveButton_Click();
    void ZoomBox_Click(int index);
    // Shows or hides the Commands panel; kept in the settings.
    void CommandsCheck_Click(bool shown);
    // The printer's two-byte encoding (what FS & reads); kept in the settings
    // as PreviewCjk. Bytes already printed stay as they are.
    void CjkBox_Click(int index);
    // The info line's text: receipts, the shown one, the open one's length, unknown commands.
    QString infoText() const;
    // The paper's accessible description: the receipt count and the open receipt's length.
    QString paperDescription() const;

    QLabel *ZoomLabel = nullptr;
    QComboBox *ZoomBox = nullptr;
    QCheckBox *CommandsCheck = nullptr;
    QLabel *CjkLabel = nullptr;
    QComboBox *CjkBox = nullptr;
    QPushButton *ClearButton = nullptr;
    QPushButton *SaveButton = nullptr;
    QPushButton *ResetButton = nullptr;
    PrinterPanel *Panel = nullptr;
    QSplitter *Split = nullptr;
    PaperView *Paper = nullptr;
    CommandPanel *Commands = nullptr;
    QLabel *PreviewInfo = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    // The tool bar in as many rows as the window's width needs.
    void arrangeTools(int width);
    void place();
    void redraw();
    void refreshRows();
    void updateInfo();
    // The current row's drawing marked on the paper; scrolled into view on request.
    void updateMark(bool reveal);
    // The selected Commands row's entry, if the panel shows and the receipt
    // it drew is kept, with that receipt's index on the paper.
    const TraceEntry *selectedEntry(int *index) const;
    // The receipt the info line names and Save saves: the selected row's,
    // else the one at the middle of the view; -1 for none.
    int receiptInView() const;
    void paperClicked(int index, QPoint dot);
    bool saveReceipt(const Receipt &receipt, const QString &path);

    // The paper, up to date (what waits printed first): the one way to it.
    ReceiptInterpreter &printedPaper() const;
    VirtualPrinter *m_printer = nullptr; // the built-in printer, when it is the port
    QMetaObject::Connection m_printerState;

    PaperFeed &m_feed;
    Operator &m_op;
    std::unique_ptr<ReceiptRenderer> m_renderer;
    RedrawPacer m_redraw; // the paper
    RedrawPacer m_rows;   // the Commands panel's rows
    quint64 m_drawnRevision = ~quint64(0);
    class QVBoxLayout *m_tools = nullptr;
    QList<int> m_toolRows; // the row each group of tools is in
    bool m_placed = false;
    WindowPlace m_place;
    QString m_lastSaved; // the next Save starts beside it
    qsizetype m_dropped = 0; // waiting bytes the last Reset Printer dropped
    quint64 m_droppedAt = 0; // ... and the paper's revision then
    int m_panelAdded = 0;     // what showing the Commands panel added to the width
    int m_widthWithPanel = 0; // ... and the width it gave
    int m_movedLeft = 0;      // how far showing it moved the window, to stay on the screen
    QPoint m_placeWithPanel;  // ... and where it moved it
};
