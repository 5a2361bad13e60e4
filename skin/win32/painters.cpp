#include "skin/win32/painters.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace skin::win32 {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

// A line width of one pixel at 96 DPI, growing with the DPI.
double LineWidth(int dpi) {
  return std::max(1.0, dpi / 96.0);
}

class TextColorGuard {
 public:
  TextColorGuard(HDC dc, COLORREF color)
      : dc_(dc), oldColor_(SetTextColor(dc, color)), oldMode_(SetBkMode(dc, TRANSPARENT)) {}
  ~TextColorGuard() {
    SetTextColor(dc_, oldColor_);
    SetBkMode(dc_, oldMode_);
  }
  TextColorGuard(const TextColorGuard&) = delete;
  TextColorGuard& operator=(const TextColorGuard&) = delete;

 private:
  HDC dc_;
  COLORREF oldColor_;
  int oldMode_;
};

// A solid brush for the scope (skin/ keeps no dependency on the class library's owners).
class SolidBrush {
 public:
  explicit SolidBrush(Rgb c) : brush_(CreateSolidBrush(ToColorRef(c))) {}
  ~SolidBrush() { DeleteObject(brush_); }
  SolidBrush(const SolidBrush&) = delete;
  SolidBrush& operator=(const SolidBrush&) = delete;
  HBRUSH Get() const { return brush_; }

 private:
  HBRUSH brush_;
};

