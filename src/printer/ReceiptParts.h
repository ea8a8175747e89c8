// What the interpreter's files share about drawing: not part of its interface.
#pragma once

#include "printer/Receipt.h"

namespace ReceiptParts {
constexpr qsizetype kElementCost = 64; // what an element costs beyond its data
// Transparent paper, index 1 ink.
QImage monoImage(int width, int height);
// The memory a printed line takes, for the receipt's budget.
qsizetype cost(const ReceiptLine &line);
} // namespace ReceiptParts
