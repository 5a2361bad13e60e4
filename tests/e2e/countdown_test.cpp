// The main window's controls and the countdown as a user drives them: the title-bar clock, the
// right-click menu, Start to a target a few seconds ahead, a passed target, the focus order,
// and the end action recorded by the test exe.
#include <regex>

#include "tests/e2e/driver/driver.h"

namespace e2e {
namespace {

// The real local time of this Wine prefix, in seconds since midnight.
double LocalSecondsNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
}

HWND ChildWithText(HWND main, std::wstring_view text) {
  for (HWND child : Descendants(main)) {
    if (Text(child) == text) return child;
  }
  return nullptr;
}

// The picker: the child whose text reads as HH:MM:SS.
HWND Picker(HWND main) {
  static const std::wregex time(L"\\d\\d:\\d\\d:\\d\\d");
  for (HWND child : Descendants(main)) {
    if (std::regex_match(Text(child), time)) return child;
  }
  return nullptr;
}

POINT PlaceInClient(HWND main, HWND child) {
  const RECT r = WindowRect(child);
  const POINT origin = ClientOrigin(main);
  return {r.left - origin.x, r.top - origin.y};
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

class CountdownTest : public E2eTest {
 protected:
  // Starts the test exe with its clock moved so that local time is `seconds` after midnight.
  App& LaunchAt(double seconds) {
    App& app = Launch();
    main_ = app.WaitForMainWindow();
    EXPECT_NE(main_, nullptr) << "no main window";
    app.SetClockOffset(seconds - LocalSecondsNow());
    status_ = ChildWithText(main_, L"已停止倒计时");
    EXPECT_NE(status_, nullptr) << "no status label";
    return app;
  }
  void TypeTarget(std::wstring_view digits) {
    HWND picker = Picker(main_);
    ASSERT_NE(picker, nullptr) << "no time picker";
    TypeText(picker, digits);
  }
  void ClickStart() { Click(ChildWithText(main_, L"开始")); }

  HWND main_ = nullptr;
  HWND status_ = nullptr;
};

TEST_F(CountdownTest, TitleBarShowsTheClockAndTheWeekday) {
  App& app = Launch();
  app.SetClock(L"frozen 2020-01-01 08:05:09.000");
  HWND main = app.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Text(main) == L"08:05:09--周三"; }, 2000)) << Utf8(Text(main));
  app.SetClock(L"frozen 2020-01-04 23:59:58.000");
  EXPECT_TRUE(WaitUntil([&] { return Text(main) == L"23:59:58--周六"; }, 2000)) << Utf8(Text(main));
}

TEST_F(CountdownTest, VisibleControlsAreAtTheirPlacesWithTheirTexts) {
  LaunchAt(10 * 3600);
  const struct {
    const wchar_t* text;
    POINT place;
    SIZE size;  // 0: sized to its text
  } controls[] = {
      {L"设置时间", {2, 11}, {0, 0}},    {L"已停止倒计时", {60, 33}, {0, 0}},
      {L"选择事件", {5, 59}, {0, 0}},    {L"开始", {178, 1}, {55, 32}},
      {L"00:00:00", {71, 3}, {105, 21}}, {L"关机", {58, 57}, {52, 20}},
      {L"重启", {110, 57}, {52, 20}},    {L"注销", {170, 57}, {52, 20}},
  };
  for (const auto& c : controls) {
    HWND child = ChildWithText(main_, c.text);
    ASSERT_NE(child, nullptr) << "missing " << Utf8(c.text);
    EXPECT_TRUE(IsWindowVisible(child)) << Utf8(c.text);
    const POINT place = PlaceInClient(main_, child);
    EXPECT_EQ(place.x, c.place.x) << Utf8(c.text);
    EXPECT_EQ(place.y, c.place.y) << Utf8(c.text);
    if (c.size.cx != 0) {
      const RECT r = WindowRect(child);
      EXPECT_EQ(r.right - r.left, c.size.cx) << Utf8(c.text);
      EXPECT_EQ(r.bottom - r.top, c.size.cy) << Utf8(c.text);
    }
  }
  HWND prefix = ChildWithText(main_, L"倒计时：");
  ASSERT_NE(prefix, nullptr);
  EXPECT_FALSE(IsWindowVisible(prefix));
  SaveScreenshot(L"countdown-at-rest");
}