class FontGuard {
 public:
  FontGuard(HDC dc, HFONT font) : dc_(dc), old_(font ? SelectObject(dc, font) : nullptr) {}
  ~FontGuard() {
    if (old_ != nullptr) SelectObject(dc_, old_);
  }
  FontGuard(const FontGuard&) = delete;
  FontGuard& operator=(const FontGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

void DrawTextIn(HDC dc, const std::wstring& text, RECT rect, UINT format, Rgb color) {
  TextColorGuard guard(dc, ToColorRef(color));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

Rect Inset(const Rect& r, int by) {
  return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

// Light from above: the top rows of the title bar lighter, the lower ones a little darker.
void ShadeTitle(PixelBuffer& px, const Rect& title) {
  const int h = std::max(title.Height(), 1);
  for (int y = title.top; y < title.bottom; ++y) {
    const double t = static_cast<double>(y - title.top) / h;
    const double light = 0.20 * (1 - t) * (1 - t);
    const double dark = 0.14 * t * t;
    for (int x = title.left; x < title.right; ++x) {
      px.Blend(x, y, kWhite, light);
      px.Blend(x, y, kBlack, dark);
    }
  }
}

void DrawCaptionButton(PixelBuffer& px, const Rect& r, FrameHit which, const FrameState& state,
                       int dpi, const FormSection& form) {
  if (r.Empty()) return;
  const bool close = which == FrameHit::kClose;
  const bool pressed = state.pressed == which;
  const bool hot = !pressed && state.hot == which;
  const double radius = Scale(3, dpi);
  if (pressed) {
    const Rgb face = close ? form.closePressed : form.buttonPressed;
    px.FillRoundRect(r, radius, Mix(face, kBlack, 0.15), face);
  } else if (hot) {
    const Rgb face = close ? form.closeHot : form.buttonHot;
    px.FillRoundRect(r, radius, Mix(face, kWhite, 0.25), face);
  } else {
    px.FillRoundRect(r, radius, form.woodDark, form.outline, 0.30);
  }
  px.StrokeRoundRect(r, radius, LineWidth(dpi), form.buttonEdge, hot || pressed ? 0.85 : 0.40);

  // Pixel-centre coordinates of the button's middle.
  const double cx = (r.left + r.right - 1) / 2.0 + (pressed ? 0.5 : 0);
  const double cy = (r.top + r.bottom - 1) / 2.0 + (pressed ? 0.5 : 0);
  const double s = Scale(4, dpi);
  const double width = 1.6 * dpi / 96.0;
  const Rgb glyph =
      state.active || hot || pressed ? form.glyph : Mix(form.glyph, form.woodDark, 0.4);
  auto strokes = [&](double dy, Rgb c) {
    if (close) {
      px.DrawLine(cx - s, cy - s + dy, cx + s, cy + s + dy, width, c);
      px.DrawLine(cx - s, cy + s + dy, cx + s, cy - s + dy, width, c);
    } else {
      px.DrawLine(cx - s, cy + s - 1 + dy, cx + s, cy + s - 1 + dy, width * 1.25, c);
    }
  };
  if (!pressed) strokes(LineWidth(dpi), Mix(form.captionShadow, form.woodDark, 0.3));
  strokes(0, glyph);
}

}  // namespace

COLORREF ToColorRef(Rgb c) {
  return RGB(c.r, c.g, c.b);
}

Rgb FromColorRef(COLORREF c) {
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

void Blit(HDC dc, const PixelBuffer& pixels, int x, int y) {
  if (pixels.Width() == 0 || pixels.Height() == 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = pixels.Width();
  info.bmiHeader.biHeight = -pixels.Height();  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(pixels.Width()),
                    static_cast<DWORD>(pixels.Height()), 0, 0, 0,
                    static_cast<UINT>(pixels.Height()), pixels.Data(), &info, DIB_RGB_COLORS);
}

HFONT CreateSkinFont(int height96, int dpi, bool bold) {
  return CreateFontW(Scale(height96, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
}

namespace {

bool SameRect(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The frame's wood, edges and groove, without the caption buttons and text.
PixelBuffer BuildFrameWood(const FrameLayout& l, int dpi, const FormSection& form) {
  const int w = l.window.Width(), h = l.window.Height();
  PixelBuffer px(w, h, form.client);
  const Rect& c = l.client;
  const Rect strips[] = {{0, 0, w, c.top},
                         {0, c.top, c.left, c.bottom},
                         {c.right, c.top, w, c.bottom},
                         {0, c.bottom, w, h}};
  for (const Rect& strip : strips) FillWood(px, strip, 0, 0, dpi, form);
  ShadeTitle(px, l.titleBar);

  // The outer edge with a highlight inside it on the lit sides, and a groove around the
  // client area.
  const int one = std::max(1, Scale(1, dpi));
  px.Fill({0, 0, w, one}, form.outline);
  px.Fill({0, h - one, w, h}, form.outline);
  px.Fill({0, 0, one, h}, form.outline);
  px.Fill({w - one, 0, w, h}, form.outline);
  for (int x = one; x < w - one; ++x) {
    for (int y = one; y < 2 * one; ++y) px.Blend(x, y, form.bevelLight, 0.65);
    for (int y = h - 2 * one; y < h - one; ++y) px.Blend(x, y, form.outline, 0.35);
  }
  for (int y = one; y < h - one; ++y) {
    for (int x = one; x < 2 * one; ++x) px.Blend(x, y, form.bevelLight, 0.45);
    for (int x = w - 2 * one; x < w - one; ++x) px.Blend(x, y, form.outline, 0.35);
  }
  if (!c.Empty()) {
    const Rect edge{c.left - one, c.top - one, c.right + one, c.bottom + one};
    px.Fill({edge.left, edge.top, edge.right, c.top}, form.clientEdge);
    px.Fill({edge.left, c.top, c.left, c.bottom}, form.clientEdge);
    px.Fill({c.right, c.top, edge.right, c.bottom}, form.clientEdge);
    px.Fill({edge.left, c.bottom, edge.right, edge.bottom}, form.clientEdge);
    for (int x = edge.left; x < edge.right + one; ++x) {
      for (int y = edge.bottom; y < edge.bottom + one; ++y) px.Blend(x, y, form.bevelLight, 0.5);
    }
    for (int y = edge.top; y < edge.bottom; ++y) {
      for (int x = edge.right; x < edge.right + one; ++x) px.Blend(x, y, form.bevelLight, 0.5);
    }
  }
  return px;
}

// The wood of a frame depends only on its layout, the DPI and the skin's colours, so it is
// grown once and reused by every later paint: the caption text changes every second.
const PixelBuffer& FrameWood(const FrameLayout& l, int dpi, const FormSection& form) {
  struct Entry {
    FrameLayout layout;
    int dpi;
    FormSection form;
    PixelBuffer wood;
  };
  static std::vector<Entry> cache;
  for (const Entry& e : cache) {
    if (e.dpi == dpi && SameRect(e.layout.window, l.window) &&
        SameRect(e.layout.client, l.client) && SameRect(e.layout.titleBar, l.titleBar) &&
        std::memcmp(&e.form, &form, sizeof(FormSection)) == 0) {
      return e.wood;
    }
  }
  // A handful of frames (the main window, the boxes) at a handful of DPIs.
  if (cache.size() >= 6) cache.erase(cache.begin());
  cache.push_back({l, dpi, form, BuildFrameWood(l, dpi, form)});
  return cache.back().wood;
}

}  // namespace

void PaintFrame(HDC dc, const FrameLayout& l, int dpi, const FormSection& form,
                const FrameState& state, const std::wstring& caption, HICON icon,
                HFONT captionFont) {
  if (l.window.Width() <= 0 || l.window.Height() <= 0) return;
  PixelBuffer px = FrameWood(l, dpi, form);
  const Rect& c = l.client;
  const int one = std::max(1, Scale(1, dpi));
  DrawCaptionButton(px, l.minimize, FrameHit::kMinimize, state, dpi, form);
  DrawCaptionButton(px, l.close, FrameHit::kClose, state, dpi, form);

  // Only the frame goes to the DC: the client area belongs to the window's own painting.
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, c.left, c.top, c.right, c.bottom);
  Blit(dc, px, 0, 0);
  RestoreDC(dc, saved);

  if (icon != nullptr && !l.icon.Empty()) {
    DrawIconEx(dc, l.icon.left, l.icon.top, icon, l.icon.Width(), l.icon.Height(), 0, nullptr,
               DI_NORMAL);
  }
  if (!caption.empty() && !l.text.Empty()) {
    FontGuard font(dc, captionFont);
    RECT text{l.text.left, l.text.top + one, l.text.right, c.top - one};
    const UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    RECT shadow = text;
    OffsetRect(&shadow, one, one);
    DrawTextIn(dc, caption, shadow, format, form.captionShadow);
    DrawTextIn(dc, caption, text, format,
               state.active ? form.captionText : form.inactiveCaptionText);
  }
}

void PaintPushButton(HDC dc, const RECT& rect, int dpi, const ButtonSection& b, Rgb background,
                     ButtonState state, bool focused, const std::wstring& text, HFONT font,
                     bool hidePrefix) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  PixelBuffer px(w, h, background);
  const Rect r{0, 0, w, h};
  const double radius = Scale(b.cornerRadius, dpi);
  const double line = LineWidth(dpi);
  switch (state) {
    case ButtonState::kNormal:
      px.FillRoundRect(r, radius, b.faceTop, b.faceBottom);
      break;
    case ButtonState::kHot:
      px.FillRoundRect(r, radius, b.hotTop, b.hotBottom);
      break;
    case ButtonState::kPressed:
      px.FillRoundRect(r, radius, b.pressedTop, b.pressedBottom);
      break;
    case ButtonState::kDisabled:
      px.FillRoundRect(r, radius, b.disabledFace, b.disabledFace);
      break;
  }
  if (state == ButtonState::kNormal || state == ButtonState::kHot) {
    px.StrokeRoundRect(Inset(r, static_cast<int>(line)), std::max(radius - line, 0.0), line, kWhite,
                       0.45);
  }
  const Rgb border =
      state == ButtonState::kDisabled ? Mix(b.border, b.disabledFace, 0.55) : b.border;
  px.StrokeRoundRect(r, radius, line, border);
  if (focused && state != ButtonState::kDisabled) {
    const int inset = Scale(2, dpi);
    px.StrokeRoundRect(Inset(r, inset), std::max(radius - inset / 2.0, 1.0), line, b.focus, 0.9);
  }
  Blit(dc, px, rect.left, rect.top);

  FontGuard selected(dc, font);
  RECT textRect = rect;
  if (state == ButtonState::kPressed) OffsetRect(&textRect, Scale(1, dpi), Scale(1, dpi));
  DrawTextIn(dc, text, textRect,
             DT_CENTER | DT_VCENTER | DT_SINGLELINE | (hidePrefix ? DT_HIDEPREFIX : 0),
             state == ButtonState::kDisabled ? b.disabledText : b.text);
}

void PaintRadioButton(HDC dc, const RECT& rect, int dpi, const RadioSection& radio, Rgb background,
                      bool checked, ButtonState state, bool focusRect, const std::wstring& text,
                      HFONT font, bool hidePrefix) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  PixelBuffer px(w, h, background);
  const int size = std::min(Scale(radio.size, dpi), h);
  const int top = (h - size) / 2;
  const Rect circle{0, top, size, top + size};
  const bool disabled = state == ButtonState::kDisabled;
  Rgb fillTop = radio.fillTop, fillBottom = radio.fillBottom;
  if (state == ButtonState::kPressed) {
    fillTop = Mix(radio.fillBottom, kBlack, 0.08);
    fillBottom = radio.fillTop;
  } else if (disabled) {
    fillTop = fillBottom = Mix(radio.fillTop, background, 0.5);
  }
  px.FillCircle(circle, fillTop, fillBottom);
  Rgb ring = radio.ring;
  if (state == ButtonState::kHot || state == ButtonState::kPressed) ring = radio.ringHot;
  if (disabled) ring = Mix(radio.ring, background, 0.55);
  px.StrokeCircle(circle, LineWidth(dpi) * (state == ButtonState::kHot ? 1.5 : 1.0), ring);
  if (checked) {
    const int dot = std::max(3, static_cast<int>(std::lround(size * 0.46)));
    const int offset = (size - dot) / 2;
    const Rect d{offset, top + offset, offset + dot, top + offset + dot};
    const Rgb color = disabled ? Mix(radio.dot, background, 0.5) : radio.dot;
    px.FillCircle(d, Mix(color, kWhite, 0.2), color);
  }
  Blit(dc, px, rect.left, rect.top);

  FontGuard selected(dc, font);
  RECT textRect{rect.left + size + Scale(4, dpi), rect.top, rect.right, rect.bottom};
  const UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | (hidePrefix ? DT_HIDEPREFIX : 0);
  DrawTextIn(dc, text, textRect, format, disabled ? radio.disabledText : radio.text);
  if (focusRect && !text.empty()) {
    RECT extent = textRect;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent, format | DT_CALCRECT);
    const int height = extent.bottom - extent.top;
    extent.top = rect.top + (h - height) / 2;
    extent.bottom = extent.top + height;
    InflateRect(&extent, 1, 1);
    IntersectRect(&extent, &extent, &rect);
    TextColorGuard guard(dc, ToColorRef(radio.text));
    DrawFocusRect(dc, &extent);
  }
}

void PaintEditBorder(HDC dc, const RECT& outer, const RECT& inner, const EditSection& edit,
                     Rgb fieldBackground, bool focused) {
  const SolidBrush field(fieldBackground);
  const RECT strips[] = {{outer.left, outer.top, outer.right, inner.top},
                         {outer.left, inner.bottom, outer.right, outer.bottom},
                         {outer.left, inner.top, inner.left, inner.bottom},
                         {inner.right, inner.top, outer.right, inner.bottom}};
  for (const RECT& strip : strips) FillRect(dc, &strip, field.Get());
  const SolidBrush line(focused ? edit.borderFocused : edit.border);
  FrameRect(dc, &outer, line.Get());
}

void PaintSpinButton(HDC dc, const RECT& rect, int dpi, const SpeedButtonSection& s,
                     SpinDirection direction, ButtonState state) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  PixelBuffer px(w, h, s.faceBottom);
  const Rect r{0, 0, w, h};
  switch (state) {
    case ButtonState::kHot:
      px.FillVerticalGradient(r, s.hotTop, s.hotBottom);
      break;
    case ButtonState::kPressed:
      px.FillVerticalGradient(r, s.pressedTop, s.pressedBottom);
      break;
    case ButtonState::kNormal:
    case ButtonState::kDisabled:
      px.FillVerticalGradient(r, s.faceTop, s.faceBottom);
      break;
  }
  const int one = std::max(1, Scale(1, dpi));
  px.Fill({0, 0, w, one}, s.border);
  px.Fill({0, h - one, w, h}, s.border);
  px.Fill({0, 0, one, h}, s.border);
  px.Fill({w - one, 0, w, h}, s.border);

  const double shift = state == ButtonState::kPressed ? 0.5 * one : 0;
  const double cx = w / 2.0 + shift, cy = h / 2.0 + shift;
  const double half = std::max(2.0, std::min(w * 0.26, static_cast<double>(Scale(4, dpi))));
  const double rise = half * 0.6;
  const Rgb arrow = state == ButtonState::kDisabled ? s.disabledArrow : s.arrow;
  if (direction == SpinDirection::kUp) {
    px.FillTriangle(cx - half, cy + rise / 2, cx + half, cy + rise / 2, cx, cy - rise / 2 - 0.5,
                    arrow);
  } else {
    px.FillTriangle(cx - half, cy - rise / 2, cx + half, cy - rise / 2, cx, cy + rise / 2 + 0.5,
                    arrow);
  }
  Blit(dc, px, rect.left, rect.top);
}

SIZE MeasureMenuItem(HDC dc, int dpi, const Skin& skin, const MenuItemLook& item, HFONT font) {
  const int column = Scale(skin.icoline.width, dpi);
  if (item.separator) return {column + Scale(40, dpi), Scale(7, dpi)};
  FontGuard selected(dc, font);
  const size_t tab = item.text.find(L'\t');
  const std::wstring main = item.text.substr(0, tab);
  const std::wstring shortcut = tab == std::wstring::npos ? L"" : item.text.substr(tab + 1);
  RECT mainRect{0, 0, 0, 0};
  DrawTextW(dc, main.c_str(), static_cast<int>(main.size()), &mainRect,
            DT_SINGLELINE | DT_CALCRECT);
  int width = column + Scale(10, dpi) + (mainRect.right - mainRect.left) + Scale(24, dpi);
  if (!shortcut.empty()) {
    RECT shortcutRect{0, 0, 0, 0};
    DrawTextW(dc, shortcut.c_str(), static_cast<int>(shortcut.size()), &shortcutRect,
              DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    width += Scale(20, dpi) + (shortcutRect.right - shortcutRect.left);
  }
  const int height = std::max<int>(Scale(skin.menu.itemHeight, dpi),
                                   mainRect.bottom - mainRect.top + Scale(6, dpi));
  return {width, height};
}

void PaintMenuItem(HDC dc, const RECT& rect, int dpi, const Skin& skin, const MenuItemLook& item,
                   HFONT font) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  const MenuSection& m = skin.menu;
  const int column = std::min(Scale(skin.icoline.width, dpi), w);
  const int one = std::max(1, Scale(1, dpi));
  PixelBuffer px(w, h, m.background);
  px.Fill({0, 0, column, h}, skin.icoline.column);
  px.Fill({column, 0, column + one, h}, skin.icoline.edge);
  if (item.separator) {
    const int y = h / 2;
    px.Fill({column + Scale(6, dpi), y, w - Scale(2, dpi), y + one}, m.separator);
  } else if (item.selected) {
    const Rect band{Scale(2, dpi), 0, w - Scale(2, dpi), h};
    const double radius = Scale(3, dpi);
    if (item.disabled) {
      px.FillRoundRect(band, radius, Mix(m.background, m.selectedBottom, 0.18),
                       Mix(m.background, m.selectedBottom, 0.25));
    } else {
      px.FillRoundRect(band, radius, m.selectedTop, m.selectedBottom);
      px.StrokeRoundRect(band, radius, LineWidth(dpi), m.selectedBorder);
    }
  }
  Blit(dc, px, rect.left, rect.top);
  if (item.separator) return;

  FontGuard selected(dc, font);
  const Rgb color = item.disabled ? m.disabledText : item.selected ? m.selectedText : m.text;
  const size_t tab = item.text.find(L'\t');
  const std::wstring main = item.text.substr(0, tab);
  RECT textRect{rect.left + column + Scale(10, dpi), rect.top, rect.right - Scale(10, dpi),
                rect.bottom};
  DrawTextIn(dc, main, textRect,
             DT_LEFT | DT_VCENTER | DT_SINGLELINE | (item.hidePrefix ? DT_HIDEPREFIX : 0), color);
  if (tab != std::wstring::npos) {
    DrawTextIn(dc, item.text.substr(tab + 1), textRect,
               DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, color);
  }
}

void PaintMenuFrame(HDC dc, const RECT& window, const RECT& items, int dpi, const Skin& skin) {
  const int w = window.right - window.left, h = window.bottom - window.top;
  if (w <= 0 || h <= 0) return;
  const int one = std::max(1, Scale(1, dpi));
  PixelBuffer px(w, h, skin.menu.background);
  const int columnLeft = items.left - window.left;
  const int column = Scale(skin.icoline.width, dpi);
  // The column reaches from the frame's edge line, so no strip of background shows beside it.
  px.Fill({one, 0, columnLeft + column, h}, skin.icoline.column);
  px.Fill({columnLeft + column, 0, columnLeft + column + one, h}, skin.icoline.edge);
  px.Fill({0, 0, w, one}, skin.menu.border);
  px.Fill({0, h - one, w, h}, skin.menu.border);
  px.Fill({0, 0, one, h}, skin.menu.border);
  px.Fill({w - one, 0, w, h}, skin.menu.border);
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, items.left, items.top, items.right, items.bottom);
  Blit(dc, px, window.left, window.top);
  RestoreDC(dc, saved);
}

}  // namespace skin::win32
