#pragma once
// The paper's stored settings: the two-byte encoding (PreviewCjk) and the
// roll's width (PreviewPaper: "80" or "58"; 80 when none, or no known one,
// is stored). The main window's paper is made with them, so that bytes sent
// before the preview is first opened print as they will there, and the
// preview shows and changes them.
#include "printer/paper/Receipt.h"

class ReceiptInterpreter;

namespace PaperSettings {

// GB 18030 when none (or no known one) is stored.
TwoByteCode encoding();
void saveEncoding(TwoByteCode code);
// The printable width in dots.
int widthDots();
void saveWidthDots(int dots);

// The stored encoding and width given to a paper.
void apply(ReceiptInterpreter &paper);

} // namespace PaperSettings
