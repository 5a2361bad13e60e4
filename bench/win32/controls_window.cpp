// A reference for the window benchmark: the minimal window plus the program's sixteen controls
// as plain standard windows (the same classes, places and texts, common controls 6 through the
// program's manifest) and the first focus in the time field, and nothing else: no skin, no tray
// icon, no application window, no timer. Its start-up against the minimal window shows what the
// standard controls alone cost on this machine.
#include <windows.h>

namespace {

LONG_PTR gPaints = 0;
HFONT gFont = nullptr;
HWND gFirstFocus = nullptr;

constexpr wchar_t kLabelClass[] = L"ReferenceLabel";

// A label paints its text on the window's background, as a static text would.
LRESULT CALLBACK LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  wchar_t text[64];
  const int length = GetWindowTextW(window, text, 64);
  HGDIOBJ old = SelectObject(dc, gFont);
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text, length, &client, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  EndPaint(window, &ps);
  return 0;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const UINT countMessage = RegisterWindowMessageW(L"CountdownPaintCount");
  if (message == countMessage) return gPaints;
  switch (message) {
    case WM_PAINT: {
      ++gPaints;
      PAINTSTRUCT ps;
      BeginPaint(window, &ps);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && gFirstFocus != nullptr) SetFocus(gFirstFocus);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

struct Control {
  const wchar_t* windowClass;
  const wchar_t* text;
  DWORD style;
  DWORD exStyle;
  int left, top, width, height;
};

// The program's controls in its resource order (three labels and three edits lie outside the
// visible area, as in the program).
constexpr Control kControls[] = {
    {kLabelClass, L"时", 0, 0, 384, 283, 12, 13},
    {kLabelClass, L"分", 0, 0, 448, 283, 12, 13},
    {kLabelClass, L"秒", 0, 0, 510, 283, 12, 13},
    {kLabelClass, L"设置时间", 0, 0, 2, 11, 64, 19},
    {kLabelClass, L"已停止倒计时", 0, 0, 60, 33, 132, 25},
    {kLabelClass, L"倒计时：", 0, 0, 2, 38, 68, 19},
    {kLabelClass, L"选择事件", 0, 0, 5, 59, 48, 13},
    {kLabelClass, L"", 0, 0, 13, 40, 5, 18},
    {L"Edit", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 337, 280, 41, 21},
    {L"Edit", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 402, 280, 41, 21},
    {L"Edit", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 465, 280, 41, 21},
    {L"Button", L"开始", WS_TABSTOP | BS_PUSHBUTTON, 0, 178, 1, 55, 32},
    {L"Edit", L"00:00:00", WS_TABSTOP, WS_EX_CLIENTEDGE, 71, 3, 105, 21},
    {L"Button", L"关机", WS_TABSTOP | BS_RADIOBUTTON, 0, 58, 57, 52, 20},
    {L"Button", L"重启", WS_TABSTOP | BS_RADIOBUTTON, 0, 110, 57, 52, 20},
    {L"Button", L"注销", WS_TABSTOP | BS_RADIOBUTTON, 0, 170, 57, 52, 20},
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"ControlsWindow";
  RegisterClassExW(&wc);
  wc.lpfnWndProc = LabelProc;
  wc.lpszClassName = kLabelClass;
  RegisterClassExW(&wc);

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT rect{0, 0, 232, 73};
  AdjustWindowRect(&rect, style, FALSE);
  HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, L"ControlsWindow", L"", style, CW_USEDEFAULT,
                                CW_USEDEFAULT, rect.right - rect.left, rect.bottom - rect.top,
                                nullptr, nullptr, instance, nullptr);
  gFont =
      CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
  for (const Control& c : kControls) {
    HWND child =
        CreateWindowExW(c.exStyle, c.windowClass, c.text, WS_CHILD | WS_VISIBLE | c.style, c.left,
                        c.top, c.width, c.height, window, nullptr, instance, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(gFont), FALSE);
    if (gFirstFocus == nullptr && c.windowClass[0] == L'E') gFirstFocus = child;
  }
  ShowWindow(window, showCommand);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  DeleteObject(gFont);
  return 0;
}
