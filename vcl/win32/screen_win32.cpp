#include "vcl/win32/screen_win32.h"

#include <windows.h>

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

}  // namespace vcl::win32
