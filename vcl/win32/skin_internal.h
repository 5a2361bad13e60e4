#pragma once
// Shared pieces of the skin's win32 side (vcl/win32/skin_*.cpp); not for other code.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "skin/frame_layout.h"
#include "skin/skin.h"
#include "vcl/win32/back_buffer.h"
#include "vcl/win32/screen_win32.h"

namespace vcl::win32::skinning {

// GetWindowDC / ReleaseDC: the DC of the whole window, frame included.
class WholeWindowDc {
 public:
  explicit WholeWindowDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
  ~WholeWindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WholeWindowDc(const WholeWindowDc&) = delete;
  WholeWindowDc& operator=(const WholeWindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

using vcl::win32::PaintBuffered;

// The standard handling a skinned window falls back on (DefWindowProc, DefDlgProc or the next
// subclass).
using DefaultProc = std::function<LRESULT(UINT, WPARAM, LPARAM)>;

// Windows whose frame and title bar the skin draws.
void EnableSkinFrame(HWND window, skin::CaptionButtons buttons, bool hasIcon);
void DisableSkinFrame(HWND window);
bool IsSkinFramed(HWND window);
// Non-client messages of a skinned frame; true when answered.
bool SkinFrameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                      const DefaultProc& callDefault);
// Makes the system recompute and repaint a window's frame.
void RefreshFrame(HWND window);

// One item of a skinned popup menu.
struct MenuEntry {
  UINT id = 0;
  std::wstring text;
  bool separator = false;
  bool enabled = true;
};
// Tracks a skinned popup menu owned by `owner` at a screen point; returns the chosen id or 0.
UINT TrackSkinnedEntries(HWND owner, const std::vector<MenuEntry>& entries, int x, int y,
                         UINT flags);

// Makes a push button owner-drawn in the skin ("DIALOG"), with hover tracking.
void SkinPushButton(HWND button);
// Answers WM_DRAWITEM for a button the skin took over; false for any other item.
bool DrawSkinnedControl(const DRAWITEMSTRUCT& item, const skin::Skin& skin, int dpi);

}  // namespace vcl::win32::skinning
