// marlix-command-table: writes the table of the commands the virtual printer
// understands, in the words of src/printer/commands/PrinterCommands.cpp, into a help
// page between its markers. The build's "update-command-table" target runs it
// on docs/MXCmd.htm; tst_command_trace fails while the page differs.
#include "printer/commands/PrinterCommands.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: marlix-command-table PAGE.htm\n");
        return 2;
    }
    QFile file(arguments[1]);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "marlix-command-table: %s: %s\n", qPrintable(file.fileName()), qPrintable(file.errorString()));
        return 1;
    }
    QString page = QString::fromUtf8(file.readAll());
    file.close();
    const QString before = page;
    if (!PrinterCommands::replaceHtmlTable(&page)) {
        std::fprintf(stderr, "marlix-command-table: %s: the markers of the table are missing\n", qPrintable(file.fileName()));
        return 1;
    }
    if (page == before)
        return 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(page.toUtf8()) < 0 || !file.flush()) {
        std::fprintf(stderr, "marlix-command-table: %s: %s\n", qPrintable(file.fileName()), qPrintable(file.errorString()));
        return 1;
    }
    std::printf("marlix-command-table: %s updated\n", qPrintable(file.fileName()));
    return 0;
}
