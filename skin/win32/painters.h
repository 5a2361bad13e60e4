#pragma once
// The skin's painters: free functions that draw one element into a DC, given its rectangle,
// the DPI, its state and the skin's data. They draw what they are asked to, whole, and keep
// nothing between calls; callers paint into a back buffer and blit once.
#include <windows.h>

#include <string>

#include "skin/frame_layout.h"
#include "skin/raster.h"
#include "skin/skin.h"

namespace skin::win32 {

COLORREF ToColorRef(Rgb c);
Rgb FromColorRef(COLORREF c);

// Copies a pixel buffer to a DC with its top-left corner at (x, y) in logical coordinates.
void Blit(HDC dc, const PixelBuffer& pixels, int x, int y);

// A font of the skin: Tahoma (Chinese comes through the system's font links), the height in
// 96-DPI pixels scaled to the DPI. The caller owns it.
HFONT CreateSkinFont(int height96, int dpi, bool bold);

enum class ButtonState { kNormal, kHot, kPressed, kDisabled };

// ---- FORM: the frame of a window ----------------------------------------------------------
struct FrameState {
  bool active = true;
  FrameHit hot = FrameHit::kNowhere;      // caption button under the mouse
  FrameHit pressed = FrameHit::kNowhere;  // caption button held down with the mouse over it
};

// Paints the frame (everything outside layout.client) in window coordinates: wood grain
// around the client, the title bar with icon, caption text and caption buttons.
void PaintFrame(HDC dc, const FrameLayout& layout, int dpi, const FormSection& form,
                const FrameState& state, const std::wstring& caption, HICON icon,
                HFONT captionFont);

// ---- DIALOG: push buttons ------------------------------------------------------------------
// `background` fills the corners outside the rounded face. With `hidePrefix` the access
// letter is not underlined.
void PaintPushButton(HDC dc, const RECT& rect, int dpi, const ButtonSection& button, Rgb background,
                     ButtonState state, bool focused, const std::wstring& text, HFONT font,
                     bool hidePrefix);

// ---- RADIOBUTTON ---------------------------------------------------------------------------
void PaintRadioButton(HDC dc, const RECT& rect, int dpi, const RadioSection& radio, Rgb background,
                      bool checked, ButtonState state, bool focusRect, const std::wstring& text,
                      HFONT font, bool hidePrefix);

// ---- EDIT: the border of an edit field -----------------------------------------------------
// Paints the ring between `outer` and `inner` (window coordinates of the edit): a line in the
// border colour outside, the field's own background inside it.
void PaintEditBorder(HDC dc, const RECT& outer, const RECT& inner, const EditSection& edit,
                     Rgb fieldBackground, bool focused);

// ---- SPEEDBUTTON_SMALL: the time picker's spin buttons --------------------------------------
enum class SpinDirection { kUp, kDown };
void PaintSpinButton(HDC dc, const RECT& rect, int dpi, const SpeedButtonSection& speedButton,
                     SpinDirection direction, ButtonState state);

// ---- MENU and ICOLINE: popup menus ---------------------------------------------------------
struct MenuItemLook {
  std::wstring text;  // "&" marks the access letter; a tab separates a shortcut text
  bool separator = false;
  bool selected = false;
  bool disabled = false;
  bool hidePrefix = false;
};
SIZE MeasureMenuItem(HDC dc, int dpi, const Skin& skin, const MenuItemLook& item, HFONT font);
void PaintMenuItem(HDC dc, const RECT& rect, int dpi, const Skin& skin, const MenuItemLook& item,
                   HFONT font);
// The menu window's own frame: the ring between the window's edge and its items, with the
// icon column carried through it so the column runs from top to bottom.
void PaintMenuFrame(HDC dc, const RECT& window, const RECT& items, int dpi, const Skin& skin);

}  // namespace skin::win32
