// The time picker as a user drives it: entered by Tab and by a click, digits and arrow keys,
// the spin buttons clicked and held, pastes taken and refused, the edit field's own menu on a
// right-click, real mouse and keyboard input, and a countdown to the edited time.
#include <regex>

#include "tests/e2e/driver/driver.h"

namespace e2e {
namespace {

// The picker: the one child whose text reads as HH:MM:SS.
HWND Picker(HWND main) {
  static const std::wregex time(L"\\d\\d:\\d\\d:\\d\\d");
  HWND found = nullptr;
  for (HWND child : Descendants(main)) {
    if (!std::regex_match(Text(child), time)) continue;
    EXPECT_EQ(found, nullptr) << "two windows read as a time of day";
    found = child;
  }
  return found;
}

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

// The edit's selection as (start, end), or (-1, -1) when it does not answer.
std::pair<int, int> Selection(HWND edit) {
  DWORD_PTR packed = 0;
  if (!SendMessageTimeoutW(edit, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 3000, &packed)) return {-1, -1};
  return {static_cast<int>(LOWORD(packed)), static_cast<int>(HIWORD(packed))};
}

std::string Show(std::pair<int, int> selection) {
  return "(" + std::to_string(selection.first) + "," + std::to_string(selection.second) + ")";
}

// Client x of the boundary before character `index` (EM_POSFROMCHAR; past the end: the end of
// the last character).
int BoundaryX(HWND edit, int index) {
  DWORD_PTR packed = 0;
  SendMessageTimeoutW(edit, EM_POSFROMCHAR, index, 0, SMTO_ABORTIFHUNG, 3000, &packed);
  return static_cast<short>(LOWORD(packed));
}

// A client x a few pixels right of the last character (EM_POSFROMCHAR has no place for the
// end of the text: one more digit's width after the last character's start).
int PastTheEndX(HWND edit) {
  const int last = BoundaryX(edit, 7);
  return last + (last - BoundaryX(edit, 6)) + 4;
}

bool SetClipboardText(const std::wstring& text) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
      HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
      bool ok = false;
      if (memory != nullptr) {
        memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!ok) GlobalFree(memory);
      }
      CloseClipboard();
      return ok;
    }
    Sleep(20);
  }
  return false;
}

std::wstring ClipboardText() {
  std::wstring text;
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (OpenClipboard(nullptr)) {
      if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* source = static_cast<const wchar_t*>(GlobalLock(memory))) {
          text.assign(source, wcsnlen(source, GlobalSize(memory) / sizeof(wchar_t)));
          GlobalUnlock(memory);
        }
      }
      CloseClipboard();
      return text;
    }
    Sleep(20);
  }
  return text;
}

class TimePickerTest : public E2eTest {
 protected:
  App& Start() {
    App& app = Launch();
    main_ = app.WaitForMainWindow();
    EXPECT_NE(main_, nullptr) << "no main window";
    picker_ = Picker(main_);
    EXPECT_NE(picker_, nullptr) << "no time picker";
    spin_ = FindDescendant(picker_, L"TsTimePickerSpin");
    EXPECT_NE(spin_, nullptr) << "no spin buttons";
    // The focus starts on the hidden edit sEdit1.
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(main_) != nullptr; }));
    return app;
  }

  // Waits for the picker's text; the failure message tells what it read.
  ::testing::AssertionResult ReadsSoon(const std::wstring& expected, DWORD timeoutMs = 3000) {
    if (WaitUntil([&] { return Text(picker_) == expected; }, timeoutMs)) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "picker reads " << Utf8(Text(picker_)) << ", expected " << Utf8(expected);
  }
  ::testing::AssertionResult SelectsSoon(std::pair<int, int> expected, DWORD timeoutMs = 3000) {
    if (WaitUntil([&] { return Selection(picker_) == expected; }, timeoutMs)) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "selection " << Show(Selection(picker_)) << ", expected " << Show(expected);
  }

  void TabToPicker() {
    // sEdit1 has the focus: sEdit2, sEdit3, sButton1, then the picker.
    for (int i = 0; i < 4; ++i) PressKey(FocusOf(main_), VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(main_) == picker_; }, 3000))
        << "focus on " << Utf8(ClassName(FocusOf(main_))) << " " << Utf8(Text(FocusOf(main_)));
  }

  // Posted input is handled in order: a key that moves the position, waited for, shows that
  // everything posted before it has been handled (a refused paste changes nothing to wait for).
  void Settle() {
    const bool atEnd = Selection(picker_) == std::pair{7, 8};
    PressKey(picker_, atEnd ? VK_HOME : VK_END);
    ASSERT_TRUE(SelectsSoon(atEnd ? std::pair{0, 1} : std::pair{7, 8}));
  }

  POINT SpinPoint(bool up) const {
    const SIZE size = ClientSize(spin_);
    return {size.cx / 2, up ? size.cy / 4 : size.cy * 3 / 4};
  }
  void ClickSpin(bool up) {
    const POINT p = SpinPoint(up);
    ClickAt(spin_, p.x, p.y);
  }

  HWND main_ = nullptr;
  HWND picker_ = nullptr;
  HWND spin_ = nullptr;
};

