#include "printer/symbols/Symbols.h"

#include <zint.h>

#include <memory>

namespace {
struct SymbolDeleter
{
    void operator()(zint_symbol *symbol) const { ZBarcode_Delete(symbol); }
};

QImage monoImage(int width, int height)
{
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({qRgba(0, 0, 0, 0), qRgb(0, 0, 0)});
    image.fill(0);
    return image;
}

// rows: how many bitmap rows to keep (1 for a linear barcode, whose every
// row is the same once the guard bars are left out).
Symbol encode(int symbology, const QByteArray &data, int option1, bool linear)
{
    std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    Symbol result;
    if (!symbol) {
        result.error = QStringLiteral("Error: out of memory");
        return result;
    }
    symbol->symbology = symbology;
    symbol->input_mode = DATA_MODE;
    symbol->scale = 0.5f; // one bitmap pixel per module
    symbol->show_hrt = 0;
    symbol->output_options = BARCODE_NO_QUIET_ZONES;
    if (option1 > 0)
        symbol->option_1 = option1;
    const int status = ZBarcode_Encode_and_Buffer(symbol.get(), reinterpret_cast<const unsigned char *>(data.constData()),
                                                  int(data.size()), 0);
    if (status >= ZINT_ERROR || !symbol->bitmap || symbol->bitmap_width <= 0 || symbol->bitmap_height <= 0) {
        result.error = QString::fromLatin1(symbol->errtxt);
        if (result.error.isEmpty())
            result.error = QStringLiteral("Error: the data cannot be encoded");
        return result;
    }
    const int width = symbol->bitmap_width;
    const int height = linear ? 1 : symbol->bitmap_height;
    result.modules = monoImage(width, height);
    for (int y = 0; y < height; ++y) {
        const unsigned char *row = symbol->bitmap + qsizetype(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            if (row[x * 3] < 128)
                result.modules.setPixel(x, y, 1);
        }
    }
    result.text = QString::fromUtf8(reinterpret_cast<const char *>(symbol->text)).toLatin1();
    return result;
}

// CODE128 data names its code set ("{A", "{B", "{C") and may switch sets or
// send function codes on the way; libzint picks the sets itself, so the
// selections go and the characters stay ("{{" is a brace).
bool code128Characters(const QByteArray &data, QByteArray *characters)
{
    if (data.size() < 2 || data[0] != '{' || (data[1] != 'A' && data[1] != 'B' && data[1] != 'C'))
        return false;
    for (qsizetype i = 2; i < data.size(); ++i) {
        if (data[i] != '{') {
            characters->append(data[i]);
            continue;
        }
        if (++i < data.size() && data[i] == '{')
            characters->append('{');
    }
    return true;
}
} // namespace

Symbol SymbolEncoder::barcode(int type, const QByteArray &data) const
{
    Symbol refused;
    switch (type) {
    case UpcA:
        return encode(BARCODE_UPCA, data, 0, true);
    case UpcE:
        return encode(BARCODE_UPCE, data, 0, true);
    case Ean13:
        // libzint's EAN makes an EAN-8 or an add-on of short data; the printer
        // pads it to 12 digits instead.
        return encode(BARCODE_EANX, data.size() < 12 ? data.rightJustified(12, '0') : data, 0, true);
    case Ean8:
        if (data.size() > 8) {
            refused.error = QStringLiteral("Error: EAN-8 takes 7 or 8 digits");
            return refused;
        }
        return encode(BARCODE_EANX, data.size() < 7 ? data.rightJustified(7, '0') : data, 0, true);
    case Code39: {
        // Start and stop characters may come with the data; libzint adds its own.
        QByteArray characters = data;
        if (characters.startsWith('*'))
            characters.remove(0, 1);
        if (characters.endsWith('*'))
            characters.chop(1);
        return encode(BARCODE_CODE39, characters, 0, true);
    }
    case Itf:
        return encode(BARCODE_C25INTER, data, 0, true);
    case Codabar:
        return encode(BARCODE_CODABAR, data, 0, true);
    case Code93:
        return encode(BARCODE_CODE93, data, 0, true);
    case Code128: {
        QByteArray characters;
        if (!code128Characters(data, &characters)) {
            refused.error = QStringLiteral("Error: CODE128 data must begin with {A, {B or {C");
            return refused;
        }
        Symbol symbol = encode(BARCODE_CODE128, characters, 0, true);
        symbol.scanned = characters;
        return symbol;
    }
    default:
        refused.error = QStringLiteral("Error: unknown barcode type");
        return refused;
    }
}

Symbol SymbolEncoder::qrCode(const QByteArray &data, int ecc)
{
    if (data != m_qrData || ecc != m_qrEcc || (m_qr.modules.isNull() && m_qr.error.isEmpty())) {
        m_qrData = data;
        m_qrEcc = ecc;
        m_qr = encode(BARCODE_QRCODE, data, ecc, false);
        m_qr.text.clear();
    }
    return m_qr;
}
