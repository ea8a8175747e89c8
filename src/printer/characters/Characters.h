#pragma once

#include "printer/paper/Receipt.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Bytes into the characters the printer prints: the code page (CodePages.h),
// the international character set (ESC R) and two-byte characters (FS &).
// The interpreter, the renderer and the words about text all read the bytes
// through here, so what the paper shows and what the log says agree.
namespace Characters {
constexpr char16_t kReplacement = 0xFFFD; // a byte pair that is no character

// ESC R n, 0-17: the sets of the public command reference, replacing the
// characters of 23 24 40 5B 5C 5D 5E 60 7B 7C 7D 7E.
constexpr int kInternationalSets = 18;
QString internationalName(int set); // "Germany"; empty past 17
// A single-byte character: 20-7E through the set, 80-FF through the page.
char16_t character(int page, int international, quint8 byte);

// Two-byte characters.
QString encodingName(TwoByteCode code); // "GB 18030", "Shift JIS", ...
// What --cjk and the preview's setting keep: "GB18030", "Shift_JIS", "Big5", "EUC-KR".
QString encodingKey(TwoByteCode code);
// A name as a user may write it (any case, with or without "-", "_" or blanks;
// "sjis" too); nullopt for anything else.
std::optional<TwoByteCode> encodingFromName(const QString &name);
// The model encodings, in the order a list offers them.
inline constexpr TwoByteCode kModelEncodings[] = {TwoByteCode::Gb18030, TwoByteCode::ShiftJis, TwoByteCode::Big5,
                                                   TwoByteCode::EucKr};
// Whether the byte starts a pair in the encoding (one of 21-FE).
bool isLead(TwoByteCode code, quint8 byte);
// The pair's character; 0 when the pair is not one.
char16_t pair(TwoByteCode code, quint8 lead, quint8 trail);

// The character in cell index of a run.
char16_t cell(const TextRun &run, int index);
// Printed bytes as the printer read them: pairs where two-byte mode (code)
// made them, single bytes through page and set; control bytes (< 20, 7F)
// as a middle dot. A lead byte at the end without its trail printed as the
// replacement mark, unless the bytes were cut short of the run (cut): then
// its trail is only not among them.
QString text(const QByteArray &bytes, int page, int international, TwoByteCode code, bool cut = false);
}
