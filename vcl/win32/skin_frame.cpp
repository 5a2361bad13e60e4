// The skinned frame: the window keeps its standard styles (caption, window menu, minimize box),
// but the frame's size (WM_NCCALCSIZE), its painting (WM_NCPAINT), the caption buttons and the
// window menu are the skin's. The default handling of a few messages paints the standard
// caption directly, bypassing WM_NCPAINT; those run with the window briefly marked invisible.
#include <windows.h>

#include <windowsx.h>

#include <cstring>
#include <map>

#include "skin/win32/painters.h"
#include "vcl/skin_manager.h"
#include "vcl/win32/handles.h"
#include "vcl/win32/skin_internal.h"
#include "vcl/win32/skin_win32.h"
#include "vcl/win32/system_function.h"

namespace vcl::win32::skinning {
namespace {

using skin::FrameHit;

// Undocumented messages with which themed Windows draws the caption outside WM_NCPAINT.
constexpr UINT kNcUahDrawCaption = 0x00AE;
constexpr UINT kNcUahDrawFrame = 0x00AF;

struct FrameWindow {
  skin::CaptionButtons buttons;
  bool hasIcon = false;
  skin::win32::FrameState state;
  FrameHit tracking = FrameHit::kNowhere;  // caption button held down with the mouse captured
  bool leaveTracked = false;
  std::wstring paintedCaption;
  UniqueIcon icon;
  int iconDpi = 0;
  UniqueFont font;
  int fontDpi = 0;
};

std::map<HWND, FrameWindow> gFrames;

// With desktop composition the system would draw the frame itself, over ours.
void SetClassicFrameRendering(HWND window, bool classic) {
  using SetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  static const auto setAttribute =
      SystemFunction<SetAttributeFn>(L"dwmapi.dll", "DwmSetWindowAttribute");
  if (setAttribute == nullptr) return;
  constexpr DWORD kNcRenderingPolicy = 2;  // DWMWA_NCRENDERING_POLICY
  const DWORD policy = classic ? 1 /* DWMNCRP_DISABLED */ : 0 /* DWMNCRP_USEWINDOWSTYLE */;
  setAttribute(window, kNcRenderingPolicy, &policy, sizeof(policy));
}

skin::FrameLayout LayoutOf(HWND window, const FrameWindow& frame, const skin::Skin& skin, int dpi) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return skin::LayoutFrame(rect.right - rect.left, rect.bottom - rect.top, dpi, skin.form,
                           frame.buttons, frame.hasIcon);
}

HICON IconFor(HWND window, FrameWindow& frame, int dpi, int size) {
  if (!frame.hasIcon) return nullptr;
  if (!frame.icon || frame.iconDpi != dpi) {
    frame.icon.Reset(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, 0)));
    frame.iconDpi = dpi;
  }
  if (frame.icon) return frame.icon.Get();
  auto small = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL2, 0));
  if (small == nullptr) small = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
  if (small == nullptr) small = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
  return small;
}

