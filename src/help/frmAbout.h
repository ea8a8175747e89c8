#pragma once
#include <QDialog>

class Operator;
class QFrame;
class QLabel;
class QPushButton;

// "About Marlix Terminal": title, version, description and the legal line.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(Operator &op, QWidget *parent = nullptr);

    // "300-05171 Version 1.7.4": plain decimal numbers, no leading zeros.
    static QString versionText(int major, int minor, int revision);

    void cmdOK_Click();
    void cmdSysInfo_Click();
    // There is no system-information tool to start here: it says so.
    void StartSysInfo();

    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblDisclaimer = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;

private:
    Operator &m_op;
};
