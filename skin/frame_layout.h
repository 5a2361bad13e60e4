#pragma once
// Where the skinned frame puts things, and what a point on it means: pure functions of the
// window size, the DPI and the skin's FORM metrics, shared by painting and hit-testing so the
// two never disagree.
#include "skin/skin.h"

namespace skin {

struct Point {
  int x = 0;
  int y = 0;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  bool operator==(const Rect&) const = default;
};

// The frame's thickness on each side at a DPI.
struct Insets {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const Insets&) const = default;
};

Insets FrameInsets(const FormSection& form, int dpi);

// Which caption buttons a window has; there is never a maximize button.
struct CaptionButtons {
  bool minimize = true;
  bool close = true;
};

// Everything in window coordinates (0,0 = the window's top-left corner).
struct FrameLayout {
  Rect window;
  Rect client;
  Rect titleBar;  // the whole band above the client area
  Rect icon;      // empty without an icon
  Rect text;      // where the caption text goes
  Rect minimize;  // empty without the button
  Rect close;
};

FrameLayout LayoutFrame(int width, int height, int dpi, const FormSection& form,
                        CaptionButtons buttons, bool hasIcon);

enum class FrameHit { kClient, kCaption, kSystemMenu, kMinimize, kClose, kBorder, kNowhere };

// The frame is fixed: its edges are plain border, never sizing handles.
FrameHit HitTestFrame(const FrameLayout& layout, Point windowPoint);

}  // namespace skin
