#pragma once
// The monitors as Windows reports them.
#include <vector>

#include "vcl/screen.h"

namespace vcl::win32 {

// Every monitor's rectangle and work area, in screen pixels; the primary monitor first.
std::vector<TMonitorInfo> ScreenMonitors();

}  // namespace vcl::win32
