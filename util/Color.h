// Colours as the drawing files and the device surface carry them.
#pragma once

#include <cstdint>

// 32-bit RGB with red in the low byte, as the drawing files store colours.
using TColor = uint32_t;

constexpr TColor Rgb(unsigned r, unsigned g, unsigned b) {
  return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr unsigned RedOf(TColor c) { return c & 0xFF; }
constexpr unsigned GreenOf(TColor c) { return (c >> 8) & 0xFF; }
constexpr unsigned BlueOf(TColor c) { return (c >> 16) & 0xFF; }
