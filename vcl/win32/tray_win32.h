#pragma once
// The real notification-area shell of a tray component: a hidden top-level receiving window and
// Shell_NotifyIconW.
#include <windows.h>

#include <memory>

#include "vcl/tray_icon.h"

namespace vcl::win32 {

// The private message the shell sends to the receiving window for mouse activity over the
// icon, and the icon's identifier with the shell. The test driver finds the receiving window by
// its class and posts the message to play a gesture.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 0x0DB0;
inline constexpr UINT kTrayIconId = 1;
inline constexpr wchar_t kTrayReceiverClass[] = L"TRzTrayIconReceiver";

std::unique_ptr<TrayShell> CreateWin32TrayShell(HINSTANCE instance, HWND applicationWindow,
                                                TRzTrayIcon& tray);

}  // namespace vcl::win32
