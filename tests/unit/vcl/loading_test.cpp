// A form that reads its components first and creates their windows at the end.
#include <gtest/gtest.h>

#include <memory>

#include "vcl/application.h"
#include "vcl/controls.h"
#include "vcl/headless/headless_backend.h"

namespace vcl {
namespace {

// A form with a label, a disabled edit and a checked radio button, set up as a form resource
// is read; `loading` decides whether the windows wait for DoCreate.
class SmallForm : public TForm {
 public:
  explicit SmallForm(bool loading) : TForm(nullptr, L"SmallForm") {
    if (loading) BeginLoading();
    label = Create<TsLabel>(L"Label");
    label->SetBounds({10, 10, 100, 40});
    label->SetFont(TFont{L"Tahoma", -16, false, clWindowText});
    label->SetCaption(L"设置时间");
    edit = Create<TsEdit>(L"Edit");
    edit->SetCaption(L"0");
    edit->SetEnabled(false);
    radio = Create<TsRadioButton>(L"Radio");
    radio->SetChecked(true);
  }
  TsLabel* label;
  TsEdit* edit;
  TsRadioButton* radio;
};

TEST(FormLoading, WindowsComeAtTheEndWithTheSettingsOfControlsMadeAtOnce) {
  TApplication application(std::make_unique<HeadlessBackend>());
  SmallForm direct(false);
  SmallForm loaded(true);
  for (TControl* control : loaded.Controls()) {
    EXPECT_EQ(control->Peer(), nullptr) << "a window before the form is read";
  }
  loaded.DoCreate();
  ASSERT_EQ(loaded.Controls().size(), direct.Controls().size());
  for (size_t i = 0; i < loaded.Controls().size(); ++i) {
    TControl& late = *loaded.Controls()[i];
    TControl& early = *direct.Controls()[i];
    ASSERT_NE(late.Peer(), nullptr) << late.Name();
    EXPECT_EQ(late.Peer()->ReadText(), early.Peer()->ReadText()) << late.Name();
    EXPECT_EQ(late.BoundsRect(), early.BoundsRect()) << late.Name();
    EXPECT_EQ(late.Enabled(), early.Enabled()) << late.Name();
  }
  // The label measured its text once it could: not its design size.
  EXPECT_NE(loaded.label->BoundsRect().width, 100);
  // The states the peer does not take at its creation are passed on to it.
  const auto& edit = static_cast<const HeadlessPeer&>(*loaded.edit->Peer());
  const auto& radio = static_cast<const HeadlessPeer&>(*loaded.radio->Peer());
  EXPECT_FALSE(edit.enabled) << "the disabled state did not reach the edit";
  EXPECT_TRUE(radio.checked) << "the check did not reach the radio button";
}

TEST(FormLoading, AFormNotLoadingGivesEachControlItsWindowAtOnce) {
  TApplication application(std::make_unique<HeadlessBackend>());
  SmallForm form(false);
  for (TControl* control : form.Controls()) EXPECT_NE(control->Peer(), nullptr);
}

}  // namespace
}  // namespace vcl
