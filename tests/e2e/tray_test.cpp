// The notification-area icon as a user meets it in Wine's taskbar: present from the start,
// minimizing to it, the gestures on it (through the callback message and as real clicks), its
// menu with "显示" and "退出", a new taskbar, and a start with the minimized show command.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/driver/driver.h"
// After windows.h (from the driver header).
#include <shellapi.h>
#include "vcl/win32/tray_win32.h"

namespace e2e {
namespace {

using vcl::win32::kTrayCallbackMessage;
using vcl::win32::kTrayIconId;
using vcl::win32::kTrayReceiverClass;

HWND ChildWithText(HWND main, std::wstring_view text) {
  for (HWND child : Descendants(main)) {
    if (Text(child) == text) return child;
  }
  return nullptr;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

// The part of the screen above the taskbar.
RECT VisibleArea() {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr)) {
    area.bottom = std::min(area.bottom, WindowRect(taskbar).top);
  }
  return area;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// Where the program's icon shows in the notification area: the box around the pixels of the
// icon's dark blue rim at the right end of the taskbar; nothing when fewer than a handful show.
std::optional<RECT> IconOnScreen() {
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (taskbar == nullptr) return std::nullopt;
  const RECT bar = WindowRect(taskbar);
  const int left = std::max(bar.left, bar.right - 160);
  const int width = bar.right - left, height = bar.bottom - bar.top;
  if (width <= 0 || height <= 0) return std::nullopt;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, left, bar.top, SRCCOPY);
  GdiFlush();
  RECT box{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
  int count = 0;
  const auto* pixels = static_cast<const uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[y * width + x];
      const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      // The rim, RGB 30 60 120, with room for smoothing at its edges.
      if (std::abs(r - 30) < 20 && std::abs(g - 60) < 20 && std::abs(b - 120) < 20) {
        ++count;
        box.left = std::min<LONG>(box.left, left + x);
        box.right = std::max<LONG>(box.right, left + x + 1);
        box.top = std::min<LONG>(box.top, bar.top + y);
        box.bottom = std::max<LONG>(box.bottom, bar.top + y + 1);
      }
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (count < 8) return std::nullopt;
  return box;
}

// The pixels of a rectangle of the screen, 0x00RRGGBB, rows top down.
std::vector<uint32_t> ScreenPixels(const RECT& r) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const auto* source = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = source[i] & 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// The program's icon resource, its image of `imageSize` pixels drawn at `size` pixels over
// `background`, as the notification area draws it.
std::vector<uint32_t> IconImage(const std::wstring& exe, int imageSize, int size,
                                COLORREF background) {
  std::vector<uint32_t> pixels;
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return pixels;
  HICON icon =
      static_cast<HICON>(LoadImageW(module, L"MAINICON", IMAGE_ICON, imageSize, imageSize, 0));
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  HBRUSH brush = CreateSolidBrush(background);
  const RECT all{0, 0, size, size};
  FillRect(memory, &all, brush);
  DeleteObject(brush);
  if (icon != nullptr) DrawIconEx(memory, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  GdiFlush();
  const auto* source = static_cast<const uint32_t*>(bits);
  pixels.assign(source, source + size * size);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (icon != nullptr) DestroyIcon(icon);
  FreeLibrary(module);
  return pixels;
}

// The largest difference of one colour channel between an image and the screen region at
// the best place around `around`.
int BestMatch(const std::vector<uint32_t>& image, int size, const RECT& around) {
  // Within the screen: Wine copies nothing from a rectangle that reaches past it.
  const RECT area{std::max<LONG>(0, around.left - size), std::max<LONG>(0, around.top - size),
                  std::min<LONG>(GetSystemMetrics(SM_CXSCREEN), around.right + size),
                  std::min<LONG>(GetSystemMetrics(SM_CYSCREEN), around.bottom + size)};
  const std::vector<uint32_t> screen = ScreenPixels(area);
  const int width = area.right - area.left, height = area.bottom - area.top;
  int best = 256;
  for (int top = 0; top + size <= height; ++top) {
    for (int left = 0; left + size <= width; ++left) {
      int worst = 0;
      for (int y = 0; y < size && worst < best; ++y) {
        for (int x = 0; x < size; ++x) {
          const uint32_t a = image[static_cast<size_t>(y) * size + x];
          const uint32_t b = screen[static_cast<size_t>(top + y) * width + left + x];
          for (int shift : {0, 8, 16}) {
            worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                             static_cast<int>((b >> shift) & 0xFF)));
          }
        }
      }
      best = std::min(best, worst);
    }
  }
  return best;
}

bool IconShown() {
  return IconOnScreen().has_value();
}

// Real mouse input through the desktop, as a user's hand gives it.
void MouseAt(POINT p, std::initializer_list<DWORD> buttonFlags) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  std::vector<INPUT> inputs;
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dx = static_cast<LONG>((p.x * 65536LL + w / 2) / w);
  move.mi.dy = static_cast<LONG>((p.y * 65536LL + h / 2) / h);
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  inputs.push_back(move);
  for (DWORD flag : buttonFlags) {
    INPUT button{};
    button.type = INPUT_MOUSE;
    button.mi.dwFlags = flag;
    inputs.push_back(button);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

POINT Centre(const RECT& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The main window and the application window as the taskbar and the screen show them.
struct Presence {
  bool mainVisible;
  bool applicationVisible;
  bool applicationMinimized;
  size_t taskButtons;
  bool operator==(const Presence&) const = default;
};

void PrintTo(const Presence& p, std::ostream* os) {
  *os << "main " << (p.mainVisible ? "visible" : "hidden") << ", application "
      << (p.applicationVisible ? "visible" : "hidden")
      << (p.applicationMinimized ? " minimized" : " restored") << ", " << p.taskButtons
      << " task buttons";
}

constexpr Presence kShown{true, true, false, 1};
constexpr Presence kInTray{false, false, true, 0};
constexpr Presence kShownFromTray{true, false, true, 0};

class TrayTest : public E2eTest {
 protected:
  void TearDown() override {
    E2eTest::TearDown();
    if (desktopChanged_) ChangeDisplaySettingsW(nullptr, 0);
  }

  // Starts the program and waits for its window, its receiving window and its icon.
  App& Start(WORD showCommand = SW_SHOWNORMAL) {
    LaunchOptions options;
    options.showCommand = showCommand;
    App& app = Launch(options);
    app_ = &app;
    EXPECT_TRUE(WaitUntil([&] { return (receiver_ = Receiver()) != nullptr; }))
        << "no receiving window";
    if (showCommand == SW_SHOWNORMAL) {
      main_ = app.WaitForMainWindow();
      EXPECT_NE(main_, nullptr) << "no main window";
      application_ = main_ != nullptr ? Owner(main_) : nullptr;
      EXPECT_TRUE(main_ != nullptr && Reaches(kShown)) << ::testing::PrintToString(Now());
    } else {
      // Started minimized the main window is hidden: find it by its owner and class.
      EXPECT_TRUE(WaitUntil([&] {
        for (HWND w : app.TopLevelWindows()) {
          if (ClassName(w) == L"TForm1") main_ = w;
        }
        return main_ != nullptr;
      }));
    }
    application_ = main_ != nullptr ? Owner(main_) : nullptr;
    EXPECT_NE(application_, nullptr) << "no application window";
    EXPECT_TRUE(WaitUntil(IconShown)) << "no icon in the notification area";
    return app;
  }

  HWND Receiver() const {
    for (HWND w : app_->TopLevelWindows()) {
      if (ClassName(w) == kTrayReceiverClass) return w;
    }
    return nullptr;
  }

  // A gesture as the shell reports it to the receiving window.
  void Gesture(UINT mouseMessage) {
    PostMessageW(receiver_, kTrayCallbackMessage, kTrayIconId, mouseMessage);
  }

  Presence Now() const {
    return {MainVisible(), IsWindowVisible(application_) != FALSE, IsIconic(application_) != FALSE,
            TaskButtons().size()};
  }
  // The skinned frame clears WS_VISIBLE for an instant while the clock changes the caption (so
  // the system draws no title of its own): hidden means hidden in three readings in a row.
  bool MainVisible() const {
    for (int reading = 0; reading < 3; ++reading) {
      if (reading > 0) Sleep(5);
      if (IsWindowVisible(main_)) return true;
    }
    return false;
  }
  bool Reaches(const Presence& wanted, DWORD timeoutMs = 5000) const {
    return WaitUntil([&] { return Now() == wanted; }, timeoutMs);
  }
  // Nothing changes within a while (longer than the double-click time): empty, or the first
  // other state seen.
  std::string Leaves(const Presence& wanted) const {
    Presence seen = wanted;
    WaitUntil(
        [&] {
          seen = Now();
          return !(seen == wanted);
        },
        800);
    return seen == wanted ? std::string() : ::testing::PrintToString(seen);
  }

  void Minimize(HWND target) { PostMessageW(target, WM_SYSCOMMAND, SC_MINIMIZE, 0); }

  // Opens the tray menu by releasing the right button over the icon and chooses by letter.
  void ChooseFromTrayMenu(wchar_t letter) {
    Gesture(WM_RBUTTONUP);
    HWND menu = app_->WaitForPopupMenu();
    ASSERT_NE(menu, nullptr) << "the tray menu did not open";
    MenuAccessKey(menu, letter);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 3000)) << "the menu stays";
  }

  // Switches the virtual desktop to another size (restored after the test). Wine leaves the
  // system's work area at its old height then; the taskbar moves to the new bottom edge.
  bool SetDesktopSize(int width, int height) {
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    if (ChangeDisplaySettingsW(&mode, 0) != DISP_CHANGE_SUCCESSFUL) return false;
    desktopChanged_ = true;
    return WaitUntil([&] {
      HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
      return GetSystemMetrics(SM_CXSCREEN) == width && GetSystemMetrics(SM_CYSCREEN) == height &&
             taskbar != nullptr && WindowRect(taskbar).bottom == height &&
             WindowRect(taskbar).right == width;
    });
  }

  App* app_ = nullptr;
  HWND main_ = nullptr;
  HWND application_ = nullptr;
  HWND receiver_ = nullptr;
  bool desktopChanged_ = false;
};

TEST_F(TrayTest, IconIsThereFromTheStartAndGoesWithTheProgram) {
  App& app = Start();
  EXPECT_TRUE(Reaches(kShown)) << ::testing::PrintToString(Now());
  const std::optional<RECT> icon = IconOnScreen();
  ASSERT_TRUE(icon.has_value());
  const RECT bar = WindowRect(FindWindowW(L"Shell_TrayWnd", nullptr));
  EXPECT_GE(icon->left, bar.right - 40) << Describe(*icon) << " in " << Describe(bar);
  EXPECT_LE(icon->bottom, bar.bottom) << Describe(*icon);
  // Crisp: the resource's own image of the small-icon size, pixel for pixel, not a larger one
  // scaled down by the shell.
  const int small = GetSystemMetrics(SM_CXSMICON);
  const COLORREF background =
      ScreenPixels({icon->left - 2, icon->top, icon->left - 1, icon->top + 1})[0];
  const COLORREF backgroundRef =
      RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF);
  const int own = BestMatch(IconImage(TestExePath(), small, small, backgroundRef), small, *icon);
  const int squeezed = BestMatch(IconImage(TestExePath(), 32, small, backgroundRef), small, *icon);
  EXPECT_LE(own, 8) << "the 32-pixel image squeezed differs from the screen by " << squeezed;
  EXPECT_FALSE(SaveScreenshot(L"tray-icon-after-start").empty());
  // The receiving window is hidden and carries no task button of its own.
  EXPECT_FALSE(IsWindowVisible(receiver_));

