#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Barcodes and QR codes through libzint: the symbol's modules, one pixel
// each, for the interpreter to draw at the module size the stream chose.
struct Symbol
{
    QImage modules;  // Format_Mono, index 1 dark; a linear barcode is one row
    QByteArray text; // the human-readable text, Latin-1
    QString error;   // libzint's reason when it refused the data

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

private:
    QByteArray m_qrData;
    int m_qrEcc = 0;
    Symbol m_qr;
};
