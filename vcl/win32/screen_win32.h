#pragma once
// The monitors as Windows reports them.
#include <windows.h>

#include <vector>

#include "vcl/screen.h"

namespace vcl::win32 {

// Every monitor's rectangle and work area, in screen pixels; the primary monitor first.
std::vector<TMonitorInfo> ScreenMonitors();

// The DPI a window is shown at (the system DPI where per-window DPI is unknown).
int WindowDpi(HWND window);

}  // namespace vcl::win32
