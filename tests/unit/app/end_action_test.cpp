// The end-of-countdown action: which Windows calls each choice makes, in which order.
#include "tests/unit/app/form_fixture.h"

namespace app::testing {
namespace {

const std::vector<std::wstring> kPrivilegeSteps = {
    L"OpenProcessToken 983295",  // 0xF00FF
    L"LookupPrivilegeValue (local) SeShutdownPrivilege",
    L"AdjustTokenPrivileges 4660 0 19 2",  // token 0x1234, enabled, no previous state kept
    L"CloseToken 4660",
};

std::vector<std::wstring> With(std::vector<std::wstring> calls, const std::wstring& last) {
  calls.push_back(last);
  return calls;
}

struct ChoiceCase {
  const char* name;
  int radio;  // 0: none, 1 关机, 2 重启, 3 注销
  std::vector<std::wstring> calls;
  // Names the case in test listings instead of dumping its bytes.
  friend void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }
};

class EndActionTest : public FormTest, public ::testing::WithParamInterface<ChoiceCase> {
 protected:
  vcl::TsRadioButton* Radio(int n) {
    vcl::TsRadioButton* radios[] = {form_->sRadioButton1, form_->sRadioButton2,
                                    form_->sRadioButton3};
    return radios[n - 1];
  }
  void Choose(int n) {
    if (n > 0) Radio(n)->Click();
  }
  void CountDownTwoSeconds() {
    SetTime(10, 0, 0);
    SetTarget(L"10:00:02");
    ClickStart();
    while (form_->IsRunning()) TickAfter(200);
  }
};

TEST_P(EndActionTest, ChoiceAtZeroGivesItsCallSequence) {
  Choose(GetParam().radio);
  CountDownTwoSeconds();
  EXPECT_EQ(Status(), L"已到指定时间");
  EXPECT_EQ(platform_.power.calls, GetParam().calls);
  EXPECT_EQ(BoxCount(), 0u);
}

TEST_P(EndActionTest, ChoiceChangedDuringTheCountdownDecides) {
  Choose(3);
  SetTime(10, 0, 0);
  SetTarget(L"10:00:02");
  ClickStart();
  TickAfter(200);
  Choose(GetParam().radio);
  if (GetParam().radio == 0) Radio(3)->SetChecked(false);
  while (form_->IsRunning()) TickAfter(200);
  EXPECT_EQ(platform_.power.calls, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, EndActionTest,
    ::testing::Values(ChoiceCase{"None", 0, {}},
                      ChoiceCase{"ShutDown", 1, With(kPrivilegeSteps, L"ExitWindowsEx 9 0")},
                      ChoiceCase{"Restart", 2, With(kPrivilegeSteps, L"ExitWindowsEx 10 0")},
                      ChoiceCase{"LogOff", 3, {L"ExitWindowsEx 0 0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormTest, RadioButtonsExcludeOneAnother) {
  form_->sRadioButton1->Click();
  form_->sRadioButton3->Click();
  EXPECT_FALSE(form_->sRadioButton1->Checked());
  EXPECT_FALSE(form_->sRadioButton2->Checked());
  EXPECT_TRUE(form_->sRadioButton3->Checked());
}

struct NoActionCase {
  const char* name;
  const wchar_t* target;
  bool stopFirst;
  // Names the case in test listings instead of dumping its bytes.
  friend void PrintTo(const NoActionCase& c, std::ostream* os) { *os << c.name; }
};

class NoEndActionTest : public FormTest, public ::testing::WithParamInterface<NoActionCase> {};

TEST_P(NoEndActionTest, NoCall) {
  form_->sRadioButton1->Click();
  SetTime(10, 0, 0);
  SetTarget(GetParam().target);
  ClickStart();
  TickAfter(200);
  if (GetParam().stopFirst) ClickStart();
  for (int i = 0; i < 30; ++i) TickAfter(200);
  EXPECT_FALSE(form_->IsRunning());
  EXPECT_TRUE(platform_.power.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, NoEndActionTest,
                         ::testing::Values(NoActionCase{"StopBeforeZero", L"10:00:03", true},
                                           NoActionCase{"PassedTarget", L"09:00:00", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormTest, TargetEqualToCurrentSecondRunsTheActionInTheFirstTick) {
  form_->sRadioButton3->Click();
  SetTime(10, 0, 0, 500);
  SetTarget(L"10:00:00");
  ClickStart();
  Tick();
  EXPECT_EQ(platform_.power.calls, std::vector<std::wstring>{L"ExitWindowsEx 0 0"});
}

TEST_F(FormTest, MissedTargetSecondStillRunsTheAction) {
  form_->sRadioButton2->Click();
  SetTime(10, 0, 0);
  SetTarget(L"10:00:02");
  ClickStart();
  Tick();
  SetTime(10, 0, 4);  // ticks held up past the target second
  Tick();
  EXPECT_EQ(platform_.power.calls, With(kPrivilegeSteps, L"ExitWindowsEx 10 0"));
  EXPECT_EQ(BoxCount(), 0u);
}

struct FailureCase {
  const char* name;
  int radio;
  const wchar_t* text;
  // Names the case in test listings instead of dumping its bytes.
  friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

class FailedActionTest : public FormTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailedActionTest, FailureIsReportedOnceWithTheSystemsReason) {
  platform_.power.exitWindowsFails = true;
  (GetParam().radio == 1   ? form_->sRadioButton1
   : GetParam().radio == 2 ? form_->sRadioButton2
                           : form_->sRadioButton3)
      ->Click();
  SetTime(10, 0, 0);
  SetTarget(L"10:00:01");
  ClickStart();
  backend_->whileBoxOpen = [&](const vcl::RecordedBox&) { TickAfter(200); };
  while (form_->IsRunning()) TickAfter(200);
  for (int i = 0; i < 5; ++i) TickAfter(200);
  ASSERT_EQ(BoxCount(), 1u);
  EXPECT_EQ(backend_->boxes[0].kind, vcl::BoxKind::kError);
  EXPECT_EQ(backend_->boxes[0].caption, L"倒计时");
  EXPECT_EQ(backend_->boxes[0].text, GetParam().text);
  EXPECT_EQ(Status(), L"已停止倒计时");
  EXPECT_EQ(form_->sButton1->Caption(), L"开始");
  EXPECT_FALSE(form_->sWebLabel2->Visible());
}

INSTANTIATE_TEST_SUITE_P(
    Choices, FailedActionTest,
    ::testing::Values(FailureCase{"ShutDown", 1, L"关机失败：客户端没有所需的特权。"},
                      FailureCase{"Restart", 2, L"重启失败：客户端没有所需的特权。"},
                      FailureCase{"LogOff", 3, L"注销失败：客户端没有所需的特权。"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace app::testing
