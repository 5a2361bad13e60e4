// The tray icon's state machine on the headless backend, with the program's own form: start-up,
// the states Shown / In tray / Shown from tray / Ended, the mouse gestures, the restore and menu
// sequences with their marks, a refused icon and a new taskbar.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/unit/app/form_fixture.h"
#include "vcl/tray_icon.h"

namespace app::testing {
namespace {

using Calls = std::vector<std::wstring>;
namespace code = vcl::tray_code;

constexpr wchar_t kShowAt[] = L"SetWindowPos Form1 HWND_NOTOPMOST 807,436,248,111 SWP_SHOWWINDOW";

class TrayTest : public FormTest {
 protected:
  vcl::HeadlessShell& Shell() { return backend_->shell; }
  vcl::TRzTrayIcon& Tray() { return *form_->RzTrayIcon1; }

  // WM_SYSCOMMAND SC_MINIMIZE on either window.
  void Minimize() { application_->Minimize(); }
  void DoubleClick() { Tray().HandleCallback(code::kLButtonDblClk); }
  // Releases the right button over the icon and chooses an item of the menu (nullptr: none).
  void ChooseFromTrayMenu(vcl::TMenuItem* item) {
    Shell().whileMenuOpen = [item](vcl::TPopupMenu&) { return item; };
    Tray().HandleCallback(code::kRButtonUp);
    Shell().whileMenuOpen = nullptr;
  }
  void Show() { ChooseFromTrayMenu(form_->N3); }
  void Exit() {
    ChooseFromTrayMenu(form_->N4);
    // The message loop ends and the program destroys its forms.
    application_->DestroyForms();
  }
};

// ---- start-up ----

TEST(TrayStartTest, IconIsAddedOnceTheFormIsLoadedAndBeforeFormCreate) {
  auto backend = std::make_unique<vcl::HeadlessBackend>();
  vcl::HeadlessBackend& headless = *backend;
  vcl::TApplication application(std::move(backend));
  platform::FakePlatform platform;
  TForm1 form(platform.services);
  // Construction reads the components; the icon waits until all of them are there.
  EXPECT_FALSE(headless.shell.iconPresent);
  EXPECT_EQ(headless.shell.calls, Calls{});
  bool iconAtFormCreate = false;
  auto formCreate = form.OnCreate;
  form.OnCreate = [&](vcl::TObject* sender) {
    iconAtFormCreate = headless.shell.iconPresent;
    formCreate(sender);
  };
  form.DoCreate();
  EXPECT_TRUE(iconAtFormCreate);
  EXPECT_EQ(headless.shell.calls, Calls{L"NIM_ADD"});
  EXPECT_TRUE(form.RzTrayIcon1->Enabled());
  EXPECT_EQ(form.RzTrayIcon1->PopupMenu(), form.PopupMenu2);
}

TEST_F(TrayTest, SettingsInForce) {
  EXPECT_TRUE(Tray().Enabled());
  EXPECT_TRUE(Tray().HideOnMinimize());
  EXPECT_EQ(Tray().RestoreOn(), vcl::TRzTrayIconClicks::ticLeftDblClick);
  EXPECT_EQ(Tray().PopupMenuOn(), vcl::TRzTrayIconClicks::ticRightClickUp);
}

// ---- the states and their transitions ----

enum class Event { kMinimize, kDoubleClick, kShow, kExit };

struct State {
  bool applicationMinimized;
  bool taskbarButton;
  bool mainWindow;
  bool icon;
  bool ended;
  bool operator==(const State&) const = default;
};

constexpr State kShown{false, true, true, true, false};
constexpr State kInTray{true, false, false, true, false};
constexpr State kShownFromTray{true, false, true, true, false};
constexpr State kEnded{false, false, false, false, true};

void PrintTo(const State& s, std::ostream* os) {
  *os << (s.ended ? "ended " : "") << "app " << (s.applicationMinimized ? "minimized" : "restored")
      << ", button " << s.taskbarButton << ", main " << s.mainWindow << ", icon " << s.icon;
}

struct Transition {
  const char* name;
  std::vector<Event> before;  // from start to the state the row starts in
  Event event;
  State after;
};

const Transition kTransitions[] = {
    {"ShownMinimize", {}, Event::kMinimize, kInTray},
    {"ShownDoubleClick", {}, Event::kDoubleClick, kShown},
    {"ShownShow", {}, Event::kShow, kShown},
    {"ShownExit", {}, Event::kExit, kEnded},
    {"InTrayDoubleClick", {Event::kMinimize}, Event::kDoubleClick, kShown},
    {"InTrayShow", {Event::kMinimize}, Event::kShow, kShownFromTray},
    {"InTrayMinimizeAgain", {Event::kMinimize}, Event::kMinimize, kInTray},
    {"InTrayExit", {Event::kMinimize}, Event::kExit, kEnded},
    {"ShownFromTrayDoubleClick", {Event::kMinimize, Event::kShow}, Event::kDoubleClick, kShown},
    {"ShownFromTrayShow", {Event::kMinimize, Event::kShow}, Event::kShow, kShownFromTray},
    {"ShownFromTrayMinimize", {Event::kMinimize, Event::kShow}, Event::kMinimize, kShownFromTray},
    {"ShownFromTrayExit", {Event::kMinimize, Event::kShow}, Event::kExit, kEnded},
    {"BackInTrayAfterShownAgain",
     {Event::kMinimize, Event::kShow, Event::kDoubleClick},
     Event::kMinimize,
     kInTray},
};

class TrayTransitionTest : public TrayTest, public ::testing::WithParamInterface<Transition> {
 protected:
  void Play(Event event) {
    switch (event) {
      case Event::kMinimize:
        Minimize();
        break;
      case Event::kDoubleClick:
        DoubleClick();
        break;
      case Event::kShow:
        Show();
        break;
      case Event::kExit:
        Exit();
        break;
    }
  }
  State Now() {
    const bool ended = application_->MainForm() == nullptr;
    if (ended) return {false, false, false, Shell().iconPresent, backend_->terminations > 0};
    return {backend_->minimized, !Shell().applicationWindowHidden, !Shell().mainWindowHidden,
            Shell().iconPresent, false};
  }
};

TEST_P(TrayTransitionTest, Goes) {
  EXPECT_EQ(Now(), kShown);
  for (Event e : GetParam().before) Play(e);
  Play(GetParam().event);
  EXPECT_EQ(Now(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Table, TrayTransitionTest, ::testing::ValuesIn(kTransitions),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the sequences, call by call ----

TEST_F(TrayTest, MinimizeHidesTheApplicationWindowAndLeavesTheIcon) {
  Shell().Take();
  int notified = 0;
  Tray().OnMinimizeApp = [&](vcl::TObject*) { ++notified; };
  Minimize();
  EXPECT_EQ(Shell().Take(), (Calls{L"Application minimize", L"ShowWindow app SW_HIDE"}));
  EXPECT_EQ(notified, 1);
  // Already minimized: nothing happens, nobody is notified.
  Minimize();
  EXPECT_EQ(Shell().Take(), Calls{});
  EXPECT_EQ(notified, 1);
}

TEST_F(TrayTest, DoubleClickRestoresThenBringsTheProgramForward) {
  Minimize();
  Shell().Take();
  int notified = 0;
  Tray().OnRestoreApp = [&](vcl::TObject*) { ++notified; };
  DoubleClick();
  // The application's own restore notification, fired inside, starts no second sequence.
  EXPECT_EQ(Shell().Take(), (Calls{L"Application restore", L"ShowWindow app SW_RESTORE",
                                   L"SetForegroundWindow app"}));
  EXPECT_EQ(notified, 1);
  EXPECT_FALSE(Tray().Restoring());
}

TEST_F(TrayTest, DoubleClickWhileShownOnlyBringsTheProgramForward) {
  Shell().Take();
  DoubleClick();
  EXPECT_EQ(Shell().Take(), (Calls{L"ShowWindow app SW_RESTORE", L"SetForegroundWindow app"}));
  EXPECT_FALSE(backend_->minimized);
}

TEST_F(TrayTest, RestoreFromElsewhereRunsTheSequenceToo) {
  // E.g. the taskbar's window menu restoring the application.
  Minimize();
  Shell().Take();
  application_->Restore();
  EXPECT_EQ(Shell().Take(), (Calls{L"Application restore", L"ShowWindow app SW_RESTORE",
                                   L"SetForegroundWindow app"}));
  EXPECT_FALSE(Tray().Restoring());
}

TEST_F(TrayTest, TrayMenuSequenceAndItsItems) {
  Shell().cursor = {1013, 689};
  Minimize();
  Shell().Take();
  Show();
  // The menu at the cursor, the form in the foreground first, WM_NULL after; then "显示" places
  // and restores the main window and leaves the application window alone.
  EXPECT_EQ(Shell().Take(),
            (Calls{L"GetCursorPos", L"SetForegroundWindow Form1",
                   L"TrackPopupMenu 1013,689 TPM_LEFTALIGN|TPM_RIGHTBUTTON", L"PostMessage WM_NULL",
                   kShowAt, L"ShowWindow Form1 SW_RESTORE"}));
  EXPECT_FALSE(Tray().MenuOpen());
  EXPECT_TRUE(backend_->minimized);
  EXPECT_EQ(Shell().formOuterBounds, (vcl::TRect{807, 436, 248, 111}));

  // Closed without a choice: no handler runs.
  ChooseFromTrayMenu(nullptr);
  EXPECT_EQ(Shell().Take(), (Calls{L"GetCursorPos", L"SetForegroundWindow Form1",
                                   L"TrackPopupMenu 1013,689 TPM_LEFTALIGN|TPM_RIGHTBUTTON",
                                   L"PostMessage WM_NULL"}));
}

TEST_F(TrayTest, ExitDuringACountdownEndsWithoutQuestionOrEndAction) {
  form_->sRadioButton1->Click();  // 关机
  SetTarget(L"10:00:05");
  ClickStart();
  Tick();
  ASSERT_TRUE(form_->IsRunning());
  Exit();
  EXPECT_EQ(backend_->terminations, 1);
  EXPECT_EQ(BoxCount(), 0u);
  EXPECT_EQ(platform_.power.calls, Calls{});
  EXPECT_EQ(Shell().calls.back(), L"NIM_DELETE");
  EXPECT_FALSE(Shell().iconPresent);
  // Withdrawn from the application's notifications: a later minimize reaches nothing.
  EXPECT_FALSE(application_->OnMinimize);
  EXPECT_FALSE(application_->OnRestore);
}

struct MenuLanguage {
  const char* name;
  bool doubleByte;
  std::vector<std::wstring> shown;
};

class TrayMenuCaptionTest : public TrayTest, public ::testing::WithParamInterface<MenuLanguage> {};

TEST_P(TrayMenuCaptionTest, AccessLettersByTheCodePage) {
  backend_->doubleByte = GetParam().doubleByte;
  ChooseFromTrayMenu(nullptr);
  ChooseFromTrayMenu(nullptr);
  // The letters are given once and kept.
  ASSERT_EQ(Shell().menus.size(), 2u);
  EXPECT_EQ(Shell().menus[0], GetParam().shown);
  EXPECT_EQ(Shell().menus[1], GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TrayMenuCaptionTest,
    ::testing::Values(MenuLanguage{"CodePage936", true, {L"显示(Y)", L"退出(Z)"}},
                      MenuLanguage{"SingleByte", false, {L"显示", L"退出"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the mouse gestures ----

struct Gesture {
  const char* name;
  unsigned code;
  bool restores;
  bool opensMenu;
};

const Gesture kGestures[] = {
    {"LeftDown", code::kLButtonDown, false, false},
    {"LeftUp", code::kLButtonUp, false, false},
    {"LeftDoubleClick", code::kLButtonDblClk, true, false},
    {"RightDown", code::kRButtonDown, false, false},
    {"RightUp", code::kRButtonUp, false, true},
    {"RightDoubleClick", code::kRButtonDblClk, false, false},
    {"BalloonShow", code::kBalloonShow, false, false},
    {"BalloonHide", code::kBalloonHide, false, false},
    {"BalloonTimeout", code::kBalloonTimeout, false, false},
    {"BalloonClick", code::kBalloonUserClick, false, false},
    {"MouseMove", 0x0200, false, false},
    {"MiddleDown", 0x0207, false, false},
};

class TrayGestureTest : public TrayTest, public ::testing::WithParamInterface<Gesture> {};

TEST_P(TrayGestureTest, FromTheTray) {
  Minimize();
  Shell().Take();
  Tray().HandleCallback(GetParam().code);
  EXPECT_EQ(!backend_->minimized, GetParam().restores);
  EXPECT_EQ(Shell().menus.size(), GetParam().opensMenu ? 1u : 0u);
  if (!GetParam().restores && !GetParam().opensMenu) {
    EXPECT_EQ(Shell().Take(), Calls{});
  }
}

INSTANTIATE_TEST_SUITE_P(Table, TrayGestureTest, ::testing::ValuesIn(kGestures),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the two marks ----

TEST_F(TrayTest, RestoreWhileTheMenuIsOpenDoesNothing) {
  Minimize();
  Calls duringMenu;
  bool markSeen = false;
  Shell().whileMenuOpen = [&](vcl::TPopupMenu&) -> vcl::TMenuItem* {
    markSeen = Tray().MenuOpen();
    Shell().Take();
    DoubleClick();
    duringMenu = Shell().Take();
    return nullptr;
  };
  Tray().HandleCallback(code::kRButtonUp);
  EXPECT_TRUE(markSeen);
  EXPECT_EQ(duringMenu, Calls{});
  EXPECT_TRUE(backend_->minimized);
  EXPECT_FALSE(Tray().MenuOpen());
  // Once the menu has closed, the double-click restores again.
  DoubleClick();
  EXPECT_FALSE(backend_->minimized);
}

TEST_F(TrayTest, MarksAreClearedWhenAStepFails) {
  Minimize();
  Shell().whileMenuOpen = [](vcl::TPopupMenu&) -> vcl::TMenuItem* {
    throw std::runtime_error("menu failed");
  };
  EXPECT_THROW(Tray().HandleCallback(code::kRButtonUp), std::runtime_error);
  EXPECT_FALSE(Tray().MenuOpen());
  Shell().whileMenuOpen = nullptr;

  Tray().OnRestoreApp = [](vcl::TObject*) { throw std::runtime_error("restore failed"); };
  EXPECT_THROW(DoubleClick(), std::runtime_error);
  EXPECT_FALSE(Tray().Restoring());
  Tray().OnRestoreApp = nullptr;

  // Both sequences work again.
  Minimize();
  Shell().Take();
  DoubleClick();
  EXPECT_EQ(Shell().Take(), (Calls{L"Application restore", L"ShowWindow app SW_RESTORE",
                                   L"SetForegroundWindow app"}));
  ChooseFromTrayMenu(nullptr);
  EXPECT_EQ(Shell().menus.size(), 2u);
}

// ---- a refused icon, a new taskbar, the end of the session ----

class RefusedIconTest : public ::testing::Test {
 protected:
  RefusedIconTest() {
    auto backend = std::make_unique<vcl::HeadlessBackend>();
    backend_ = backend.get();
    backend_->shell.refuseAdd = true;
    application_ = std::make_unique<vcl::TApplication>(std::move(backend));
    form_ = application_->CreateForm<TForm1>(platform_.services);
  }
  platform::FakePlatform platform_;
  vcl::HeadlessBackend* backend_ = nullptr;
  std::unique_ptr<vcl::TApplication> application_;
  TForm1* form_ = nullptr;
};

TEST_F(RefusedIconTest, MinimizeThenLeavesTheTaskbarButton) {
  EXPECT_FALSE(form_->RzTrayIcon1->Enabled());
  backend_->shell.Take();
  application_->Minimize();
  EXPECT_EQ(backend_->shell.Take(), Calls{L"Application minimize"});
  EXPECT_FALSE(backend_->shell.applicationWindowHidden);
  application_->Restore();
  EXPECT_EQ(backend_->shell.Take(), Calls{L"Application restore"});
  // A new taskbar does not bring the icon back, and nothing sets Enabled again.
  backend_->shell.refuseAdd = false;
  form_->RzTrayIcon1->TaskbarCreated();
  EXPECT_EQ(backend_->shell.Take(), Calls{});
  EXPECT_FALSE(form_->RzTrayIcon1->Enabled());
}

TEST_F(TrayTest, TaskbarCreatedAddsTheIconAgainWhileEnabled) {
  // The new taskbar has no icon.
  Shell().iconPresent = false;
  Shell().Take();
  Tray().TaskbarCreated();
  EXPECT_EQ(Shell().Take(), (Calls{L"NIM_DELETE", L"NIM_ADD"}));
  EXPECT_TRUE(Shell().iconPresent);
  EXPECT_TRUE(Tray().Enabled());

  // Sent while the icon still exists (a DPI change, another program's broadcast): still there
  // afterwards, and not taken for a refusal.
  Tray().TaskbarCreated();
  EXPECT_TRUE(Shell().iconPresent);
  EXPECT_TRUE(Tray().Enabled());

  // Refused this time: Enabled turns false, silently, for good.
  Shell().refuseAdd = true;
  Tray().TaskbarCreated();
  EXPECT_FALSE(Tray().Enabled());
  EXPECT_EQ(BoxCount(), 0u);
  Shell().refuseAdd = false;
  Shell().Take();
  Tray().TaskbarCreated();
  EXPECT_EQ(Shell().Take(), Calls{});
  Minimize();
  EXPECT_FALSE(Shell().applicationWindowHidden);
}

TEST_F(TrayTest, EndOfSession) {
  EXPECT_TRUE(Tray().QueryEndSession());
  Tray().EndSession(false);
  EXPECT_TRUE(Shell().iconPresent);
  Tray().EndSession(true);
  EXPECT_FALSE(Shell().iconPresent);
}

}  // namespace
}  // namespace app::testing
