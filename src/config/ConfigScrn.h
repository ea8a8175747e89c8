#pragma once
// "Communication Settings": port and line parameters, written straight into the link variables.
#include <QDialog>
#include <QList>
#include <functional>

class Link;
class POSPrinter;
class QAbstractButton;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class ConfigScrn : public QDialog {
    Q_OBJECT
public:
    // dispPort refreshes the main window's port display (after OK).
    ConfigScrn(Link &link, POSPrinter &port, std::function<void()> dispPort, QWidget *parent = nullptr);
    // Fills the dialog from the current link variables (every time it is shown).
    void Form_Load();
    // Where the window serves a point-of-sale program: current gives what it
    // serves on now ("" for off); apply serves on a new place at OK and
    // answers "" or why it cannot, which keeps the dialog open to say so.
    void setPassThrough(std::function<QString()> current, std::function<QString(const QString &)> apply);

    // A port list entry as listed: at most the first two TABs become four blanks each.
    static QString listedEntry(QString entry);
    // The port name a chosen entry stands for: its characters up to the first
    // one below "0"; a full path or a tcp:// name up to its first blank or TAB.
    static QString portNameOfEntry(const QString &text);
    // The port box's tool tip for its text: says when the line settings do not apply.
    static QString portToolTip(const QString &text);

    void AvalPorts_Click();
    void OKButton_Click();
    void CancelButton_Click();

    // Escape and the close box end here.
    void reject() override;

    QComboBox *AvalPorts = nullptr;
    QGroupBox *Frame1 = nullptr;
    QRadioButton *Baud230 = nullptr;
    QRadioButton *Baud576 = nullptr;
    QRadioButton *Baud384 = nullptr;
    QRadioButton *Baud192 = nullptr;
    QRadioButton *Baud24 = nullptr;
    QRadioButton *Baud48 = nullptr;
    QRadioButton *Baud96 = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
    QGroupBox *Frame2 = nullptr;
    QRadioButton *Data7 = nullptr;
    QRadioButton *Data8 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QRadioButton *Stop1 = nullptr;
    QRadioButton *Stop2 = nullptr;
    QGroupBox *Frame4 = nullptr;
    QRadioButton *NoParity = nullptr;
    QRadioButton *OddParity = nullptr;
    QRadioButton *EvenParity = nullptr;
    QGroupBox *Frame5 = nullptr;
    QRadioButton *NoFlow = nullptr;
    QRadioButton *XonFlow = nullptr;
    QRadioButton *Hardware = nullptr;
    QLabel *ServeLabel = nullptr;
    QLineEdit *ServeOn = nullptr;   // "" = off; a path (a pty) or tcp://HOST:PORT
    QLabel *ServeProblem = nullptr; // why OK did not take it; hidden when nothing is wrong

private:
    // One option button: the variable it sets and the value it stands for.
    enum class Var { Baud, DataBits, StopBits, Parity, Flow };
    struct Option {
        QRadioButton *button;
        Var var;
        QString value;
    };

    void buildControls();
    QRadioButton *option(QGroupBox *frame, const char *name, const QString &caption, Var var,
                         const QString &value);
    QString current(Var var) const;
    void write(Var var, const QString &value);
    static void uncheck(QAbstractButton *button);
    void buildServeControls(class QGridLayout *grid, int row);
    void showServeProblem(const QString &why);

    Link &m_link;
    POSPrinter &m_port;
    std::function<void()> m_dispPort;
    QList<Option> m_options;
    std::function<QString()> m_currentServe;
    std::function<QString(const QString &)> m_applyServe;
};
