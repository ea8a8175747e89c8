#include "config/ConfigScrn.h"

ConfigScrn::ConfigScrn(Link &link, POSPrinter &port, std::function<void()> dispPort, QWidget *parent)
    : QDialog(parent), m_link(link), m_port(port), m_dispPort(std::move(dispPort))
{
}

void ConfigScrn::Form_Load() {}
