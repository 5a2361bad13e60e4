// The main window as the form resource lays it out, its menus and its closing paths.
#include "tests/unit/app/form_fixture.h"

namespace app::testing {
namespace {

TEST_F(FormTest, ControlsAreCreatedInResourceOrderAtTheirPlaces) {
  const struct {
    const wchar_t* name;
    vcl::TRect bounds;
    const wchar_t* text;
    int tabOrder;
    bool visible;
  } expected[] = {
      {L"sLabel1", {384, 283, 12, 13}, L"时", -1, true},
      {L"sLabel2", {448, 283, 12, 13}, L"分", -1, true},
      {L"sLabel3", {510, 283, 12, 13}, L"秒", -1, true},
      {L"sLabel4", {2, 11, 64, 19}, L"设置时间", -1, true},
      {L"sWebLabel1", {60, 33, 132, 25}, L"已停止倒计时", -1, true},
      {L"sWebLabel2", {2, 38, 68, 19}, L"倒计时：", -1, false},
      {L"sLabel5", {5, 59, 48, 13}, L"选择事件", -1, true},
      {L"sLabel6", {13, 40, 5, 18}, L"", -1, true},
      {L"sEdit1", {337, 280, 41, 21}, L"", 0, true},
      {L"sEdit2", {402, 280, 41, 21}, L"", 1, true},
      {L"sEdit3", {465, 280, 41, 21}, L"", 2, true},
      {L"sButton1", {178, 1, 55, 32}, L"开始", 3, true},
      {L"sTimePicker1", {71, 3, 105, 21}, L"00:00:00", 4, true},
      {L"sRadioButton1", {58, 57, 52, 20}, L"关机", 5, true},
      {L"sRadioButton2", {110, 57, 52, 20}, L"重启", 6, true},
      {L"sRadioButton3", {170, 57, 52, 20}, L"注销", 7, true},
  };
  const auto& controls = form_->Controls();
  ASSERT_EQ(controls.size(), std::size(expected));
  for (size_t i = 0; i < controls.size(); ++i) {
    const vcl::TControl& c = *controls[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(c.Name(), expected[i].name);
    EXPECT_EQ(c.Caption(), expected[i].text);
    EXPECT_EQ(c.TabOrder(), expected[i].tabOrder);
    EXPECT_EQ(c.Visible(), expected[i].visible);
    // Labels size themselves to their text; the others keep their design size.
    EXPECT_EQ(c.BoundsRect().left, expected[i].bounds.left);
    EXPECT_EQ(c.BoundsRect().top, expected[i].bounds.top);
    if (c.Kind() != vcl::ControlKind::kLabel && c.Kind() != vcl::ControlKind::kWebLabel) {
      EXPECT_EQ(c.BoundsRect(), expected[i].bounds);
    }
  }
}

TEST_F(FormTest, FontsAndColoursOfTheForm) {
  EXPECT_EQ(form_->Font(), (vcl::TFont{L"Tahoma", -11, false, vcl::clWindowText}));
  EXPECT_EQ(form_->ClientWidth(), 232);
  EXPECT_EQ(form_->ClientHeight(), 73);
  EXPECT_EQ(form_->sWebLabel1->Font(), (vcl::TFont{L"Tahoma", -21, true, vcl::clBlue}));
  EXPECT_EQ(form_->sWebLabel2->Font(), (vcl::TFont{L"Tahoma", -16, true, vcl::clBlue}));
  EXPECT_EQ(form_->sLabel4->Font().color, 467255u);
  EXPECT_EQ(form_->sTimePicker1->Color(), 8500947u);
  EXPECT_EQ(form_->sEdit1->Color(), 8500947u);
  EXPECT_TRUE(form_->sButton1->ParentFont());
  EXPECT_TRUE(form_->sLabel4->UseSkinColor());
  EXPECT_FALSE(form_->sWebLabel1->UseSkinColor());
  EXPECT_EQ(form_->sTimePicker1->SkinSection(), L"EDIT");
  EXPECT_EQ(form_->sButton1->SkinSection(), L"DIALOG");
}

TEST_F(FormTest, FormCreateSetsTheSkinUpAndCentring) {
  EXPECT_EQ(form_->sSkinManager1->SkinDirectory(), L"C:\\Programs\\Countdown");
  EXPECT_EQ(form_->Position(), vcl::TPosition::poScreenCenter);
  EXPECT_TRUE(form_->sSkinManager1->Active());
  EXPECT_EQ(form_->Caption(), L"");
}

TEST(ExtractFileDir, Table) {
  const struct {
    const wchar_t* path;
    const wchar_t* dir;
  } cases[] = {{L"C:\\Programs\\Countdown\\countdown.exe", L"C:\\Programs\\Countdown"},
               {L"C:\\countdown.exe", L"C:\\"},
               {L"\\\\server\\share\\countdown.exe", L"\\\\server\\share"},
               {L"countdown.exe", L""}};
  for (const auto& c : cases) EXPECT_EQ(ExtractFileDir(c.path), c.dir) << c.path;
}

TEST_F(FormTest, RightClickMenuReadsWithAccessLettersAndKeepsThem) {
  form_->ContextPopup(300, 200);
  form_->ContextPopup(310, 210);
  ASSERT_EQ(backend_->popups.size(), 2u);
  const std::vector<std::wstring> expected = {L"获取网络时间(X)", L"校正本机时间(Y)", L"退出(Z)"};
  EXPECT_EQ(backend_->popups[0].captions, expected);
  EXPECT_EQ(backend_->popups[1].captions, expected);
  EXPECT_EQ(backend_->popups[1].x, 310);
}

TEST_F(FormTest, ExitFromTheRightClickMenuStopsTheTimerAndEndsTheProgram) {
  form_->sRadioButton1->Click();
  SetTime(10, 0, 0);
  SetTarget(L"10:00:01");
  ClickStart();
  Tick();
  backend_->whileMenuOpen = [&](vcl::TPopupMenu& menu) { menu.Items()[2]->Click(); };
  form_->ContextPopup(10, 10);
  EXPECT_FALSE(form_->Timer1->Enabled());
  EXPECT_EQ(backend_->terminations, 1);
  EXPECT_TRUE(application_->Terminated());
  // A disabled timer runs no further tick, so the countdown never reaches its end action.
  for (int i = 0; i < 10; ++i) TickAfter(200);
  EXPECT_TRUE(platform_.power.calls.empty());
}

TEST_F(FormTest, FormMouseUpAndWebLabelClicksDoNothing) {
  const std::wstring before = Status();
  form_->MouseUp({vcl::TMouseButton::mbLeft, {}, 5, 5});
  form_->sWebLabel1->Click();
  form_->sWebLabel2->Click();
  EXPECT_EQ(Status(), before);
  EXPECT_EQ(BoxCount(), 0u);
  EXPECT_FALSE(form_->IsRunning());
}

}  // namespace
}  // namespace app::testing
