// The program body and the main window as a user meets them: the taskbar button, the window's
// place, size and frame, closing it, and several copies at once.
#include "tests/e2e/driver/driver.h"

namespace e2e {
namespace {

using MainWindowTest = E2eTest;

TEST_F(MainWindowTest, TaskbarButtonReadsTheApplicationTitle) {
  App& app = Launch();
  HWND main = app.WaitForMainWindow();
  ASSERT_NE(main, nullptr) << "no main window";
  HWND appWindow = app.ApplicationWindow();
  ASSERT_NE(appWindow, nullptr) << "the main window has no owner";
  EXPECT_EQ(ProcessOf(appWindow), app.Pid());
  EXPECT_EQ(Utf8(Text(appWindow)), "倒计时");
  RECT r = WindowRect(appWindow);
  EXPECT_EQ(r.right - r.left, 0) << "the application window is not zero-sized";
  EXPECT_EQ(r.bottom - r.top, 0) << "the application window is not zero-sized";

  // The taskbar shows one button for the program, which Wine labels with the text of the one
  // unowned visible window: the application window. The main window has no button of its own.
  EXPECT_TRUE(WaitUntil([] { return TaskButtons().size() == 1; }))
      << TaskButtons().size() << " task buttons";
  for (HWND window : app.TopLevelWindows()) {
    if (window != appWindow && IsWindowVisible(window) &&
        (ExStyle(window) & WS_EX_TOOLWINDOW) == 0) {
      EXPECT_NE(Owner(window), nullptr) << "a second task button: " << Utf8(ClassName(window));
    }
  }
  EXPECT_FALSE(SaveScreenshot(L"taskbar").empty());
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(app.WaitForExit(), std::optional<DWORD>(0));
  EXPECT_TRUE(WaitUntil([] { return TaskButtons().empty(); })) << "the task button stays";
}

TEST_F(MainWindowTest, CentredOnTheScreenWithAFixedFrame) {
  App& app = Launch();
  HWND main = app.WaitForMainWindow();
  ASSERT_NE(main, nullptr) << "no main window";
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  ASSERT_EQ(screenWidth, 1024) << "the harness's virtual desktop is not in force";
  ASSERT_EQ(screenHeight, 700) << "the harness's virtual desktop is not in force";

  SIZE client = ClientSize(main);
  EXPECT_EQ(client.cx, 232);
  EXPECT_EQ(client.cy, 73);
  RECT r = WindowRect(main);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  EXPECT_EQ(r.left, (screenWidth - width) / 2) << "window " << width << "x" << height;
  EXPECT_EQ(r.top, (screenHeight - height) / 2) << "window " << width << "x" << height;

  const LONG style = Style(main);
  EXPECT_EQ(style & WS_THICKFRAME, 0) << "the frame can be dragged to resize";
  EXPECT_EQ(style & WS_MAXIMIZEBOX, 0) << "a maximize button";
  EXPECT_NE(style & WS_MINIMIZEBOX, 0) << "no minimize button";
  EXPECT_NE(style & WS_SYSMENU, 0) << "no window menu and close button";
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);

  // The frame's edges answer as plain border, not as sizing handles.
  const POINT edges[] = {{r.right - 1, (r.top + r.bottom) / 2},
                         {(r.left + r.right) / 2, r.bottom - 1},
                         {r.right - 1, r.bottom - 1}};
  for (POINT p : edges) {
    DWORD_PTR hit = 0;
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y), SMTO_ABORTIFHUNG,
                                    3000, &hit));
    const bool sizing = (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) || hit == HTSIZE;
    EXPECT_FALSE(sizing) << "hit test " << hit << " at (" << p.x << "," << p.y << ")";
  }

  EXPECT_FALSE(SaveScreenshot(L"main-window").empty());
  EXPECT_FALSE(SaveWindowShot(main, L"main-window-alone").empty());
}

struct ClosePath {
  const char* name;
  void (*close)(HWND main);
};

class ClosingTest : public E2eTest, public ::testing::WithParamInterface<ClosePath> {};

TEST_P(ClosingTest, EndsTheProgramWithExitCodeZero) {
  App& app = Launch();
  HWND main = app.WaitForMainWindow();
  ASSERT_NE(main, nullptr) << "no main window";
  GetParam().close(main);
  std::optional<DWORD> code = app.WaitForExit(10000);
  ASSERT_TRUE(code.has_value()) << "still running after " << GetParam().name;
  EXPECT_EQ(*code, 0u);
}

const ClosePath kClosePaths[] = {
    {"WM_CLOSE", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }},
    {"SC_CLOSE", [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"AltF4",
     [](HWND w) {
       // WM_SYSKEYDOWN with the context code (Alt held) set, as the keyboard sends it.
       const LPARAM alt = 1 | (MapVirtualKeyW(VK_F4, MAPVK_VK_TO_VSC) << 16) | (1 << 29);
       PostMessageW(w, WM_SYSKEYDOWN, VK_F4, alt);
       PostMessageW(w, WM_SYSKEYUP, VK_F4, alt | (1 << 30) | (static_cast<LPARAM>(1) << 31));
     }},
};

INSTANTIATE_TEST_SUITE_P(Paths, ClosingTest, ::testing::ValuesIn(kClosePaths),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, TwoCopiesRunSideBySide) {
  App& first = Launch();
  HWND firstMain = first.WaitForMainWindow();
  ASSERT_NE(firstMain, nullptr);
  App& second = Launch();
  HWND secondMain = second.WaitForMainWindow();
  ASSERT_NE(secondMain, nullptr) << "the second copy showed no window";
  EXPECT_NE(firstMain, secondMain);
  // Neither copy ends the other or itself.
  EXPECT_FALSE(second.WaitForExit(1500).has_value());
  EXPECT_TRUE(first.IsRunning());
  EXPECT_TRUE(IsWindowVisible(firstMain));
  EXPECT_TRUE(IsWindowVisible(secondMain));
  SaveScreenshot(L"two-copies");

  PostMessageW(secondMain, WM_CLOSE, 0, 0);
  EXPECT_EQ(second.WaitForExit(), std::optional<DWORD>(0));
  EXPECT_TRUE(first.IsRunning()) << "closing one copy ended the other";
  PostMessageW(firstMain, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace e2e
