// Symbols: barcodes (GS k), QR codes and the other 2D symbols (GS ( k,
// SymbolCommands2D.cpp), their modes' commands, the data stored for them,
// and the symbols cut at the printable width's edge. Drawn from libzint's
// modules on bands of their own. Not part of the interpreter's interface.
#pragma once

#include "printer/interpreter/PaperLayout.h"

#include <memory>

class SymbolEncoder;
struct Symbol;

class SymbolCommands
{
public:
    SymbolCommands(InterpreterContext &context, PaperLayout &layout);
    ~SymbolCommands();

    // GS H, GS h, GS w, GS f; false when it is none of them.
    bool runCommand(quint8 introducer, quint8 c);
    // GS k and GS ( k: their data is kept for finish().
    bool begin(quint8 introducer, quint8 c);
    // The data is in: print the barcode, or run the 2D symbol's function.
    void finish();
    // The stored data dropped, as ESC @ does.
    void initialize();

private:
    void printTextLine(const QByteArray &latin1, const ByteRange &source);
    void printBarcode(int type, const QByteArray &data);
    void printQr();
    // A symbol wider than the printable width is cut at its edge: said once, and kept for the view.
    void noteCutSymbol(const char *what, int dotWidth);
    // 2D symbols other than the QR code (SymbolCommands2D.cpp)
    void run2D(quint8 symbol, quint8 function);
    void print2D(quint8 symbol);
    void printModules(const Symbol &symbol, int moduleWidth, int rowUnit, DotImage::Kind kind, const char *name,
                      const QByteArray &data);

    InterpreterContext &m_context;
    PaperLayout &m_layout;
    int m_barcodeType = 0;
    QByteArray m_qrData;
    SymbolStore m_stored; // the other symbols' data
    std::unique_ptr<SymbolEncoder> m_symbols;
};
