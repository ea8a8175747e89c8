// The words of the position, page mode, rotation and beeper commands.
#include "printer/commands/CommandWords.h"

#include "printer/commands/PrinterCommands.h"

namespace PrinterCommands::Words {

QString wBell(const TraceEntry &) { return QStringLiteral("beeper: one beep; nothing printed"); }

QString wBeeper(const TraceEntry &e)
{
    if (at(e, 2) == 0)
        return QStringLiteral("beeper: 0 times, no beep");
    return QStringLiteral("beeper: %1, %2 ms each; nothing printed").arg(plural(at(e, 2), "time", "times")).arg(at(e, 3) * 50);
}

QString wBeeperPattern(const TraceEntry &e)
{
    return QStringLiteral("beeper: function %1 (%2); nothing printed")
        .arg(QString::number(at(e, 5), 16).toUpper(), plural(std::max(0, word(e, 3) - 1), "parameter", "parameters"));
}

QString wUpsideDown(const TraceEntry &e) { return onOff("upside-down printing", at(e, 2), " from the line being started"); }

QString wRotation(const TraceEntry &e)
{
    const int choice = smallChoice(at(e, 2), 3);
    if (choice < 0)
        return outOfRange("90 degree rotation", at(e, 2));
    return choice ? QStringLiteral("90 degree rotation: on") : QStringLiteral("90 degree rotation: off");
}

QString wAbsolutePosition(const TraceEntry &e)
{
    return QStringLiteral("print position: %1 from the start of the line").arg(plural(word(e, 2), "dot", "dots"));
}

QString wRelativePosition(const TraceEntry &e)
{
    const int move = qint16(word(e, 2));
    return QStringLiteral("print position: %1 %2").arg(move < 0 ? "back" : "on").arg(plural(std::abs(move), "dot", "dots"));
}

QString wTabStops(const TraceEntry &e)
{
    QStringList stops;
    for (const char byte : e.bytes.mid(2)) {
        if (byte == 0)
            break;
        stops << QString::number(quint8(byte));
    }
    if (stops.isEmpty())
        return QStringLiteral("tab stops: none (HT moves nowhere)");
    return QStringLiteral("tab stops at characters ") + stops.join(QStringLiteral(", "));
}

QString wMotionUnits(const TraceEntry &e)
{
    return QStringLiteral("motion units: %1, %2 (positions stay in the printer's 203 dpi dots)").arg(at(e, 2)).arg(at(e, 3));
}

QString wPageMode(const TraceEntry &) { return QStringLiteral("page mode: on, a page laid out until FF prints it"); }
QString wStandardMode(const TraceEntry &) { return QStringLiteral("standard mode: the page dropped unprinted"); }
QString wPagePrint(const TraceEntry &) { return QStringLiteral("page mode: print the page and keep it"); }
QString wFormFeed(const TraceEntry &) { return QStringLiteral("page mode: print the page, back to standard mode"); }
QString wCancel(const TraceEntry &) { return QStringLiteral("page mode: the page emptied"); }

QString wPageArea(const TraceEntry &e)
{
    return QStringLiteral("page area: %1 x %2 dots at %3, %4").arg(word(e, 6)).arg(word(e, 8)).arg(word(e, 2)).arg(word(e, 4));
}

QString wPageDirection(const TraceEntry &e)
{
    static const char *const directions[] = {"left to right, from the upper left", "bottom to top, from the lower left",
                                             "right to left, from the lower right", "top to bottom, from the upper right"};
    const int choice = smallChoice(at(e, 2), 4);
    return choice < 0 ? outOfRange("page direction", at(e, 2)) : QStringLiteral("page direction: ") + QLatin1String(directions[choice]);
}

QString wVerticalAbsolute(const TraceEntry &e)
{
    return QStringLiteral("page mode: vertical position %1").arg(plural(word(e, 2), "dot", "dots"));
}

QString wVerticalRelative(const TraceEntry &e)
{
    const int move = qint16(word(e, 2));
    return QStringLiteral("page mode: vertical position %1 %2").arg(move < 0 ? "up" : "down").arg(plural(std::abs(move), "dot", "dots"));
}

QString wBarcodeFont(const TraceEntry &e)
{
    const int choice = smallChoice(at(e, 2), 2);
    if (choice < 0)
        return outOfRange("barcode text font", at(e, 2));
    return choice ? QStringLiteral("barcode text font: B") : QStringLiteral("barcode text font: A");
}

} // namespace PrinterCommands::Words
