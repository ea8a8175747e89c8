#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

// Barcodes and QR codes through libzint: the symbol's modules, one pixel
// each, for the interpreter to draw at the module size the stream chose.
struct Symbol
{
    QImage modules;  // Format_Mono, index 1 dark; a linear barcode is one row
    QByteArray text; // the human-readable text, Latin-1
    // What a scanner reads of it where the data sent holds more than the
    // symbol's characters (CODE128's code set selections and function
    // codes); empty when it reads the data as sent.
    QByteArray scanned;
    QString error;   // libzint's reason when it refused the data
    // 2D symbols: each row's height in modules (empty: one each). A MaxiCode,
    // whose modules are hexagons, comes as dots to print as they are.
    QList<int> rowHeights;
    bool inDots = false;

    bool isValid() const { return error.isEmpty() && !modules.isNull(); }
};

class SymbolEncoder
{
public:
    // The barcode types in the order of GS k 41-49: 0 UPC-A, 1 UPC-E,
    // 2 EAN-13, 3 EAN-8, 4 CODE39, 5 ITF, 6 CODABAR, 7 CODE93, 8 CODE128.
    enum Type { UpcA, UpcE, Ean13, Ean8, Code39, Itf, Codabar, Code93, Code128, TypeCount };

    Symbol barcode(int type, const QByteArray &data) const;
    // ecc: 1 L, 2 M, 3 Q, 4 H. The last symbol is kept: a stream that prints
    // the same stored data again does not encode it again.
    Symbol qrCode(const QByteArray &data, int ecc);

    // The other 2D symbols (Symbols2D.cpp). GS1 data gives its application
    // identifiers in parentheses: "(01)09501101530003(17)250101".
    static Symbol pdf417(const QByteArray &data, int columns, int rows, int eccLevel, bool truncated);
    static Symbol maxiCode(const QByteArray &data, int mode);
    // type: 72 stacked, 73 stacked omnidirectional, 76 expanded stacked;
    // an expanded stacked symbol's rows at most widest modules wide (0: as libzint likes)
    static Symbol dataBar(int type, const QByteArray &data, int widest = 0);
    // linearType: 65 EAN-8, 66 EAN-13, 67 UPC-A, 68 UPC-E (6 digits), 69 UPC-E
    // (11 digits), 70-76 the GS1 DataBar kinds, 77 GS1-128
    static Symbol composite(int linearType, const QByteArray &linear, const QByteArray &twoD, int widest = 0);
    static Symbol aztec(const QByteArray &data, bool compact, int layers, int eccPercent);
    static Symbol dataMatrix(const QByteArray &data, bool rectangle, int columns, int rows);

private:
    QByteArray m_qrData;
    int m_qrEcc = 0;
    Symbol m_qr;
};