  PostMessageW(main_, WM_CLOSE, 0, 0);
  EXPECT_EQ(app.WaitForExit(), std::optional<DWORD>(0));
  EXPECT_TRUE(WaitUntil([] { return !IconShown(); })) << "the icon outlives the program";
}

struct MinimizePath {
  const char* name;
  bool toApplicationWindow;
};

class MinimizeTest : public TrayTest, public ::testing::WithParamInterface<MinimizePath> {};

TEST_P(MinimizeTest, HidesTheTaskButtonAndTheMainWindowAndADoubleClickBringsThemBack) {
  Start();
  const RECT before = WindowRect(main_);
  // The focus on the Start button before minimizing (the third Tab from the hidden edit).
  HWND button = ChildWithText(main_, L"开始");
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main_) != nullptr; }));
  for (int i = 0; i < 3; ++i) PressKey(FocusOf(main_), VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main_) == button; }, 3000));

  Minimize(GetParam().toApplicationWindow ? application_ : main_);
  EXPECT_TRUE(Reaches(kInTray)) << ::testing::PrintToString(Now());
  EXPECT_TRUE(IconShown());
  SaveScreenshot(std::wstring(L"tray-minimized-") +
                 (GetParam().toApplicationWindow ? L"application" : L"main"));

  Gesture(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(Reaches(kShown)) << ::testing::PrintToString(Now());
  EXPECT_EQ(Describe(WindowRect(main_)), Describe(before)) << "not where it was";
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main_) == button; }, 3000))
      << "focus on " << Utf8(ClassName(FocusOf(main_))) << " " << Utf8(Text(FocusOf(main_)));
  EXPECT_TRUE(IconShown());
}