// A right-click on the background, a label, the button or a radio button opens the menu.
TEST_F(CountdownTest, RightClickOpensTheMenuOverEveryPartButThePicker) {
  App& app = LaunchAt(10 * 3600);
  const struct {
    const char* name;
    const wchar_t* childText;  // nullptr: the background
    POINT at;
  } targets[] = {{"background", nullptr, {225, 45}},
                 {"label", L"设置时间", {5, 5}},
                 {"button", L"开始", {10, 10}},
                 {"radio", L"重启", {10, 8}}};
  for (const auto& t : targets) {
    HWND target = t.childText ? ChildWithText(main_, t.childText) : main_;
    ASSERT_NE(target, nullptr) << t.name;
    RightClickAt(target, t.at.x, t.at.y);
    HWND menu = app.WaitForPopupMenu();
    ASSERT_NE(menu, nullptr) << "no menu over the " << t.name;
    if (std::string(t.name) == "button") SaveScreenshot(L"right-click-menu");
    MenuKeys(menu, {VK_ESCAPE});
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 3000)) << t.name;
  }
  EXPECT_TRUE(app.IsRunning());
}

TEST_F(CountdownTest, ExitFromTheMenuDuringACountdownEndsAtOnce) {
  App& app = LaunchAt(10 * 3600);
  TypeTarget(L"235959");
  ClickStart();
  ASSERT_TRUE(WaitUntil([&] { return Text(status_).find(L"小时") != std::wstring::npos; }));
  OpenContextMenu(main_);
  HWND menu = app.WaitForPopupMenu();
  ASSERT_NE(menu, nullptr);
  MenuAccessKey(menu, L'Z');
  EXPECT_EQ(app.WaitForExit(), std::optional<DWORD>(0));
  EXPECT_TRUE(app.CallsLog().empty());
}

TEST_F(CountdownTest, CountsDownToATargetAFewSecondsAhead) {
  App& app = LaunchAt(0.2);  // 00:00:00.2
  TypeTarget(L"000004");
  ASSERT_TRUE(WaitUntil([&] { return Text(Picker(main_)) == L"00:00:04"; }, 2000));
  ClickStart();
  EXPECT_TRUE(WaitUntil([&] { return Text(ChildWithText(main_, L"停止")) == L"停止"; }, 2000));
  std::vector<std::wstring> seen;
  const bool ended = WaitUntil(
      [&] {
        const std::wstring text = Text(status_);
        if (seen.empty() || seen.back() != text) seen.push_back(text);
        return text == L"已停止倒计时" && seen.size() > 2;
      },
      8000, 10);
  ASSERT_TRUE(ended);
  std::string trail;
  for (const auto& s : seen) trail += Utf8(s) + " | ";
  EXPECT_NE(std::find(seen.begin(), seen.end(), L"0小时0分2秒"), seen.end()) << trail;
  EXPECT_NE(std::find(seen.begin(), seen.end(), L"0小时0分1秒"), seen.end()) << trail;
  EXPECT_NE(std::find(seen.begin(), seen.end(), L"已到指定时间"), seen.end()) << trail;
  EXPECT_EQ(Text(ChildWithText(main_, L"开始")), L"开始");
  EXPECT_TRUE(app.CallsLog().empty()) << "an end action without a choice";
}