TEST_F(TimePickerTest, OneWindowInTheTabOrderWithTheButtonsInsideItsRightEnd) {
  Start();
  const RECT field = WindowRect(picker_);
  const POINT origin = ClientOrigin(main_);
  EXPECT_EQ(field.left - origin.x, 71);
  EXPECT_EQ(field.top - origin.y, 3);
  EXPECT_EQ(field.right - field.left, 105);
  EXPECT_EQ(field.bottom - field.top, 21);
  EXPECT_NE(Style(picker_) & WS_TABSTOP, 0);
  EXPECT_EQ(Style(spin_) & WS_TABSTOP, 0);
  EXPECT_EQ(Text(spin_), L"");

  // Inside the client area's right end, 18 pixels wide, as tall as the client area.
  const RECT buttons = WindowRect(spin_);
  const POINT client = ClientOrigin(picker_);
  const SIZE clientSize = ClientSize(picker_);
  EXPECT_EQ(buttons.right - buttons.left, 18);
  EXPECT_EQ(buttons.right, client.x + clientSize.cx);
  EXPECT_EQ(buttons.top, client.y);
  EXPECT_EQ(buttons.bottom - buttons.top, clientSize.cy);
  // The text ends before them: the edit's right margin covers them.
  DWORD_PTR margins = 0;
  ASSERT_TRUE(SendMessageTimeoutW(picker_, EM_GETMARGINS, 0, 0, SMTO_ABORTIFHUNG, 3000, &margins));
  EXPECT_GE(HIWORD(margins), 18);
  SaveScreenshot(L"picker-at-rest");
}

