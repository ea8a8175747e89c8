// What the interpreter's files share about drawing: not part of its interface.
#pragma once

#include "printer/paper/Receipt.h"

namespace ReceiptParts {
constexpr qsizetype kElementCost = 64; // what an element costs beyond its data
// Transparent paper, index 1 ink.
QImage monoImage(int width, int height);
// The memory a printed line takes, for the receipt's budget.
qsizetype cost(const ReceiptLine &line);
} // namespace ReceiptParts

namespace ReceiptParts {
// A mono image turned clockwise by quarter turns.
QImage turned(const QImage &image, int quarters);
// Each dot scaleX wide and scaleY tall, cut at maxWidth dots.
QImage scaled(const QImage &image, int scaleX, int scaleY, int maxWidth);
// An image cut at the paper's edge, in the words said of a symbol cut there:
// "image 576 dots wide, cut at 384: its right 192 dots are not printed".
QString cutImageWords(int sentWidth, int drawnWidth);
} // namespace ReceiptParts
