#pragma once

#include <QByteArray>
#include <QImage>

// Receipts as PNG files at one bit a dot: a two-colour palette (index 0
// paper, 1 ink, as Format_Mono keeps them), rows unfiltered, deflated for
// speed before the last byte. A CI run saves thousands of them; any PNG
// reader reads them.
namespace MonoPng {
// The PNG of `dots` (Format_Mono, its colour table as the palette); empty
// when zlib fails.
QByteArray encode(const QImage &dots);
} // namespace MonoPng
