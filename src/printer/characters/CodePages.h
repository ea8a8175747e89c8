#pragma once

#include <QString>

// The characters the printer draws for its bytes. 20-7E are ASCII in every
// page (an international character set may replace some: Characters.h);
// 80-FF follow the page ESC t selected, numbered as receipt printers and
// their client libraries number them. The system's converter (glibc iconv)
// maps each page once, at its first use, into a table of 128 characters, so
// drawing stays a table lookup; the few pages it lacks have tables of our
// own (CodePages.cpp says where each comes from).
namespace CodePages {
constexpr int kPc437 = 0;
constexpr int kKatakana = 1;
constexpr int kWindows1252 = 16;

// A page of the printer's table; any other number prints as PC437.
bool isKnown(int page);
// "PC858", "Windows-1252", "Thai (TIS-620)"; empty for a page not known.
QString name(int page);
// The character of a byte: 00-7F as they are, 80-FF through the page (PC437
// for a page not known). A byte the page leaves undefined, a control or a
// format character draws as a blank (20), as the printer leaves it.
char16_t character(int page, quint8 byte);
}