INSTANTIATE_TEST_SUITE_P(Paths, MinimizeTest,
                         ::testing::Values(MinimizePath{"MainWindow", false},
                                           MinimizePath{"ApplicationWindow", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrayTest, OnlyTheLeftDoubleClickRestoresAndOnlyReleasingTheRightButtonOpensTheMenu) {
  App& app = Start();
  Minimize(main_);
  ASSERT_TRUE(Reaches(kInTray));
  for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK,
                       WM_MBUTTONDOWN, WM_MOUSEMOVE}) {
    Gesture(message);
  }
  EXPECT_EQ(Leaves(kInTray), "");
  EXPECT_EQ(OpenPopupMenu(app.Pid()), nullptr) << "a menu opened";
  Gesture(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(Reaches(kShown)) << ::testing::PrintToString(Now());
}

TEST_F(TrayTest, RealClicksOnTheIcon) {
  App& app = Start();
  Minimize(main_);
  ASSERT_TRUE(Reaches(kInTray));
  const std::optional<RECT> icon = IconOnScreen();
  ASSERT_TRUE(icon.has_value());
  const POINT at = Centre(*icon);

  // A single left click does nothing.
  MouseAt(at, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
  EXPECT_EQ(Leaves(kInTray), "");

  // Releasing the right button opens the menu by the pointer (moved inside the screen above
  // the taskbar, as the corner leaves it no room at the pointer itself).
  MouseAt(at, {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP});
  HWND menu = app.WaitForPopupMenu();
  ASSERT_NE(menu, nullptr) << "no menu after a right click on the icon";
  const RECT m = WindowRect(menu);
  SaveScreenshot(L"tray-menu-at-the-icon");
  EXPECT_TRUE(Inside(m, VisibleArea())) << Describe(m);
  EXPECT_LE(std::abs(m.right - at.x), 24) << "menu " << Describe(m) << ", pointer " << at.x;
  EXPECT_LE(std::abs(m.bottom - at.y), 24) << "menu " << Describe(m) << ", pointer " << at.y;
  PressKey(menu, VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 3000));
  EXPECT_EQ(Leaves(kInTray), "");

  // A left double-click shows the program again.
  MouseAt(at, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
  EXPECT_TRUE(Reaches(kShown)) << ::testing::PrintToString(Now());
}

TEST_F(TrayTest, MenuOpensWithItsTopLeftCornerAtThePointer) {
  App& app = Start();
  // Where the menu has room: its top-left corner is the pointer.
  MouseAt({300, 200}, {});
  ASSERT_TRUE(WaitUntil([] {
    POINT p{};
    GetCursorPos(&p);
    return p.x == 300 && p.y == 200;
  }));
  // Wine moves the X pointer after the desktop's own cursor; the program may ask X.
  Sleep(300);
  Gesture(WM_RBUTTONUP);
  HWND menu = app.WaitForPopupMenu();
  ASSERT_NE(menu, nullptr) << "the tray menu did not open";
  const RECT m = WindowRect(menu);
  EXPECT_EQ(m.left, 300) << Describe(m);
  EXPECT_EQ(m.top, 200) << Describe(m);
  // Two items of one text line each.
  EXPECT_GT(m.bottom - m.top, 2 * 12) << Describe(m);
  EXPECT_LT(m.bottom - m.top, 2 * 40) << Describe(m);
  // Before the menu opened the main window came to the foreground.
  EXPECT_EQ(GetForegroundWindow(), main_);
  Sleep(300);  // for the screenshot only: the menu paints after it shows
  SaveScreenshot(L"tray-menu");
  PressKey(menu, VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 3000));
  EXPECT_EQ(Leaves(kShown), "");
}

TEST_F(TrayTest, DoubleClickWhileShownBringsTheProgramForward) {
  Start();
  const RECT before = WindowRect(main_);
  Gesture(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitUntil([&] {
    HWND foreground = GetForegroundWindow();
    return foreground == main_ || foreground == application_;
  }));
  EXPECT_EQ(Leaves(kShown), "");
  EXPECT_EQ(Describe(WindowRect(main_)), Describe(before));
}

TEST_F(TrayTest, ShowPutsTheWindowAtItsFixedPlace) {
  // 807 + 248 needs a desktop wider than the harness's 1024 pixels.
  ASSERT_TRUE(SetDesktopSize(1280, 720)) << "the desktop cannot take 1280 x 720";
  App& app = Start();
  const RECT outer = WindowRect(main_);
  const SIZE client = ClientSize(main_);
  // The frame as this system draws it; the outer size is fixed, so the client area is
  // 248 x 111 less the frame (232 x 73 with 8-pixel borders and a 30-pixel top).
  const int frameX = (outer.right - outer.left) - client.cx;
  const int frameY = (outer.bottom - outer.top) - client.cy;
  const POINT clientOffset{ClientOrigin(main_).x - outer.left, ClientOrigin(main_).y - outer.top};
  HWND button = ChildWithText(main_, L"开始");
  ASSERT_NE(button, nullptr);
  const POINT buttonInClient{WindowRect(button).left - ClientOrigin(main_).x,
                             WindowRect(button).top - ClientOrigin(main_).y};

  // From the shown state: moved, sized, activated; never topmost.
  ChooseFromTrayMenu(L'Y');
  EXPECT_TRUE(WaitUntil([&] { return Describe(WindowRect(main_)) == "807,436 248x111"; }))
      << Describe(WindowRect(main_));
  EXPECT_EQ(ClientSize(main_).cx, 248 - frameX);
  EXPECT_EQ(ClientSize(main_).cy, 111 - frameY);
  // The skin's frame is 8 pixels at the sides and bottom and 30 at the top.
  EXPECT_EQ(ClientSize(main_).cx, 232);
  EXPECT_EQ(ClientSize(main_).cy, 73);
  EXPECT_EQ(ClientOrigin(main_).x - 807, clientOffset.x);
  EXPECT_EQ(ClientOrigin(main_).y - 436, clientOffset.y);
  EXPECT_EQ(WindowRect(button).left - ClientOrigin(main_).x, buttonInClient.x);
  EXPECT_EQ(WindowRect(button).top - ClientOrigin(main_).y, buttonInClient.y);
  EXPECT_EQ(ExStyle(main_) & WS_EX_TOPMOST, 0);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main_; }));
  EXPECT_EQ(Now(), kShown);
  SaveScreenshot(L"tray-show-1280x720");

  // From the tray: the window shows at its place, the task button stays hidden and the
  // minimize button does nothing until a double-click restores the application.
  Minimize(main_);
  ASSERT_TRUE(Reaches(kInTray));
  ChooseFromTrayMenu(L'Y');
  EXPECT_TRUE(Reaches(kShownFromTray)) << ::testing::PrintToString(Now());
  EXPECT_EQ(Describe(WindowRect(main_)), "807,436 248x111");
  Minimize(main_);
  EXPECT_EQ(Leaves(kShownFromTray), "");
  Gesture(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(Reaches(kShown)) << ::testing::PrintToString(Now());
  Minimize(main_);
  EXPECT_TRUE(Reaches(kInTray)) << ::testing::PrintToString(Now());
  EXPECT_TRUE(app.IsRunning());
}

