#pragma once

#include <QChar>

// The characters the printer draws for its bytes. 20-7E are ASCII in every
// page; 80-FF follow the selected page: 0 is PC437, 16 is Windows-1252 (the
// five bytes it leaves undefined draw as blanks). Qt's text codecs need not
// offer IBM437, so the pages are tables of our own.
namespace CodePages {
constexpr int kPc437 = 0;
constexpr int kWindows1252 = 16;

bool isDrawn(int page);             // pages with a table of their own
char16_t character(int page, quint8 byte); // another page draws as PC437
}
