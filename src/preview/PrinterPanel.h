#pragma once
// The built-in printer's panel in the Receipt Preview: the roll, the cover,
// the drawers, the feed button and errors, as an operator handles a printer
// on the counter, and its three lamps. Every button calls the printer at
// once, so the next status request answers from what was pressed.
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <optional>

class QAction;
class QComboBox;
class QMenu;
class QProgressBar;
class QPushButton;
class VirtualPrinter;
enum class PrinterError : quint8;

// A lamp on the printer: a dot, lit or dark, and its word. A value display:
// its accessible name is what it is ("Power lamp"), its description what it
// shows ("lit: cover open"), updated with it.
class Lamp : public QLabel {
    Q_OBJECT
public:
    Lamp(const QString &word, QColor litColour, QWidget *parent = nullptr);
    void setLit(bool lit, const QString &why = QString());
    bool isLit() const { return m_lit; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_colour;
    bool m_lit = false;
    bool m_shown = false; // setLit() has run once
};

class PrinterPanel : public QWidget {
    Q_OBJECT
public:
    explicit PrinterPanel(QWidget *parent = nullptr);

    // The printer the controls act on and follow; null: none, and the panel hides.
    void setPrinter(VirtualPrinter *printer);
    VirtualPrinter *printer() const;

    QLabel *PaperWidthLabel = nullptr;
    QComboBox *PaperWidthBox = nullptr;
    QProgressBar *PaperGauge = nullptr;
    QPushButton *LoadPaperButton = nullptr;
    QPushButton *NearEndButton = nullptr;
    QPushButton *PaperOutButton = nullptr;
    QPushButton *CoverButton = nullptr;
    QPushButton *Drawer1Button = nullptr;
    QPushButton *Drawer2Button = nullptr;
    QPushButton *FeedButton = nullptr;
    QPushButton *ErrorButton = nullptr;
    QMenu *ErrorMenu = nullptr;
    QPushButton *RecoverButton = nullptr;
    Lamp *PowerLamp = nullptr;
    Lamp *ErrorLamp = nullptr;
    Lamp *PaperLamp = nullptr;

signals:
    // The operator chose the paper's width (in dots) for the printer.
    void paperWidthChosen(int dots);

private:
    void buildControls();
    QPushButton *button(const QString &caption, const char *name, const QString &tip);
    // Every control as the printer's state says.
    void follow();
    // ... also where a click left a toggle that the printer did not follow.
    void resync();

    // What the controls show: follow() does nothing while it stays the same
    // (the printer reports at every write it takes).
    struct Shown {
        bool printer = false;
        qint64 rollDots = 0;
        int paperWidth = 0; // the printer's setting, in dots
        int gauge = 0; // tenths of a metre left
        bool nearEnd = false, paperOut = false, cover = false, drawer1 = false, drawer2 = false;
        PrinterError error{};
        bool operator==(const Shown &) const = default;
    };

    QPointer<VirtualPrinter> m_printer;
    std::optional<Shown> m_shown;
    QList<QAction *> m_errorActions; // in the order of PrinterError, from Recoverable
};