struct SmallDesktop {
  const char* name;
  int width;
  int height;
  POINT placed;  // against the right edge; the fixed top still fits
};

class ShowOnASmallDesktopTest : public TrayTest,
                                public ::testing::WithParamInterface<SmallDesktop> {};

TEST_P(ShowOnASmallDesktopTest, KeepsTheWindowInsideTheWorkArea) {
  const SmallDesktop& desktop = GetParam();
  if (desktop.width != GetSystemMetrics(SM_CXSCREEN) ||
      desktop.height != GetSystemMetrics(SM_CYSCREEN)) {
    ASSERT_TRUE(SetDesktopSize(desktop.width, desktop.height));
  }
  Start();
  ChooseFromTrayMenu(L'Y');
  const RECT expected{desktop.placed.x, desktop.placed.y, desktop.placed.x + 248,
                      desktop.placed.y + 111};
  EXPECT_TRUE(WaitUntil([&] { return Describe(WindowRect(main_)) == Describe(expected); }))
      << Describe(WindowRect(main_));
  EXPECT_TRUE(Inside(WindowRect(main_), VisibleArea())) << Describe(VisibleArea());
  SaveScreenshot(std::wstring(L"tray-show-") + FromUtf8(desktop.name));
}

INSTANTIATE_TEST_SUITE_P(Desktops, ShowOnASmallDesktopTest,
                         ::testing::Values(SmallDesktop{"1024x700", 1024, 700, {776, 436}},
                                           SmallDesktop{"800x600", 800, 600, {552, 436}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrayTest, ExitDuringACountdownEndsWithoutEndActionAndTakesTheIcon) {
  App& app = Start();
  // 10:00 in the program, so 23:59:59 lies ahead.
  SYSTEMTIME now;
  GetLocalTime(&now);
  app.SetClockOffset(10 * 3600.0 - (now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond +
                                    now.wMilliseconds / 1000.0));
  Click(ChildWithText(main_, L"关机"));
  HWND picker = nullptr;
  for (HWND child : Descendants(main_)) {
    if (Text(child) == L"00:00:00") picker = child;
  }
  ASSERT_NE(picker, nullptr);
  TypeText(picker, L"235959");
  ASSERT_TRUE(WaitUntil([&] { return Text(picker) == L"23:59:59"; }, 3000));
  Click(ChildWithText(main_, L"开始"));
  ASSERT_TRUE(WaitUntil([&] { return ChildWithText(main_, L"停止") != nullptr; }, 3000));
  Minimize(main_);
  ASSERT_TRUE(Reaches(kInTray));

  ChooseFromTrayMenu(L'Z');
  EXPECT_EQ(app.WaitForExit(), std::optional<DWORD>(0));
  EXPECT_TRUE(app.CallsLog().empty()) << "an end action took place";
  EXPECT_TRUE(WaitUntil([] { return !IconShown(); })) << "the icon stays";
  EXPECT_TRUE(TaskButtons().empty());
}

TEST_F(TrayTest, IconComesBackWithANewTaskbar) {
  Start();
  // The shell forgets the icon, as when Explorer starts anew...
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = receiver_;
  data.uID = kTrayIconId;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
  ASSERT_TRUE(WaitUntil([] { return !IconShown(); })) << "the icon did not go";
  // ...and broadcasts "TaskbarCreated".
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
  EXPECT_TRUE(WaitUntil(IconShown)) << "the icon did not come back";

  // Broadcast again while the icon is there: it stays, and the tray still works.
  PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
  Minimize(main_);
  EXPECT_TRUE(Reaches(kInTray)) << ::testing::PrintToString(Now());
  EXPECT_TRUE(IconShown());
  SaveScreenshot(L"tray-after-taskbar-created");
  Gesture(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(Reaches(kShown)) << ::testing::PrintToString(Now());
}

TEST_F(TrayTest, EndOfTheSessionRemovesTheIconWithoutObjecting) {
  Start();
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(receiver_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                  SMTO_ABORTIFHUNG, 3000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  // The end called off: the icon stays.
  ASSERT_TRUE(SendMessageTimeoutW(receiver_, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF,
                                  SMTO_ABORTIFHUNG, 3000, &answer));
  EXPECT_EQ(Leaves(kShown), "");
  EXPECT_TRUE(IconShown());
  // The session ends: the icon goes.
  ASSERT_TRUE(SendMessageTimeoutW(receiver_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF,
                                  SMTO_ABORTIFHUNG, 3000, &answer));
  EXPECT_TRUE(WaitUntil([] { return !IconShown(); })) << "the icon stays";
}

TEST_F(TrayTest, StartedMinimizedShowsOnlyTheIcon) {
  Start(SW_SHOWMINNOACTIVE);
  EXPECT_TRUE(Reaches(kInTray)) << ::testing::PrintToString(Now());
  EXPECT_EQ(Leaves(kInTray), "");
  SaveScreenshot(L"tray-started-minimized");
  Gesture(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(Reaches(kShown)) << ::testing::PrintToString(Now());
  EXPECT_EQ(Utf8(Text(application_)), "倒计时");
}

}  // namespace
}  // namespace e2e