// One key or character after another, from the field entered by Tab; each row is read back.
TEST_F(TimePickerTest, EnteredByTabThenDigitsAndArrowsEditTheText) {
  Start();
  TabToPicker();
  EXPECT_TRUE(ReadsSoon(L"00:00:00"));
  EXPECT_TRUE(SelectsSoon({0, 8})) << "the whole text is selected on entry";

  const struct {
    const char* what;
    UINT key;             // a key, or 0
    const wchar_t* text;  // characters, or nullptr
    const wchar_t* reads;
    std::pair<int, int> selection;
  } steps[] = {
      {"Up on the whole text steps the hours", VK_UP, nullptr, L"01:00:00", {0, 2}},
      {"Home", VK_HOME, nullptr, L"01:00:00", {0, 1}},
      {"1 then 2", 0, L"12", L"12:00:00", {3, 4}},
      {"a 6 in the tens of minutes is dropped", 0, L"6", L"12:00:00", {3, 4}},
      {"3 then 0", 0, L"30", L"12:30:00", {6, 7}},
      {"letters, blanks and control characters are dropped",
       0,
       L"a \r\x1b\x01\x1a",
       L"12:30:00",
       {6, 7}},
      {"4 then 5", 0, L"45", L"12:30:45", {7, 8}},
      {"Left", VK_LEFT, nullptr, L"12:30:45", {6, 7}},
      {"Delete writes 0 and stays", VK_DELETE, nullptr, L"12:30:05", {6, 7}},
      {"Left skips the colon", VK_LEFT, nullptr, L"12:30:05", {4, 5}},
      {"Left again", VK_LEFT, nullptr, L"12:30:05", {3, 4}},
      {"Backspace writes 0 and moves left", VK_BACK, nullptr, L"12:00:05", {1, 2}},
      {"Down steps the hours", VK_DOWN, nullptr, L"11:00:05", {0, 2}},
      {"Right", VK_RIGHT, nullptr, L"11:00:05", {3, 4}},
      {"Down steps the minutes with a borrow", VK_DOWN, nullptr, L"10:59:05", {3, 5}},
      {"End", VK_END, nullptr, L"10:59:05", {7, 8}},
      {"Up steps the seconds", VK_UP, nullptr, L"10:59:06", {6, 8}},
      {"Right stays at the last digit", VK_RIGHT, nullptr, L"10:59:06", {7, 8}},
  };
  for (const auto& step : steps) {
    if (step.key != 0) PressKey(picker_, step.key);
    if (step.text != nullptr) TypeText(picker_, step.text);
    EXPECT_TRUE(ReadsSoon(step.reads)) << step.what;
    EXPECT_TRUE(SelectsSoon(step.selection)) << step.what;
  }
  EXPECT_EQ(FocusOf(main_), picker_);
}

TEST_F(TimePickerTest, EnteredByAClickThePositionGoesWhereTheClickWas) {
  Start();
  const SIZE size = ClientSize(picker_);
  // Just right of the boundary before the 5th character: the second digit of the minutes.
  ClickAt(picker_, BoundaryX(picker_, 4) + 1, size.cy / 2);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main_) == picker_; }, 3000));
  EXPECT_TRUE(SelectsSoon({4, 5})) << "the click placed no position";
  TypeText(picker_, L"7");
  EXPECT_TRUE(ReadsSoon(L"00:07:00"));

  // Past the end of the text: the last digit.
  ClickAt(picker_, PastTheEndX(picker_), size.cy / 2);
  EXPECT_TRUE(SelectsSoon({7, 8}));
  TypeText(picker_, L"9");
  EXPECT_TRUE(ReadsSoon(L"00:07:09"));

  // A drag from the start over five characters selects them; Ctrl+C copies them.
  const int y = size.cy / 2;
  PostMessageW(picker_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(BoundaryX(picker_, 0), y));
  PostMessageW(picker_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(BoundaryX(picker_, 3), y));
  PostMessageW(picker_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(BoundaryX(picker_, 5), y));
  PostMessageW(picker_, WM_LBUTTONUP, 0, MAKELPARAM(BoundaryX(picker_, 5), y));
  EXPECT_TRUE(SelectsSoon({0, 5}));
  ASSERT_TRUE(SetClipboardText(L"unchanged"));
  TypeText(picker_, L"\x03");  // Ctrl+C
  EXPECT_TRUE(WaitUntil([] { return ClipboardText() == L"00:07"; }, 3000)) << Utf8(ClipboardText());
  EXPECT_EQ(Text(picker_), L"00:07:09");
}