HFONT CaptionFont(FrameWindow& frame, const skin::Skin& skin, int dpi) {
  if (!frame.font || frame.fontDpi != dpi) {
    frame.font.Reset(skin::win32::CreateSkinFont(skin.form.captionFontHeight, dpi, true));
    frame.fontDpi = dpi;
  }
  return frame.font.Get();
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

// Paints the frame into `dc` (window coordinates) through one back buffer: the whole frame, or
// only the title bar (a new caption text or a caption button's state changes nothing else).
void PaintFrameInto(HDC dc, HWND window, FrameWindow& frame, const skin::Skin& skin,
                    bool titleOnly) {
  const int dpi = WindowDpi(window);
  const skin::FrameLayout layout = LayoutOf(window, frame, skin, dpi);
  const int width = layout.window.Width(), height = layout.window.Height();
  if (width <= 0 || height <= 0 || dc == nullptr) return;
  frame.paintedCaption = WindowText(window);
  UniqueMemoryDc memory(CreateCompatibleDC(dc));
  UniqueBitmap bitmap(CreateCompatibleBitmap(dc, width, height));
  SelectObjectGuard select(memory.Get(), bitmap.Get());
  skin::win32::PaintFrame(memory.Get(), layout, dpi, skin.form, frame.state, frame.paintedCaption,
                          IconFor(window, frame, dpi, layout.icon.Width()),
                          CaptionFont(frame, skin, dpi));
  const int saved = SaveDC(dc);
  const skin::Rect& c = layout.client;
  if (titleOnly) {
    IntersectClipRect(dc, 0, 0, width, layout.titleBar.bottom);
  } else {
    ExcludeClipRect(dc, c.left, c.top, c.right, c.bottom);
  }
  BitBlt(dc, 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
  RestoreDC(dc, saved);
}

void PaintFrameNow(HWND window, FrameWindow& frame, const skin::Skin& skin, bool titleOnly) {
  WholeWindowDc dc(window);
  PaintFrameInto(dc.Get(), window, frame, skin, titleOnly);
}

LRESULT HitCode(FrameHit hit) {
  switch (hit) {
    case FrameHit::kClient:
      return HTCLIENT;
    case FrameHit::kCaption:
      return HTCAPTION;
    case FrameHit::kSystemMenu:
      return HTSYSMENU;
    case FrameHit::kMinimize:
      return HTMINBUTTON;
    case FrameHit::kClose:
      return HTCLOSE;
    case FrameHit::kBorder:
      return HTBORDER;
    case FrameHit::kNowhere:
      break;
  }
  return HTNOWHERE;
}

FrameHit ButtonOf(WPARAM hitCode) {
  if (hitCode == HTMINBUTTON) return FrameHit::kMinimize;
  if (hitCode == HTCLOSE) return FrameHit::kClose;
  return FrameHit::kNowhere;
}

FrameHit HitAtScreen(HWND window, const FrameWindow& frame, const skin::Skin& skin, POINT p) {
  RECT rect{};
  GetWindowRect(window, &rect);
  const skin::FrameLayout layout = LayoutOf(window, frame, skin, WindowDpi(window));
  return skin::HitTestFrame(layout, {p.x - rect.left, p.y - rect.top});
}

// Runs the default handling of a message that would paint the standard caption directly,
// with the window marked invisible for the moment so that nothing is drawn.
LRESULT WithoutDrawing(HWND window, const std::function<LRESULT()>& body) {
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  const bool visible = (style & WS_VISIBLE) != 0;
  if (visible) SetWindowLongPtrW(window, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
  const LRESULT result = body();
  if (visible) {
    SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_VISIBLE);
  }
  return result;
}

// The window menu, drawn in the skin like every popup menu: the system menu's own items with
// the states that fit a fixed frame without a maximize box.
void ShowWindowMenu(HWND window, POINT at) {
  HMENU system = GetSystemMenu(window, FALSE);
  if (system == nullptr) return;
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  const bool iconic = IsIconic(window) != FALSE, zoomed = IsZoomed(window) != FALSE;
  std::vector<MenuEntry> entries;
  const int count = GetMenuItemCount(system);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_STATE;
    info.dwTypeData = text;
    info.cch = static_cast<UINT>(std::size(text) - 1);
    if (!GetMenuItemInfoW(system, static_cast<UINT>(i), TRUE, &info)) continue;
    MenuEntry entry;
    entry.id = info.wID;
    entry.separator = (info.fType & MFT_SEPARATOR) != 0;
    entry.text = text;
    switch (info.wID & 0xFFF0) {
      case SC_RESTORE:
        entry.enabled = iconic || zoomed;
        break;
      case SC_MOVE:
        entry.enabled = !zoomed;
        break;
      case SC_SIZE:
        entry.enabled = (style & WS_THICKFRAME) != 0 && !iconic && !zoomed;
        break;
      case SC_MINIMIZE:
        entry.enabled = (style & WS_MINIMIZEBOX) != 0 && !iconic;
        break;
      case SC_MAXIMIZE:
        entry.enabled = (style & WS_MAXIMIZEBOX) != 0 && !zoomed;
        break;
      case SC_CLOSE:
        entry.enabled = true;
        break;
      default:
        entry.enabled = (info.fState & (MFS_DISABLED | MFS_GRAYED)) == 0;
        break;
    }
    entries.push_back(std::move(entry));
  }
  const UINT command = TrackSkinnedEntries(window, entries, at.x, at.y,
                                           TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON);
  if (command != 0) PostMessageW(window, WM_SYSCOMMAND, command, 0);
}

// Below the icon, where the window menu opens from the keyboard and from the icon.
POINT WindowMenuPoint(HWND window, const FrameWindow& frame, const skin::Skin& skin) {
  RECT rect{};
  GetWindowRect(window, &rect);
  const skin::FrameLayout layout = LayoutOf(window, frame, skin, WindowDpi(window));
  const int left = frame.hasIcon ? layout.icon.left : layout.client.left;
  return {rect.left + left, rect.top + layout.client.top};
}

void PrintWindowWithFrame(HWND window, FrameWindow& frame, const skin::Skin& skin, HDC dc,
                          LPARAM flags) {
  PaintFrameInto(dc, window, frame, skin, false);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  RECT rect{};
  GetWindowRect(window, &rect);
  POINT old{};
  OffsetViewportOrgEx(dc, origin.x - rect.left, origin.y - rect.top, &old);
  if (flags & PRF_ERASEBKGND) SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  if (flags & PRF_CLIENT) {
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
  }
  if (flags & PRF_CHILDREN) {
    // Bottom of the z-order first, so the children lying above others end up on top.
    HWND child = GetWindow(window, GW_CHILD);
    HWND last = child != nullptr ? GetWindow(child, GW_HWNDLAST) : nullptr;
    for (HWND c = last; c != nullptr; c = GetWindow(c, GW_HWNDPREV)) {
      if (!IsWindowVisible(c)) continue;
      RECT childRect{};
      GetWindowRect(c, &childRect);
      POINT inner{};
      OffsetViewportOrgEx(dc, childRect.left - origin.x, childRect.top - origin.y, &inner);
      SendMessageW(c, WM_PRINT, reinterpret_cast<WPARAM>(dc),
                   PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
      SetViewportOrgEx(dc, inner.x, inner.y, nullptr);
    }
  }
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

}  // namespace

void EnableSkinFrame(HWND window, skin::CaptionButtons buttons, bool hasIcon) {
  FrameWindow& frame = gFrames[window];
  frame.buttons = buttons;
  frame.hasIcon = hasIcon;
  frame.state.active = GetActiveWindow() == window;
  SetClassicFrameRendering(window, true);
}

void DisableSkinFrame(HWND window) {
  if (gFrames.erase(window) == 0) return;
  SetClassicFrameRendering(window, false);
}

bool IsSkinFramed(HWND window) {
  return gFrames.count(window) != 0 && ActiveSkin() != nullptr;
}

void RefreshFrame(HWND window) {
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A hidden window paints its frame anyway when it shows.
  if (IsWindowVisible(window)) RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

bool SkinFrameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                      const DefaultProc& callDefault) {
  auto found = gFrames.find(window);
  if (found == gFrames.end()) return false;
  if (message == WM_NCDESTROY) {
    gFrames.erase(found);
    return false;
  }
  const std::shared_ptr<const skin::Skin> skin = ActiveSkin();
  if (!skin) return false;
  FrameWindow& frame = found->second;

  switch (message) {
    case WM_NCCALCSIZE: {
      if (IsIconic(window)) return false;
      RECT* rect = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                          : reinterpret_cast<RECT*>(lParam);
      const skin::Insets in = skin::FrameInsets(skin->form, WindowDpi(window));
      rect->left += in.left;
      rect->top += in.top;
      rect->right = std::max(rect->left, rect->right - in.right);
      rect->bottom = std::max(rect->top, rect->bottom - in.bottom);
      result = 0;
      return true;
    }
    case WM_NCPAINT:
      PaintFrameNow(window, frame, *skin, false);
      result = 0;
      return true;
    case WM_NCACTIVATE:
      frame.state.active = wParam != FALSE;
      // -1: the default keeps its bookkeeping but paints nothing.
      result = callDefault(message, wParam, -1);
      if (IsWindowVisible(window)) PaintFrameNow(window, frame, *skin, true);
      return true;
    case kNcUahDrawCaption:
    case kNcUahDrawFrame:
      result = 0;
      return true;
    case WM_NCHITTEST: {
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      result = HitCode(HitAtScreen(window, frame, *skin, p));
      return true;
    }
    case WM_NCMOUSEMOVE: {
      const FrameHit hot =
          frame.tracking == FrameHit::kNowhere ? ButtonOf(wParam) : frame.state.hot;
      if (hot != frame.state.hot) {
        frame.state.hot = hot;
        PaintFrameNow(window, frame, *skin, true);
      }
      if (!frame.leaveTracked) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE | TME_NONCLIENT, window, 0};
        frame.leaveTracked = TrackMouseEvent(&track) != FALSE;
      }
      result = 0;
      return true;
    }
    case WM_NCMOUSELEAVE:
      frame.leaveTracked = false;
      if (frame.state.hot != FrameHit::kNowhere && frame.tracking == FrameHit::kNowhere) {
        frame.state.hot = FrameHit::kNowhere;
        PaintFrameNow(window, frame, *skin, true);
      }
      result = 0;
      return true;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
      const FrameHit button = ButtonOf(wParam);
      if (button != FrameHit::kNowhere) {
        frame.tracking = button;
        frame.state.pressed = button;
        frame.state.hot = button;
        SetCapture(window);
        PaintFrameNow(window, frame, *skin, true);
        result = 0;
        return true;
      }
      if (wParam == HTSYSMENU) {
        if (message == WM_NCLBUTTONDBLCLK) {
          PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else {
          ShowWindowMenu(window, WindowMenuPoint(window, frame, *skin));
        }
        result = 0;
        return true;
      }
      return false;  // the caption drags the window
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
      if (frame.tracking == FrameHit::kNowhere) return false;
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(window, &p);
      const bool over = HitAtScreen(window, frame, *skin, p) == frame.tracking;
      const FrameHit button = frame.tracking;
      if (message == WM_LBUTTONUP) {
        frame.tracking = FrameHit::kNowhere;
        frame.state.pressed = FrameHit::kNowhere;
        frame.state.hot = over ? button : FrameHit::kNowhere;
        ReleaseCapture();
        PaintFrameNow(window, frame, *skin, true);
        if (over) {
          PostMessageW(window, WM_SYSCOMMAND, button == FrameHit::kClose ? SC_CLOSE : SC_MINIMIZE,
                       0);
        }
      } else if ((frame.state.pressed == button) != over) {
        // Dragged off the button it shows as normal, back on it as pressed again.
        frame.state.pressed = over ? button : FrameHit::kNowhere;
        frame.state.hot = frame.state.pressed;
        PaintFrameNow(window, frame, *skin, true);
      }
      result = 0;
      return true;
    }
    case WM_CAPTURECHANGED:
      if (frame.tracking != FrameHit::kNowhere && reinterpret_cast<HWND>(lParam) != window) {
        frame.tracking = FrameHit::kNowhere;
        frame.state.pressed = FrameHit::kNowhere;
        frame.state.hot = FrameHit::kNowhere;
        PaintFrameNow(window, frame, *skin, true);
      }
      return false;
    case WM_SETTEXT: {
      result = WithoutDrawing(window, [&] { return callDefault(message, wParam, lParam); });
      // The clock changes the caption every second: only the title bar is painted again.
      if (IsWindowVisible(window) && WindowText(window) != frame.paintedCaption) {
        PaintFrameNow(window, frame, *skin, true);
      }
      return true;
    }
    case WM_SETICON:
      result = WithoutDrawing(window, [&] { return callDefault(message, wParam, lParam); });
      frame.icon.Reset();
      if (IsWindowVisible(window)) PaintFrameNow(window, frame, *skin, true);
      return true;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_KEYMENU:
          // Alt+Space opens the window menu; there is no menu bar for the other keys.
          if (lParam == L' ') ShowWindowMenu(window, WindowMenuPoint(window, frame, *skin));
          result = 0;
          return true;
        case SC_MOUSEMENU: {
          POINT at{};
          GetCursorPos(&at);
          ShowWindowMenu(window, at);
          result = 0;
          return true;
        }
        default:
          return false;
      }
    case WM_NCRBUTTONDOWN:
      result = 0;
      return true;
    case WM_NCRBUTTONUP:
      if (wParam == HTCAPTION || wParam == HTSYSMENU || wParam == HTBORDER) {
        ShowWindowMenu(window, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      }
      result = 0;
      return true;
    case WM_CONTEXTMENU: {
      if (lParam == -1) return false;
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const FrameHit hit = HitAtScreen(window, frame, *skin, p);
      if (hit == FrameHit::kClient || hit == FrameHit::kNowhere) return false;
      ShowWindowMenu(window, p);
      result = 0;
      return true;
    }
    case WM_PRINT:
      if ((lParam & PRF_NONCLIENT) == 0) return false;
      if ((lParam & PRF_CHECKVISIBLE) && !IsWindowVisible(window)) return false;
      PrintWindowWithFrame(window, frame, *skin, reinterpret_cast<HDC>(wParam), lParam);
      result = 0;
      return true;
    case WM_DPICHANGED:
      frame.icon.Reset();
      frame.font.Reset();
      return false;
    default:
      return false;
  }
}

}  // namespace vcl::win32::skinning

namespace vcl::win32 {

bool SkinAdjustWindowRect(HWND window, RECT& rect, int dpi) {
  if (!skinning::IsSkinFramed(window)) return false;
  const skin::Insets in = skin::FrameInsets(ActiveSkin()->form, dpi);
  rect.left -= in.left;
  rect.top -= in.top;
  rect.right += in.right;
  rect.bottom += in.bottom;
  return true;
}

}  // namespace vcl::win32
