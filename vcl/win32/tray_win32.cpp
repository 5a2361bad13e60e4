#include "vcl/win32/tray_win32.h"

#include <shellapi.h>

#include <cstring>
#include <exception>

#include "vcl/application.h"
#include "vcl/win32/handles.h"
#include "vcl/win32/system_function.h"
#include "vcl/win32/win32_backend.h"

namespace vcl::win32 {
namespace {

// The DPI of the primary monitor, whose taskbar holds the notification area.
UINT NotificationAreaDpi() {
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpiForMonitor =
      SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  if (getDpiForMonitor != nullptr) {
    HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    UINT dpiX = 0, dpiY = 0;
    if (SUCCEEDED(getDpiForMonitor(primary, 0 /* MDT_EFFECTIVE_DPI */, &dpiX, &dpiY)) &&
        dpiX != 0) {
      return dpiX;
    }
  }
  WindowDc dc(nullptr);
  return static_cast<UINT>(GetDeviceCaps(dc.Get(), LOGPIXELSX));
}

// The application icon at the notification area's small-icon size for its DPI, taken from
// the image of that size in the resource (16, 20, 24, 32 pixels) so it is drawn crisp.
HICON LoadTrayImage(HINSTANCE instance) {
  const UINT dpi = NotificationAreaDpi();
  using MetricsForDpiFn = int(WINAPI*)(int, UINT);
  static const auto metricsForDpi =
      SystemFunction<MetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
  int size = metricsForDpi != nullptr ? metricsForDpi(SM_CXSMICON, dpi)
                                      : MulDiv(16, static_cast<int>(dpi), 96);
  if (size <= 0) size = 16;
  using ScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  static const auto scaleDown =
      SystemFunction<ScaleDownFn>(L"comctl32.dll", "LoadIconWithScaleDown");
  HICON icon = nullptr;
  if (scaleDown != nullptr && SUCCEEDED(scaleDown(instance, L"MAINICON", size, size, &icon))) {
    return icon;
  }
  return static_cast<HICON>(
      LoadImageW(instance, L"MAINICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

UINT TaskbarCreatedMessage() {
  // Registered once for the whole run.
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

class Win32TrayShell : public TrayShell {
 public:
  Win32TrayShell(HINSTANCE instance, HWND applicationWindow, TRzTrayIcon& tray)
      : instance_(instance), application_(applicationWindow), tray_(tray) {
    RegisterReceiverClass(instance);
    TaskbarCreatedMessage();
    // A top-level window, not a message-only one: only top-level windows hear the
    // "TaskbarCreated" broadcast.
    receiver_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, kTrayReceiverClass, L"", WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, instance, this));
  }

  bool AddIcon() override {
    icon_.Reset(LoadTrayImage(instance_));
    NOTIFYICONDATAW data = Record();
    data.uFlags = NIF_MESSAGE | NIF_ICON;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon_.Get();
    return Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  }

  void DeleteIcon() override {
    NOTIFYICONDATAW data = Record();
    Shell_NotifyIconW(NIM_DELETE, &data);
  }

  void ShowApplicationWindow(AppShow how) override {
    ShowWindow(application_, how == AppShow::kHide ? SW_HIDE : SW_RESTORE);
  }

  void SetApplicationForeground() override { SetForegroundWindow(application_); }

  void SetFormForeground(TForm& form) override {
    menuOwner_ = WindowOf(form);
    SetForegroundWindow(menuOwner_);
  }

  TPoint CursorPos() override {
    POINT at{0, 0};
    GetCursorPos(&at);
    return {at.x, at.y};
  }

  TMenuItem* TrackPopupMenu(TPopupMenu& menu, int x, int y) override {
    HWND owner = menuOwner_ != nullptr && IsWindow(menuOwner_) ? menuOwner_ : receiver_.Get();
    return TrackMenu(menu, owner, x, y);
  }

  void PostNullMessage() override { PostMessageW(nullptr, WM_NULL, 0, 0); }

 private:
  NOTIFYICONDATAW Record() const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = receiver_.Get();
    data.uID = kTrayIconId;
    return data;
  }

  static void RegisterReceiverClass(HINSTANCE instance) {
    static bool registered = false;
    if (registered) return;
    registered = true;
    WNDCLASSEXW receiver{};
    receiver.cbSize = sizeof(receiver);
    receiver.lpfnWndProc = ReceiverProc;
    receiver.hInstance = instance;
    receiver.lpszClassName = kTrayReceiverClass;
    RegisterClassExW(&receiver);
  }

  static LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32TrayShell*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->receiver_.Get() == nullptr) {
      return DefWindowProcW(window, message, wParam, lParam);
    }
    // No exception crosses the window procedure: the application's error box reports it.
    try {
      return self->Handle(message, wParam, lParam);
    } catch (const std::exception& error) {
      if (HasApplication()) Application().ShowException(error);
      return 0;
    }
  }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTrayCallbackMessage) {
      if (wParam == kTrayIconId) tray_.HandleCallback(static_cast<unsigned>(lParam));
      return 0;
    }
    if (message == TaskbarCreatedMessage() && message != 0) {
      tray_.TaskbarCreated();
      return 0;
    }
    switch (message) {
      case WM_QUERYENDSESSION:
        return tray_.QueryEndSession() ? TRUE : FALSE;
      case WM_ENDSESSION:
        tray_.EndSession(wParam != FALSE);
        return 0;
      default:
        return DefWindowProcW(receiver_.Get(), message, wParam, lParam);
    }
  }

  HINSTANCE instance_;
  HWND application_;
  TRzTrayIcon& tray_;
  UniqueWindow receiver_;
  UniqueIcon icon_;
  HWND menuOwner_ = nullptr;
};

}  // namespace

std::unique_ptr<TrayShell> CreateWin32TrayShell(HINSTANCE instance, HWND applicationWindow,
                                                TRzTrayIcon& tray) {
  return std::make_unique<Win32TrayShell>(instance, applicationWindow, tray);
}

}  // namespace vcl::win32
