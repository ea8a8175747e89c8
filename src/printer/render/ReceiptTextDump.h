#pragma once

#include "printer/paper/Receipt.h"

#include <QString>
#include <QStringList>

// A receipt as text, for receipt-NNN.txt beside its picture: what it prints,
// line by line in reading order (top to bottom, left to right), so a change
// reads in a code review. Characters as printed (Unicode); a row of text runs
// that share their bottom edge is one line, gaps between runs as spaces;
// symbols as "[QR code: DATA]", images as "[image 96 x 48]" (one cut at the
// paper's edge as "[image 576 x 48, cut at 384]", its width as sent); the cut (or
// "[not cut]") last.
namespace ReceiptTextDump {
QStringList lines(const Receipt &receipt);
// The lines as the file holds them: one a line, each ended by a newline.
QByteArray file(const Receipt &receipt);
// The line of a printed symbol or image.
QString imageLine(const DotImage &image);
}
