#pragma once
// "Receipt Preview": the paper the printer prints from the bytes the terminal
// sent, live, drawn by the virtual printer's own interpreter and renderer.
#include "preview/PaperView.h"
#include "session/SettingsStore.h"

#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class CommandPanel;
class Operator;
class QCheckBox;
class QComboBox;
class QSplitter;
class QLabel;
class QPushButton;
class ReceiptInterpreter;
class ReceiptRenderer;

// A modeless window, one instance, created on first use. The interpreter is
// the main window's: it is fed every byte the port took, also while this
// window is closed, so opening it shows what was already sent. While bytes
// stream in the window redraws at most every kRedrawMs, the Commands rows every kRowsMs.
class ReceiptPreview : public QWidget {
    Q_OBJECT
public:
    ReceiptPreview(ReceiptInterpreter &paper, Operator &op, QWidget *parent = nullptr);
    ~ReceiptPreview() override;

    static constexpr int kRedrawMs = 40;
    static constexpr int kRowsMs = 120; // the Commands panel's rows, while bytes stream in
    static constexpr int kTwipsPerPixel = 15;

    // Port > Receipt Preview: placed where it was last (or beside the main
    // window) the first time, then shown, raised and activated.
    void showPreview();
    // The interpreter was fed: a redraw is due (none while the window is closed).
    void paperFed();
    // Size and position to the settings, in twips; a window that was neither
    // moved nor resized saves what it loaded, so nothing drifts.
    void savePlace();

    void ClearButton_Click();
    void SaveButton_Click();
    void ZoomBox_Click(int index);
    // Shows or hides the Commands panel; kept in the settings.
    void CommandsCheck_Click(bool shown);
    // The printer's two-byte encoding (what FS & reads); kept in the settings
    // as PreviewCjk. Bytes already printed stay as they are.
    void CjkBox_Click(int index);
    // The stored encoding given to the main window's printer when it is made,
    // so that bytes sent before the window is first opened print alike.
    static void applyStoredEncoding(ReceiptInterpreter &paper);

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
    QSplitter *Split = nullptr;
    PaperView *Paper = nullptr;
    CommandPanel *Commands = nullptr;
    QLabel *PreviewInfo = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void place();
    void redraw();
    void refreshRows();
    void updateInfo();
    // The current row's drawing marked on the paper; scrolled into view on request.
    void updateMark(bool reveal);
    void paperClicked(int index, QPoint dot);
    bool saveReceipt(const Receipt &receipt, const QString &path);

    ReceiptInterpreter &m_paper;
    Operator &m_op;
    std::unique_ptr<ReceiptRenderer> m_renderer;
    QTimer m_redraw;
    QTimer m_rows;
    quint64 m_drawnRevision = ~quint64(0);
    bool m_placed = false;
    std::optional<SettingsStore::WindowPlace> m_stored; // as loaded, in twips
    QPoint m_loadedPos;                                  // ... and in pixels
    QSize m_loadedSize;
    QString m_lastSaved; // the next Save starts beside it
    int m_panelAdded = 0;     // what showing the Commands panel added to the width
    int m_widthWithPanel = 0; // ... and the width it gave
};
