// Where everything of Form1 stands and what colour it has. Pixels at 96 DPI
// from the window's top-left corner; the window has no border, so window and
// client coordinates are the same. Nothing of Windows here, so the control
// layer that reads it can be tested on its own.
#pragma once

#include <cstdint>

namespace glimvane::window {

struct Point {
  int x = 0;
  int y = 0;
};

// left, top, width, height
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  constexpr int right() const { return left + width; }
  constexpr int bottom() const { return top + height; }
  constexpr bool Contains(Point p) const {
    return p.x >= left && p.x < right() && p.y >= top && p.y < bottom();
  }
  constexpr Point Centre() const { return {left + width / 2, top + height / 2}; }
};

// 0x00BBGGRR, the layout of a Win32 COLORREF.
using Colour = std::uint32_t;
constexpr Colour Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return Colour{r} | (Colour{g} << 8) | (Colour{b} << 16);
}

inline constexpr int kWindowWidth = 666;
inline constexpr int kWindowHeight = 485;

inline constexpr Rect kText1Rect{20, 47, 628, 350};
inline constexpr Rect kLabel3Rect{27, 441, 147, 40};
inline constexpr Rect kImage4Rect{384, 426, 105, 39};
inline constexpr Rect kImage3Rect{519, 426, 105, 39};
inline constexpr Rect kImage2Rect{249, 426, 105, 39};
inline constexpr Rect kLabel2Rect{611, 5, 21, 19};
inline constexpr Rect kLabel1Rect{638, 3, 25, 21};
inline constexpr Rect kImage1Rect{0, 0, kWindowWidth, kWindowHeight};

inline constexpr Colour kText1TextColour = Rgb(0x11, 0x11, 0x11);
inline constexpr Colour kText1BackColour = Rgb(0xFF, 0xFF, 0xFF);
inline constexpr Colour kSkinFillColour = Rgb(0xDB, 0xEE, 0xF7);  // Label3's opaque background
inline constexpr Colour kLabel3StartColour = Rgb(0x40, 0x40, 0x40);
inline constexpr Colour kLabel3HoverColour = Rgb(0x00, 0x00, 0xFF);
inline constexpr Colour kLabel3LeaveColour = Rgb(0x00, 0x00, 0x00);

inline constexpr int kFontPoints = 9;  // Text1 (Arial) and Label3 (Tahoma)

}  // namespace glimvane::window
