#pragma once
// Every window of the program counts its WM_PAINT messages and tells the count when asked with
// the registered message "CountdownPaintCount", so benchmarks and tests outside the process can
// see what repaints and what stays still.
#include <windows.h>

namespace vcl::win32 {

UINT PaintCountMessage();
void CountPaints(HWND window);

}  // namespace vcl::win32
