// The simulator operator's lines, each made into a call on the printer.
#include "OperatorWords.h"

#include "printer/device/VirtualPrinter.h"

#include <QStringList>

namespace OperatorWords {

QString list()
{
    return QStringLiteral(
        "actions, one a line:\n"
        "  paper out | paper near-end | paper load\n"
        "  cover open | cover close\n"
        "  drawer 1 open | drawer 1 close | drawer 2 open | drawer 2 close\n"
        "  feed                 press the feed button once\n"
        "  error recoverable | error autocutter | error unrecoverable | error auto\n"
        "  recover              end the error\n"
        "  state                the whole state on one line\n"
        "  help                 this list");
}

bool act(VirtualPrinter &printer, const QString &line, QString *text)
{
    text->clear();
    const QString action = line.simplified().toLower();
    const QStringList words = action.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto is = [&action](const char *text) { return action == QLatin1String(text); };
    if (words.isEmpty()) {
        return true;
    } else if (is("help")) {
        *text = list();
    } else if (is("state")) {
        *text = QStringLiteral("state: ") + printer.stateText();
    } else if (is("paper out")) {
        printer.paperOut();
    } else if (is("paper near-end")) {
        printer.paperNearEnd();
    } else if (is("paper load")) {
        printer.loadPaper();
    } else if (is("cover open") || is("cover close")) {
        printer.openCover(words[1] == QLatin1String("open"));
    } else if (words.size() == 3 && words[0] == QLatin1String("drawer") && (words[1] == QLatin1String("1") || words[1] == QLatin1String("2"))
               && (words[2] == QLatin1String("open") || words[2] == QLatin1String("close"))) {
        printer.setDrawer(words[1].toInt(), words[2] == QLatin1String("open"));
    } else if (is("feed")) {
        printer.feedButton();
    } else if (is("error recoverable")) {
        printer.setError(PrinterError::Recoverable);
    } else if (is("error autocutter")) {
        printer.setError(PrinterError::Autocutter);
    } else if (is("error unrecoverable")) {
        printer.setError(PrinterError::Unrecoverable);
    } else if (is("error auto")) {
        printer.setError(PrinterError::AutoRecoverable);
    } else if (is("recover")) {
        printer.recover();
    } else {
        *text = QStringLiteral("unknown action \"%1\": type help for the list").arg(line.trimmed());
        return false;
    }
    return true;
}

} // namespace OperatorWords
