#pragma once
// The main form on the headless backend with fake services: a clock the test sets and moves,
// recorded boxes and menus, and the end action's calls.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/unit1.h"
#include "platform/fake/fake_platform.h"
#include "vcl/application.h"
#include "vcl/headless/headless_backend.h"

namespace app::testing {

class FormTest : public ::testing::Test {
 protected:
  FormTest() {
    auto backend = std::make_unique<vcl::HeadlessBackend>();
    backend_ = backend.get();
    application_ = std::make_unique<vcl::TApplication>(std::move(backend));
    application_->SetTitle(L"倒计时");
    platform_.clock.Set(2020, 1, 1, 10, 0, 0, 300);
    form_ = application_->CreateForm<TForm1>(platform_.services);
  }

  void Tick() { form_->Timer1->Fire(); }
  // Moves the clock on and ticks, as the 200 ms timer would.
  void TickAfter(double ms) {
    platform_.clock.AdvanceMs(ms);
    Tick();
  }
  void SetTime(int hour, int minute, int second, int ms = 0) {
    platform_.clock.Set(2020, 1, 1, hour, minute, second, ms);
  }
  void SetTarget(const std::wstring& text) { form_->sTimePicker1->AssignRawText(text); }
  void ClickStart() { form_->sButton1->Click(); }
  std::wstring Status() const { return form_->sWebLabel1->Caption(); }
  size_t BoxCount() const { return backend_->boxes.size(); }

  platform::FakePlatform platform_;
  vcl::HeadlessBackend* backend_ = nullptr;
  std::unique_ptr<vcl::TApplication> application_;
  TForm1* form_ = nullptr;
};

}  // namespace app::testing
