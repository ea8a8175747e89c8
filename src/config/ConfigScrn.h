#pragma once
// "Communication Settings": port and line parameters, written straight into the link variables.
#include <QDialog>
#include <functional>

class Link;
class POSPrinter;

class ConfigScrn : public QDialog {
    Q_OBJECT
public:
    // dispPort refreshes the main window's port display (after OK).
    ConfigScrn(Link &link, POSPrinter &port, std::function<void()> dispPort, QWidget *parent = nullptr);
    // Fills the dialog from the current link variables (every time it is shown).
    void Form_Load();

private:
    Link &m_link;
    POSPrinter &m_port;
    std::function<void()> m_dispPort;
};
