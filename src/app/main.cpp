#include "terminal/StartOptions.h"
#include "terminal/frmTerminal.h"

#include <QApplication>
#include <QIcon>
#include <QLineEdit>
#include <QSettings>

#include <cstdio>

static void nameTheApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Marlix Terminal"));
    QCoreApplication::setOrganizationName(QStringLiteral("Marlix Terminal"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MARLIX_VERSION));
}

int main(int argc, char **argv)
{
    StartOptions options;
    {
        // --help, --version and a bad option are answered before any window
        // system is asked for, so they work with no display at all.
        QCoreApplication probe(argc, argv);
        nameTheApplication();
        options = parseStartOptions(QCoreApplication::arguments());
    }
    if (options.exitCode) {
        std::fputs(options.output.toLocal8Bit().constData(), stdout);
        if (!options.error.isEmpty())
            std::fprintf(stderr, "%s\n", options.error.toLocal8Bit().constData());
        return *options.exitCode;
    }

    QApplication app(argc, argv);
    nameTheApplication();
    // Matches the installed desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("rizeruzozo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/rizeruzozo-128.png")));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    frmTerminal window;
    applyStartOptions(window, options);
    // A logout, kill or closed terminal ends the program as File > Exit does.
    window.endOnQuitSignals();
    window.show();
    window.Indata->setFocus();
    return app.exec();
}
