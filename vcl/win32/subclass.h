#pragma once
// Window subclassing with the calling convention of the common controls' SetWindowSubclass,
// but with the chain kept in the process. (The common controls keep it in a window property,
// and under Wine every property read is a trip to the server: two or more per message for every
// subclassed window.) Windows of the UI thread only.
#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

namespace vcl::win32 {

// Installs `proc` (identified by proc and id) above the window's procedure and any subclass
// already there; installing the same pair again updates its data.
bool SetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
// Removes the pair; the window's own procedure comes back once no subclass is left.
bool RemoveSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
// Passes a message on to the next procedure of the chain (from inside a subclass procedure).
LRESULT DefSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vcl::win32
