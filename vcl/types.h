#pragma once
// Plain value types of the class library: geometry, colours, fonts, mouse and keyboard state.
#include <cstdint>
#include <string>

namespace vcl {

struct TRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
  bool operator==(const TRect&) const = default;
};

struct TPoint {
  int x = 0;
  int y = 0;
  bool operator==(const TPoint&) const = default;
};

// 0x00BBGGRR; values with the top bit set name a system colour (its index in the low byte).
using TColor = uint32_t;
constexpr TColor kSystemColorFlag = 0x80000000u;
constexpr TColor clWindowText = kSystemColorFlag | 8;  // COLOR_WINDOWTEXT
constexpr TColor clBtnFace = kSystemColorFlag | 15;    // COLOR_BTNFACE
constexpr TColor clBlack = 0x000000;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clNone = 0x1FFFFFFF;

constexpr bool IsSystemColor(TColor c) {
  return (c & kSystemColorFlag) != 0;
}

struct TFont {
  std::wstring name = L"Tahoma";
  int height = -11;  // pixels at 96 DPI; negative: character height without internal leading
  bool bold = false;
  TColor color = clWindowText;
  bool operator==(const TFont&) const = default;
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

struct TShiftState {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  bool left = false;
  bool right = false;
  bool middle = false;
};

}  // namespace vcl
