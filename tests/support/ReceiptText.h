#pragma once
// Receipts as lines of text, for tables of expected receipts:
//   "receipt 1 full 60"     a receipt: its number, cut (full, partial, auto, open) and length in dots
//   "line 0 30"             a printed line: y, height
//   "text 12 0 AB E 2x1"    a text run: x, y, its bytes (\xHH beyond ASCII), then what is not plain:
//                           B (font B), E (emphasized), U1/U2, R (reverse), WxH, spN (spacing), cpN (code page),
//                           V (ESC V: turned characters), turnN (the run turned N quarters clockwise)
//   "raster 0 30 16x2 F00F 8001"
//                           an image (raster, column, barcode, qr, symbol): x, y, size, and for one up to
//                           32 x 8 dots its rows in hex
//   "feed 30 16"            paper fed: y, dots
#include "printer/paper/Receipt.h"

#include <QStringList>

class ReceiptInterpreter;

// Building printer streams in tests.
namespace PrinterBytes {
inline const QByteArray ESC("\x1B");
inline const QByteArray GS("\x1D");
inline const QByteArray FS("\x1C");
inline const QByteArray DLE("\x10");
QByteArray n(int value);    // one byte
QByteArray word(int value); // low byte, high byte
// GS ( k with its length: a QR code function ("1P0" + data, "1Q0", ...).
QByteArray qrFunction(const QByteArray &function);
}

QStringList describeReceipt(const Receipt &receipt);
// Every finished receipt, then the end of the stream (finish()).
QStringList describeAll(ReceiptInterpreter &interpreter);
// Only the "receipt ..." lines.
QStringList receiptHeaders(const QStringList &description);
// The stream fed in chunks of the given sizes, repeated (empty: whole).
void feedInChunks(ReceiptInterpreter &interpreter, const QByteArray &stream, const QList<int> &sizes);
