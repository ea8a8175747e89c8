#include "terminal/frmTerminal.h"

#include <QApplication>
#include <QIcon>
#include <QLineEdit>
#include <QSettings>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marlix Terminal"));
    QApplication::setOrganizationName(QStringLiteral("Marlix Terminal"));
    QApplication::setApplicationVersion(QStringLiteral("1.7.4"));
    // Matches the installed desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("rizeruzozo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/rizeruzozo-128.png")));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    frmTerminal window;
    window.show();
    window.Indata->setFocus();
    return app.exec();
}