TEST_F(TimePickerTest, SpinButtonsStepOnAClickAndRepeatWhileHeld) {
  Start();
  // Put the position on the seconds, then leave the field by Tab.
  const SIZE size = ClientSize(picker_);
  ClickAt(picker_, PastTheEndX(picker_), size.cy / 2);
  ASSERT_TRUE(SelectsSoon({7, 8}));
  PressKey(picker_, VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main_) != picker_; }, 3000));

  // A press on a button first gives the field the focus, which selects the whole text: the
  // step acts on the hours, not on the seconds where the position was.
  ClickSpin(true);
  EXPECT_TRUE(ReadsSoon(L"01:00:00"));
  EXPECT_EQ(FocusOf(main_), picker_);
  EXPECT_TRUE(SelectsSoon({0, 2}));
  ClickSpin(false);
  EXPECT_TRUE(ReadsSoon(L"00:00:00"));
  ClickSpin(false);
  EXPECT_TRUE(ReadsSoon(L"23:00:00"));
  ClickSpin(true);
  EXPECT_TRUE(ReadsSoon(L"00:00:00"));

  // Held for a second: steps after 400 ms and every 100 ms while held, once more on release.
  auto hold = [&](bool up) {
    const POINT p = SpinPoint(up);
    const std::wstring before = Text(picker_);
    PostMessageW(spin_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    // It steps before the button comes up.
    EXPECT_TRUE(WaitUntil([&] { return Text(picker_) != before; }, 900)) << "no step while held";
    Sleep(500);
    PostMessageW(spin_, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  };
  hold(true);
  Sleep(300);
  const std::wstring afterUp = Text(picker_);
  ASSERT_EQ(afterUp.size(), 8u) << Utf8(afterUp);
  const int up = std::stoi(afterUp.substr(0, 2));
  EXPECT_GE(up, 3) << Utf8(afterUp) << ": not several steps";
  EXPECT_LE(up, 14) << Utf8(afterUp) << ": steps faster than every 100 ms";
  EXPECT_EQ(afterUp.substr(2), L":00:00");
  // The repeat stopped with the release.
  Sleep(400);
  EXPECT_EQ(Text(picker_), afterUp);

  hold(false);
  Sleep(300);
  const std::wstring afterDown = Text(picker_);
  const int downSteps = (up - std::stoi(afterDown.substr(0, 2)) + 24) % 24;
  EXPECT_GE(downSteps, 3) << Utf8(afterDown);
  EXPECT_EQ(afterDown.substr(2), L":00:00");

  // Released off the button: no step on release.
  const std::wstring before = Text(picker_);
  const POINT p = SpinPoint(true);
  PostMessageW(spin_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  PostMessageW(spin_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-40, p.y));
  PostMessageW(spin_, WM_LBUTTONUP, 0, MAKELPARAM(-40, p.y));
  Sleep(600);
  EXPECT_EQ(Text(picker_), before);
}

TEST_F(TimePickerTest, APasteIsTakenOnlyWhenItReadsAsATimeOfDay) {
  Start();
  TabToPicker();
  const struct {
    const char* how;
    const wchar_t* clipboard;
    const wchar_t* reads;
  } pastes[] = {
      {"ctrl+v", L"  7:08 ", L"07:08:00"},     {"ctrl+v", L"25:00:00", L"07:08:00"},
      {"wm_paste", L"23:59:59", L"23:59:59"},  {"wm_paste", L"12:3:45", L"23:59:59"},
      {"ctrl+v", L"9:05:30\r\n", L"09:05:30"}, {"ctrl+v", L"", L"09:05:30"},
      {"wm_paste", L"abc", L"09:05:30"},       {"ctrl+v", L"10:00:00x", L"09:05:30"},
  };
  for (const auto& paste : pastes) {
    ASSERT_TRUE(SetClipboardText(paste.clipboard));
    if (std::string(paste.how) == "ctrl+v") {
      TypeText(picker_, L"\x16");
    } else {
      PostMessageW(picker_, WM_PASTE, 0, 0);
    }
    Settle();
    EXPECT_EQ(Text(picker_), paste.reads) << paste.how << " " << Utf8(paste.clipboard);
  }
  // After a paste the position is at 1.
  ASSERT_TRUE(SetClipboardText(L"1:02:03"));
  PostMessageW(picker_, WM_PASTE, 0, 0);
  EXPECT_TRUE(ReadsSoon(L"01:02:03"));
  EXPECT_TRUE(SelectsSoon({0, 1}));
}

// The edit field's own menu (Undo, Cut, Copy, Paste, Delete, Select All), chosen by its access
// letters; each command goes through the editing rules.
TEST_F(TimePickerTest, RightClickOpensTheEditFieldsOwnMenu) {
  App& app = Start();
  ASSERT_TRUE(SetClipboardText(L"12:34:56"));
  auto choose = [&](wchar_t letter, const char* what) {
    RightClickAt(picker_, 10, 8);
    HWND menu = app.WaitForPopupMenu();
    ASSERT_NE(menu, nullptr) << "no menu for " << what;
    if (letter == L'P') SaveScreenshot(L"picker-edit-menu");
    MenuAccessKey(menu, letter);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 3000)) << what;
  };
  choose(L'P', "paste");
  EXPECT_TRUE(ReadsSoon(L"12:34:56"));
  EXPECT_EQ(FocusOf(main_), picker_) << "the right-click left the focus elsewhere";
  choose(L'A', "select all");
  EXPECT_TRUE(SelectsSoon({0, 8}));
  ASSERT_TRUE(SetClipboardText(L"x"));
  choose(L'C', "copy");
  EXPECT_TRUE(WaitUntil([] { return ClipboardText() == L"12:34:56"; }, 3000))
      << Utf8(ClipboardText());
  EXPECT_EQ(Text(picker_), L"12:34:56");
  // Cut with the whole text selected: a copy, then Delete, which clears the whole text.
  ASSERT_TRUE(SetClipboardText(L"x"));
  choose(L'T', "cut");
  EXPECT_TRUE(ReadsSoon(L"00:00:00"));
  EXPECT_EQ(ClipboardText(), L"12:34:56");
  choose(L'P', "paste again");
  EXPECT_TRUE(ReadsSoon(L"12:34:56"));
  // Delete on the current position (1 after a paste) writes a 0 there.
  choose(L'D', "delete");
  EXPECT_TRUE(ReadsSoon(L"02:34:56"));
  // A paste that is no time of day changes nothing.
  ASSERT_TRUE(SetClipboardText(L"not a time"));
  choose(L'P', "refused paste");
  Settle();
  EXPECT_EQ(Text(picker_), L"02:34:56");
  // Not the form's menu: nothing of PopupMenu1 ran, and the program goes on.
  EXPECT_TRUE(app.IsRunning());
  EXPECT_TRUE(app.CallsLog().empty());
}

