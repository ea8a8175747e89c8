#pragma once

#include <QtGlobal>

// The bytes that start a command: one place for every file of the printer
// to take them from.
namespace ControlBytes {
inline constexpr quint8 DLE = 0x10;
inline constexpr quint8 ESC = 0x1B;
inline constexpr quint8 FS = 0x1C;
inline constexpr quint8 GS = 0x1D;
inline constexpr quint8 US = 0x1F;
} // namespace ControlBytes
