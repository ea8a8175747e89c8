#pragma once
// The macro manager window: list, record, play and remove the printer's
// macros, and transfer or clear its Extended Store. One instance per run,
// hidden rather than destroyed when closed; every load starts from the
// design state of the controls.
#include <QByteArray>
#include <QDialog>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class Session;

class frmMacro : public QDialog {
    Q_OBJECT
public:
    // doneMacro leaves macro mode; macroHelp opens the macro help document.
    frmMacro(Session &session, std::function<void()> doneMacro, std::function<void()> macroHelp,
             QWidget *mainWindow);

    // Shows the window; loads it first unless it is already loaded.
    void loadAndShow();
    bool isLoaded() const { return m_loaded; }
    bool MacroRecordActive() const { return m_recordActive; }
    // The list as the printer sent it, without its two leading characters.
    const QByteArray &macroStatusBytes() const { return m_statusBytes; }

    void MacroQuery_Click();
    void MacroRecord_Click();
    void MacroPlay_Click();
    void MacroDel_Click();
    void Transfer_Click();
    void Clearext_Click();
    void Helpme_Click();
    void OKButton_Click();

    // Design position (pixels); only the left edge follows the main window.
    static constexpr int kDesignTop = 120;

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void buildControls();
    void Form_Initialize(QWidget *mainWindow);
    void resetToDesignState();
    void Form_Load();
    void Form_Unload();
    void RefreshMacroList();
    void send(const QByteArray &command);
    void showStatus(const QByteArray &reply);

    Session &m_s;
    std::function<void()> m_doneMacro;
    std::function<void()> m_macroHelp;
    bool m_recordActive = false;
    bool m_loaded = false;
    bool m_unloading = false;
    QByteArray m_statusBytes;

public:
    // Controls, named as the design names them, in form order.
    QGroupBox *ExtStrFram = nullptr;
    QPushButton *Transfer = nullptr;
    QPushButton *Clearext = nullptr;
    QPushButton *Helpme = nullptr;
    QCheckBox *PrtQuery = nullptr;
    QCheckBox *Silent = nullptr;
    QPushButton *MacroDel = nullptr;
    QPlainTextEdit *MacroStatus = nullptr;
    QPushButton *MacroQuery = nullptr;
    QPushButton *MacroRecord = nullptr;
    QPushButton *MacroPlay = nullptr;
    QLineEdit *MacroName = nullptr;
    QPushButton *OKButton = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;
};