// Real input through the system's queue: the pointer over the buttons, and keys with Shift
// and Ctrl held, as the control reads them from the keyboard state.
TEST_F(TimePickerTest, RealMouseAndKeyboardInput) {
  Start();
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  auto mouse = [&](POINT screen, DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((screen.x * 65535LL + screenWidth / 2) / (screenWidth - 1));
    input.mi.dy = static_cast<LONG>((screen.y * 65535LL + screenHeight / 2) / (screenHeight - 1));
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof(input));
  };
  auto keys = [](std::initializer_list<std::pair<WORD, bool>> strokes) {
    for (const auto& [key, up] : strokes) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = key;
      input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      if (key == VK_INSERT || key == VK_DELETE || key == VK_HOME || key == VK_END) {
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
      }
      SendInput(1, &input, sizeof(input));
      Sleep(30);
    }
  };
  const RECT buttons = WindowRect(spin_);
  const POINT up{(buttons.left + buttons.right) / 2,
                 buttons.top + (buttons.bottom - buttons.top) / 4};

  // A real press on the upper button, held about a second; first the pointer must be over it
  // with the window in front (else the press goes to whatever lies there).
  mouse(up, 0);
  ASSERT_TRUE(WaitUntil(
      [&] { return WindowFromPoint(up) == spin_ && GetForegroundWindow() == main_; }, 3000))
      << "at the buttons: " << Utf8(ClassName(WindowFromPoint(up)))
      << ", in front: " << Utf8(ClassName(GetForegroundWindow()));
  Sleep(100);
  mouse(up, MOUSEEVENTF_LEFTDOWN);
  EXPECT_TRUE(WaitUntil([&] { return Text(picker_) != L"00:00:00"; }, 900)) << "no step while held";
  Sleep(500);
  mouse(up, MOUSEEVENTF_LEFTUP);
  Sleep(300);
  const std::wstring held = Text(picker_);
  EXPECT_EQ(FocusOf(main_), picker_);
  ASSERT_EQ(held.size(), 8u);
  EXPECT_GE(std::stoi(held.substr(0, 2)), 3) << Utf8(held);
  EXPECT_EQ(held.substr(2), L":00:00");

  // Shift+Insert pastes, Shift+End selects, Ctrl+Insert copies, Shift+Delete cuts.
  ASSERT_TRUE(SetClipboardText(L"08:15:30"));
  keys({{VK_SHIFT, false}, {VK_INSERT, false}, {VK_INSERT, true}, {VK_SHIFT, true}});
  EXPECT_TRUE(ReadsSoon(L"08:15:30"));
  keys({{VK_HOME, false}, {VK_HOME, true}});
  EXPECT_TRUE(SelectsSoon({0, 1}));
  keys({{VK_SHIFT, false}, {VK_END, false}, {VK_END, true}, {VK_SHIFT, true}});
  EXPECT_TRUE(SelectsSoon({0, 8})) << "Shift+End from the start selects to the end";
  keys({{VK_CONTROL, false}, {VK_INSERT, false}, {VK_INSERT, true}, {VK_CONTROL, true}});
  EXPECT_TRUE(WaitUntil([] { return ClipboardText() == L"08:15:30"; }, 3000))
      << Utf8(ClipboardText());
  ASSERT_TRUE(SetClipboardText(L"x"));
  keys({{VK_SHIFT, false}, {VK_DELETE, false}, {VK_DELETE, true}, {VK_SHIFT, true}});
  EXPECT_TRUE(ReadsSoon(L"00:00:00")) << "Shift+Delete over the whole text";
  EXPECT_EQ(ClipboardText(), L"08:15:30");
  // Ctrl+V as keys.
  keys({{VK_CONTROL, false}, {'V', false}, {'V', true}, {VK_CONTROL, true}});
  EXPECT_TRUE(ReadsSoon(L"08:15:30"));
  // Escape and Ctrl with a letter bring no character in.
  keys({{VK_ESCAPE, false},
        {VK_ESCAPE, true},
        {VK_CONTROL, false},
        {'B', false},
        {'B', true},
        {VK_CONTROL, true}});
  keys({{VK_END, false}, {VK_END, true}});
  EXPECT_TRUE(SelectsSoon({7, 8}));
  EXPECT_EQ(Text(picker_), L"08:15:30");
  EXPECT_TRUE(IsWindow(main_));
}