TEST_F(CountdownTest, PassedTargetShowsTheMessageBox) {
  App& app = LaunchAt(10 * 3600);
  ClickStart();
  HWND box = app.WaitForMessageBox();
  ASSERT_NE(box, nullptr) << "no message box";
  const MessageBoxInfo info = ReadMessageBox(box);
  EXPECT_EQ(Utf8(info.caption), "倒计时");
  EXPECT_EQ(Utf8(info.text), "设置的时间比当前系统时间早");
  ASSERT_EQ(info.buttons.size(), 1u);
  EXPECT_EQ(Utf8(info.buttons[0].second), "OK");
  EXPECT_FALSE(IsWindowEnabled(main_)) << "the main window stays enabled under the box";
  EXPECT_EQ(Text(status_), L"已停止倒计时");
  SaveScreenshot(L"passed-target-box");
  ASSERT_TRUE(info.Press(L"OK"));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_) != FALSE; }));
  EXPECT_EQ(Text(ChildWithText(main_, L"开始")), L"开始");
}

TEST_F(CountdownTest, FocusStartsOnTheHiddenEditAndTheThirdTabReachesTheButton) {
  LaunchAt(10 * 3600);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main_) != nullptr; }));
  HWND first = FocusOf(main_);
  EXPECT_EQ(ClassName(first), L"Edit");
  // sEdit1, right of the visible area.
  const POINT place = PlaceInClient(main_, first);
  EXPECT_EQ(place.x, 337);
  EXPECT_EQ(place.y, 280);
  // Keys typed before any click go there unseen.
  TypeText(first, L"12345");
  HWND button = ChildWithText(main_, L"开始");
  for (int i = 0; i < 3; ++i) PressKey(FocusOf(main_), VK_TAB);
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main_) == button; }, 3000))
      << "focus on " << Utf8(ClassName(FocusOf(main_))) << " " << Utf8(Text(FocusOf(main_)));
  EXPECT_EQ(Text(first), L"12345");
  EXPECT_EQ(Text(Picker(main_)), L"00:00:00");
  EXPECT_EQ(Text(status_), L"已停止倒计时");
}

struct EndChoice {
  const char* name;
  const wchar_t* radio;  // nullptr: none selected
  std::vector<std::wstring> calls;
};

const std::vector<std::wstring> kPrivilege = {L"OpenProcessToken 983295",
                                              L"LookupPrivilegeValue (local) SeShutdownPrivilege",
                                              L"AdjustTokenPrivileges 1 0 19 2", L"CloseToken 1"};

std::vector<std::wstring> Then(std::vector<std::wstring> calls, const wchar_t* last) {
  calls.push_back(last);
  return calls;
}

class EndActionTest : public CountdownTest, public ::testing::WithParamInterface<EndChoice> {};

TEST_P(EndActionTest, ZeroRunsTheChosenAction) {
  App& app = LaunchAt(0.2);
  if (GetParam().radio != nullptr) {
    HWND radio = ChildWithText(main_, GetParam().radio);
    ASSERT_NE(radio, nullptr);
    Click(radio);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  }
  TypeTarget(L"000002");
  ASSERT_TRUE(WaitUntil([&] { return Text(Picker(main_)) == L"00:00:02"; }, 2000));
  ClickStart();
  std::vector<std::wstring> seen;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::wstring text = Text(status_);
        if (seen.empty() || seen.back() != text) seen.push_back(text);
        return text == L"已停止倒计时" && seen.size() > 2;
      },
      8000, 10));
  EXPECT_NE(std::find(seen.begin(), seen.end(), L"已到指定时间"), seen.end());
  EXPECT_EQ(app.CallsLog(), GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, EndActionTest,
    ::testing::Values(EndChoice{"None", nullptr, {}},
                      EndChoice{"ShutDown", L"关机", Then(kPrivilege, L"ExitWindowsEx 9 0")},
                      EndChoice{"Restart", L"重启", Then(kPrivilege, L"ExitWindowsEx 10 0")},
                      EndChoice{"LogOff", L"注销", {L"ExitWindowsEx 0 0"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
