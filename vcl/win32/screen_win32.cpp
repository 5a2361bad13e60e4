#include "vcl/win32/screen_win32.h"

#include <windows.h>

#include "vcl/win32/handles.h"
#include "vcl/win32/system_function.h"

namespace vcl::win32 {
namespace {

TRect ToRect(const RECT& r) {
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(monitor, &info)) {
    auto& found = *reinterpret_cast<std::vector<TMonitorInfo>*>(list);
    const TMonitorInfo entry{ToRect(info.rcMonitor), ToRect(info.rcWork)};
    // The primary monitor first: it wins ties of distance.
    if ((info.dwFlags & MONITORINFOF_PRIMARY) != 0) {
      found.insert(found.begin(), entry);
    } else {
      found.push_back(entry);
    }
  }
  return TRUE;
}

}  // namespace

std::vector<TMonitorInfo> ScreenMonitors() {
  std::vector<TMonitorInfo> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow =
      SystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  WindowDc dc(nullptr);
  return GetDeviceCaps(dc.Get(), LOGPIXELSY);
}

}  // namespace vcl::win32