// Edited by keys and spin buttons, then started: the countdown runs to the edited time.
TEST_F(TimePickerTest, ACountdownStartedAfterEditingCountsToTheEditedTime) {
  App& app = Start();
  TabToPicker();
  PressKey(picker_, VK_END);
  PressKey(picker_, VK_UP);
  PressKey(picker_, VK_UP);
  ClickSpin(true);
  ClickSpin(true);
  ClickSpin(true);
  ASSERT_TRUE(ReadsSoon(L"00:00:05"));

  // Local time 00:00:00.2 from now on.
  SYSTEMTIME t;
  GetLocalTime(&t);
  const double now = t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
  app.SetClockOffset(0.2 - now);
  HWND status = ChildWithText(main_, L"已停止倒计时");
  ASSERT_NE(status, nullptr);
  Click(ChildWithText(main_, L"开始"));
  std::vector<std::wstring> seen;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::wstring text = Text(status);
        if (seen.empty() || seen.back() != text) seen.push_back(text);
        return text == L"已停止倒计时" && seen.size() > 2;
      },
      12000, 10));
  std::string trail;
  for (const auto& s : seen) trail += Utf8(s) + " | ";
  static const std::wregex count(L"0小时0分(\\d+)秒");
  bool sawThree = false;
  for (const auto& s : seen) {
    std::wsmatch m;
    if (!std::regex_match(s, m, count)) continue;
    const int seconds = std::stoi(m[1].str());
    EXPECT_LE(seconds, 5) << trail;
    sawThree = sawThree || seconds == 3;
  }
  EXPECT_TRUE(sawThree) << trail;
  EXPECT_NE(std::find(seen.begin(), seen.end(), L"已到指定时间"), seen.end()) << trail;
  EXPECT_EQ(Text(picker_), L"00:00:05") << "the countdown changed the target";
}

}  // namespace
}  // namespace e2e
