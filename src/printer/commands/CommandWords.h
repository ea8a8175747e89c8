// The words of each command of PrinterCommands' table, and the helpers they
// share: for the table only, not part of its interface.
#pragma once

#include "printer/paper/CommandTrace.h"

#include <QString>

namespace PrinterCommands::Words {
constexpr int kShownText = 64; // characters of text or data in a meaning

quint8 at(const TraceEntry &e, int i);
int word(const TraceEntry &e, int i);
QString plural(int count, const char *one, const char *many);
QString outOfRange(const char *what, int value);
QString onOff(const char *what, quint8 n, const char *extra = "");
QString sizeWords(int width, int height);
// Printer bytes quoted as they print: through the page, set and two-byte
// encoding given (the defaults: PC437, USA, one byte a character).
QString quoted(const QByteArray &bytes, qint64 total, int page = 0, int international = 0,
               TwoByteCode twoByte = TwoByteCode::None);
QString wLineFeed(const TraceEntry &);
QString wIgnored(const TraceEntry &);
QString wTab(const TraceEntry &);
QString wInitialize(const TraceEntry &);
QString wPrintMode(const TraceEntry &e);
QString wEmphasized(const TraceEntry &e);
QString wDoubleStrike(const TraceEntry &e);
QString wUnderline(const TraceEntry &e);
QString wFont(const TraceEntry &e);
QString wJustification(const TraceEntry &e);
QString wCharacterSize(const TraceEntry &e);
QString wReverse(const TraceEntry &e);
QString wSpacing(const TraceEntry &e);
QString wDefaultSpacing(const TraceEntry &);
QString wLineSpacing(const TraceEntry &e);
QString wFeedLines(const TraceEntry &e);
QString wFeedDots(const TraceEntry &e);
QString wLeftMargin(const TraceEntry &e);
QString wPrintWidth(const TraceEntry &e);
QString wCodePage(const TraceEntry &e);
QString wCut(const TraceEntry &e);
QString wPartialCut(const TraceEntry &);
QString wRaster(const TraceEntry &e);
QString wColumnImage(const TraceEntry &e);
QString wBarcodeHeight(const TraceEntry &e);
QString wBarcodeModule(const TraceEntry &e);
QString wBarcodeText(const TraceEntry &e);
QString barcodeWords(const TraceEntry &e, int type, const QByteArray &data, qint64 length);
QString wBarcodeEnded(const TraceEntry &e);
QString wBarcodeCounted(const TraceEntry &e);
QString wQrCode(const TraceEntry &e);
QString wStatusRequest(const TraceEntry &e);
QString wRealTimeRequest(const TraceEntry &e);
QString wRealTimeCommand(const TraceEntry &e);
QString wTransmitStatus(const TraceEntry &e);
QString wPrinterId(const TraceEntry &e);
QString wAutomaticStatus(const TraceEntry &e);
QString wCondition(const TraceEntry &e);
QString wDrawerKick(const TraceEntry &e);
QString wMacroRecord(const TraceEntry &e);
QString wMacroNamed(const TraceEntry &e);
QString wText(const TraceEntry &e);
QString wInternational(const TraceEntry &e);
QString wTwoByteOn(const TraceEntry &e);
QString wTwoByteOff(const TraceEntry &);
QString wJapaneseCode(const TraceEntry &e);
QString wTwoByteMode(const TraceEntry &e);
// CommandWordsPage.cpp
QString wBell(const TraceEntry &);
QString wBeeper(const TraceEntry &e);
QString wBeeperPattern(const TraceEntry &e);
QString wUpsideDown(const TraceEntry &e);
QString wRotation(const TraceEntry &e);
QString wAbsolutePosition(const TraceEntry &e);
QString wRelativePosition(const TraceEntry &e);
QString wTabStops(const TraceEntry &e);
QString wMotionUnits(const TraceEntry &e);
QString wPageMode(const TraceEntry &);
QString wStandardMode(const TraceEntry &);
QString wPagePrint(const TraceEntry &);
QString wFormFeed(const TraceEntry &);
QString wCancel(const TraceEntry &);
QString wPageArea(const TraceEntry &e);
QString wPageDirection(const TraceEntry &e);
QString wVerticalAbsolute(const TraceEntry &e);
QString wVerticalRelative(const TraceEntry &e);
QString wBarcodeFont(const TraceEntry &e);
// CommandWordsGraphics.cpp
QString wGraphics(const TraceEntry &e);
QString wGraphicsLong(const TraceEntry &e);
QString wBitImages(const TraceEntry &e);
QString wBitImagePrint(const TraceEntry &e);
QString wSymbol2D(const TraceEntry &e);
} // namespace PrinterCommands::Words
