#pragma once
// Reading 2D symbols back from the printer's dots with zxing-cpp (Debian's
// python3-zxing-cpp): PDF417, Aztec, Data Matrix, MaxiCode, DataBar.
#include <QImage>
#include <QString>

// False when the decoder is not installed: the caller skips.
bool haveSymbolReader();
// The one symbol in the dots (index 1 ink), given a quiet zone, read back:
// "PDF417 its text", or "none".
QString readSymbol(const QImage &dots);
