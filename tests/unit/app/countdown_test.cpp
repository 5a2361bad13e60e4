// The countdown engine: the tick's paths, the Start/Stop toggle and the display it writes.
#include <random>

#include "tests/unit/app/form_fixture.h"

namespace app::testing {
namespace {

constexpr wchar_t kPassed[] = L"设置的时间比当前系统时间早";

TEST_F(FormTest, FirstTickWritesClockAndWeekdayIntoTheEmptyTitle) {
  EXPECT_EQ(form_->Caption(), L"");
  SetTime(9, 5, 7, 900);
  Tick();
  EXPECT_EQ(form_->Caption(), L"09:05:07--周三");  // 2020-01-01 was a Wednesday
  EXPECT_EQ(Status(), L"已停止倒计时");
  EXPECT_FALSE(form_->sWebLabel2->Visible());
  EXPECT_EQ(form_->sButton1->Caption(), L"开始");
}

TEST_F(FormTest, EveryTickReadsTheClockOnce) {
  SetTarget(L"23:00:00");
  ClickStart();
  const int before = platform_.clock.readings;
  Tick();
  Tick();
  EXPECT_EQ(platform_.clock.readings - before, 2);
}

TEST_F(FormTest, TickAtMidnightComposesDayAndTimeFromOneReading) {
  // 23:59:59.999 on Wednesday: both the title and the countdown see that one instant.
  SetTime(23, 59, 59, 999);
  SetTarget(L"23:59:59");
  ClickStart();
  Tick();
  EXPECT_EQ(form_->Caption(), L"23:59:59--周三");
  EXPECT_EQ(Status(), L"已到指定时间");
}

TEST_F(FormTest, PassedTargetAtStartShowsOneBoxWhileNestedTicksFindTheStateStopped) {
  SetTime(10, 0, 0);
  SetTarget(L"09:59:59");
  ClickStart();
  int nestedTicks = 0;
  backend_->whileBoxOpen = [&](const vcl::RecordedBox& box) {
    EXPECT_EQ(box.caption, L"倒计时");
    EXPECT_EQ(box.text, kPassed);
    EXPECT_EQ(box.kind, vcl::BoxKind::kMessage);
    // The timer keeps ticking inside the box's loop.
    for (int i = 0; i < 5; ++i) {
      TickAfter(200);
      ++nestedTicks;
      EXPECT_FALSE(form_->IsRunning());
      EXPECT_EQ(Status(), L"已停止倒计时");
      EXPECT_EQ(form_->sButton1->Caption(), L"开始");
    }
  };
  Tick();
  EXPECT_EQ(nestedTicks, 5);
  EXPECT_EQ(BoxCount(), 1u);
  EXPECT_FALSE(form_->sWebLabel2->Visible());
  EXPECT_EQ(form_->sButton1->Caption(), L"开始");
  TickAfter(200);
  EXPECT_EQ(BoxCount(), 1u);
}

TEST_F(FormTest, InitialTargetAfterMidnightIsPassed) {
  SetTime(0, 0, 1);
  ClickStart();
  Tick();
  ASSERT_EQ(BoxCount(), 1u);
  EXPECT_EQ(backend_->boxes[0].text, kPassed);
}

TEST_F(FormTest, TargetEqualToCurrentSecondEndsInTheFirstTick) {
  SetTime(10, 0, 0, 700);
  SetTarget(L"10:00:00");
  ClickStart();
  Tick();
  EXPECT_EQ(Status(), L"已到指定时间");
  EXPECT_FALSE(form_->IsRunning());
  EXPECT_FALSE(form_->sWebLabel2->Visible());
  EXPECT_EQ(form_->sButton1->Caption(), L"开始");
  EXPECT_EQ(BoxCount(), 0u);
  // "已到指定时间" stays for one tick only.
  TickAfter(200);
  EXPECT_EQ(Status(), L"已停止倒计时");
}

TEST_F(FormTest, CountdownShowsRemainingTimeAndReachesZero) {
  SetTime(10, 0, 0);
  SetTarget(L"10:02:05");
  ClickStart();
  EXPECT_EQ(form_->sButton1->Caption(), L"停止");
  // The display changes only at the next tick.
  EXPECT_EQ(Status(), L"已停止倒计时");
  Tick();
  EXPECT_EQ(Status(), L"0小时2分5秒");
  EXPECT_TRUE(form_->sWebLabel2->Visible());
  while (form_->IsRunning()) TickAfter(200);
  EXPECT_EQ(Status(), L"已到指定时间");
  EXPECT_EQ(form_->Caption().substr(0, 8), L"10:02:05");
}

// A target passed while the previous tick of the same countdown still had time left was
// reached late: the end path, not the passed-target message.
struct MissedCase {
  const char* name;
  int jumpToSecond;  // the clock after the hold-up, minutes 00 of 10h
  bool changeTargetBetween;
  bool expectReached;
  // Names the case in test listings instead of dumping its bytes.
  friend void PrintTo(const MissedCase& c, std::ostream* os) { *os << c.name; }
};

class MissedSecondTest : public FormTest, public ::testing::WithParamInterface<MissedCase> {};

TEST_P(MissedSecondTest, HeldUpTicks) {
  const MissedCase& c = GetParam();
  SetTime(10, 0, 0);
  SetTarget(L"10:00:05");
  ClickStart();
  Tick();
  EXPECT_EQ(Status(), L"0小时0分5秒");
  if (c.changeTargetBetween) SetTarget(L"10:00:06");
  SetTime(10, 0, c.jumpToSecond);
  Tick();
  if (c.expectReached) {
    EXPECT_EQ(Status(), L"已到指定时间");
    EXPECT_EQ(BoxCount(), 0u);
  } else {
    EXPECT_EQ(Status(), L"已停止倒计时");
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_EQ(backend_->boxes[0].text, kPassed);
  }
  EXPECT_FALSE(form_->IsRunning());
}

INSTANTIATE_TEST_SUITE_P(Cases, MissedSecondTest,
                         ::testing::Values(MissedCase{"HeldUpTwoSeconds", 7, false, true},
                                           MissedCase{"ClockSetForwardAnHour", 59, false, true},
                                           MissedCase{"TargetChangedToPassedTime", 7, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormTest, ClockSetBackMakesTheRemainingTimeGrowWithoutMessage) {
  SetTime(10, 0, 0);
  SetTarget(L"10:01:00");
  ClickStart();
  Tick();
  EXPECT_EQ(Status(), L"0小时1分0秒");
  SetTime(9, 0, 0);
  Tick();
  EXPECT_EQ(Status(), L"1小时1分0秒");
  EXPECT_EQ(BoxCount(), 0u);
  EXPECT_TRUE(form_->IsRunning());
}

TEST_F(FormTest, StopBeforeZeroShowsStoppedDisplayAtNextTick) {
  SetTime(10, 0, 0);
  SetTarget(L"11:00:00");
  ClickStart();
  Tick();
  ClickStart();  // the button now reads 停止
  EXPECT_EQ(form_->sButton1->Caption(), L"开始");
  EXPECT_EQ(Status(), L"1小时0分0秒");
  Tick();
  EXPECT_EQ(Status(), L"已停止倒计时");
  EXPECT_FALSE(form_->sWebLabel2->Visible());
  EXPECT_TRUE(platform_.power.calls.empty());
}

TEST_F(FormTest, TargetEditedWhileRunningIsCountedToAtTheNextTick) {
  SetTime(10, 0, 0);
  SetTarget(L"11:00:00");
  ClickStart();
  Tick();
  SetTarget(L"10:30:00");
  TickAfter(200);
  EXPECT_EQ(Status(), L"0小时30分0秒");
  SetTarget(L"09:00:00");
  TickAfter(200);
  ASSERT_EQ(BoxCount(), 1u);
  EXPECT_EQ(backend_->boxes[0].text, kPassed);
}

TEST_F(FormTest, ButtonCaptionOtherThanStartAndStopMakesTheClickDoNothing) {
  form_->sButton1->SetCaption(L"开始 ");
  ClickStart();
  EXPECT_FALSE(form_->IsRunning());
  EXPECT_EQ(form_->sButton1->Caption(), L"开始 ");
}

TEST(RemainingText, Table) {
  const struct {
    int seconds;
    const wchar_t* text;
  } cases[] = {{0, L"0小时0分0秒"},      {59, L"0小时0分59秒"},     {60, L"0小时1分0秒"},
               {125, L"0小时2分5秒"},    {3661, L"1小时1分1秒"},    {86399, L"23小时59分59秒"},
               {90000, L"25小时0分0秒"}, {360000, L"100小时0分0秒"}};
  for (const auto& c : cases) {
    EXPECT_EQ(RemainingText(c.seconds), c.text) << c.seconds;
  }
}

// The target parts as the conversion reads them: what a field holds decides the target.
struct TargetCase {
  const wchar_t* text;
  int expectedTarget;          // seconds, when accepted
  const wchar_t* failingPart;  // nullptr when accepted
  friend void PrintTo(const TargetCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(std::wstring(c.text));
  }
};

class TargetPartsTest : public FormTest, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(TargetPartsTest, ConversionOfTheThreeParts) {
  const TargetCase& c = GetParam();
  SetTime(0, 0, 0);
  SetTarget(c.text);
  ClickStart();
  Tick();
  if (c.failingPart == nullptr) {
    ASSERT_EQ(BoxCount(), c.expectedTarget < 0 ? 1u : 0u);
    if (c.expectedTarget > 0) {
      EXPECT_EQ(Status(), RemainingText(c.expectedTarget));
    }
  } else {
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_EQ(backend_->boxes[0].kind, vcl::BoxKind::kError);
    EXPECT_EQ(backend_->boxes[0].caption, L"倒计时");
    EXPECT_EQ(backend_->boxes[0].text,
              L"'" + std::wstring(c.failingPart) + L"' is not a valid integer value.");
    // The tick ended there: the title runs, the rest is untouched, the countdown goes on.
    EXPECT_EQ(form_->Caption(), L"00:00:00--周三");
    EXPECT_EQ(Status(), L"已停止倒计时");
    EXPECT_TRUE(form_->IsRunning());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, TargetPartsTest,
    ::testing::Values(
        TargetCase{L"08:00:00", 8 * 3600, nullptr}, TargetCase{L" 8:00:00", 8 * 3600, nullptr},
        TargetCase{L"+8:00:00", 8 * 3600, nullptr}, TargetCase{L"$A:00:00", 10 * 3600, nullptr},
        TargetCase{L"xA:00:00", 10 * 3600, nullptr}, TargetCase{L"00:$A:01", 601, nullptr},
        TargetCase{L"-1:00:00", -3600, nullptr},
        TargetCase{L"-1:59:61", -3600 + 59 * 60 + 61, nullptr}, TargetCase{L"8 :00:00", 0, L"8 "},
        TargetCase{L"ab:00:00", 0, L"ab"}, TargetCase{L"1:00:00", 0, L"1:"},
        TargetCase{L"12:", 0, L""}, TargetCase{L"00:00:0 ", 0, L"0 "}, TargetCase{L"", 0, L""}));

TEST_F(FormTest, FailingTargetIsReportedOnceUntilTheTextChanges) {
  SetTime(10, 0, 0);
  SetTarget(L"ab:00:00");
  ClickStart();
  backend_->whileBoxOpen = [&](const vcl::RecordedBox&) {
    // Nested ticks inside the open box keep the clock going but open no second box.
    for (int i = 0; i < 10; ++i) TickAfter(200);
    EXPECT_EQ(form_->Caption(), L"10:00:02--周三");
  };
  Tick();
  EXPECT_EQ(BoxCount(), 1u);
  backend_->whileBoxOpen = nullptr;
  for (int i = 0; i < 10; ++i) TickAfter(200);
  EXPECT_EQ(BoxCount(), 1u);
  EXPECT_EQ(form_->Caption(), L"10:00:04--周三");
  SetTarget(L"cd:00:00");
  TickAfter(200);
  ASSERT_EQ(BoxCount(), 2u);
  EXPECT_EQ(backend_->boxes[1].text, L"'cd' is not a valid integer value.");
  // A valid text ends the failure; the countdown then runs normally.
  SetTarget(L"10:01:00");
  TickAfter(200);
  EXPECT_EQ(Status(), L"0小时0分56秒");
}

TEST_F(FormTest, UnchangedDisplayIsNotRewrittenByLaterTicks) {
  SetTime(10, 0, 0, 0);
  Tick();
  const int title = form_->ChangeCount();
  const int status = form_->sWebLabel1->ChangeCount();
  const int prefix = form_->sWebLabel2->ChangeCount();
  const int button = form_->sButton1->ChangeCount();
  TickAfter(200);
  TickAfter(200);  // same second
  EXPECT_EQ(form_->ChangeCount(), title);
  TickAfter(700);  // next second: only the title changes
  EXPECT_EQ(form_->ChangeCount(), title + 1);
  EXPECT_EQ(form_->sWebLabel1->ChangeCount(), status);
  EXPECT_EQ(form_->sWebLabel2->ChangeCount(), prefix);
  EXPECT_EQ(form_->sButton1->ChangeCount(), button);
}

// A day of countdowns with ticks held up by up to 900 ms beyond their 200 ms: every target is
// reached, none is reported as passed, and the end action runs once per countdown.
TEST_F(FormTest, SimulatedDayWithRandomDelaysNeverMissesATarget) {
  std::mt19937 random(20201211);
  std::uniform_int_distribution<int> delay(0, 900);
  std::uniform_int_distribution<int> lead(1, 400);
  form_->sRadioButton3->SetChecked(true);
  SetTime(0, 0, 1);
  int countdowns = 0;
  for (;;) {
    const rtl::DateTimeParts now = rtl::SplitDateTime(platform_.clock.now);
    const int nowSeconds = now.hour * 3600 + now.minute * 60 + now.second;
    const int target = nowSeconds + lead(random);
    if (target > 86399 - 3) break;
    wchar_t text[16];
    std::swprintf(text, 16, L"%02d:%02d:%02d", target / 3600, target / 60 % 60, target % 60);
    SetTarget(text);
    ClickStart();
    const size_t calls = platform_.power.calls.size();
    while (form_->IsRunning()) TickAfter(200 + delay(random));
    ASSERT_EQ(Status(), L"已到指定时间") << "target " << target;
    ASSERT_EQ(platform_.power.calls.size(), calls + 1);
    ++countdowns;
    TickAfter(200);
  }
  EXPECT_EQ(BoxCount(), 0u);
  EXPECT_GT(countdowns, 300);
}

}  // namespace
}  // namespace app::testing
