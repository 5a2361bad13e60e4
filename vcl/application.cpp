#include "vcl/application.h"

#include "rtl/exceptions.h"

namespace vcl {
namespace {
TApplication* gApplication = nullptr;
}

TApplication& Application() {
  return *gApplication;
}
bool HasApplication() {
  return gApplication != nullptr;
}

TApplication::TApplication(std::unique_ptr<Backend> backend) : backend_(std::move(backend)) {
  gApplication = this;
}

TApplication::~TApplication() {
  DestroyForms();
  if (gApplication == this) gApplication = nullptr;
}

void TApplication::SetTitle(const std::wstring& title) {
  title_ = title;
  backend_->SetTitle(title);
}

void TApplication::Run() {
  if (mainForm_ != nullptr && !terminated_) backend_->Run(*this);
}

void TApplication::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  backend_->Terminate();
}

void TApplication::DestroyForms() {
  // Later forms first; the main form, created first, goes last.
  while (!forms_.empty()) {
    forms_.pop_back();
  }
  mainForm_ = nullptr;
}

void TApplication::ShowMessage(const std::wstring& text) {
  backend_->ShowBox(BoxKind::kMessage, title_, text);
}

void TApplication::ShowError(const std::wstring& text) {
  backend_->ShowBox(BoxKind::kError, title_, text);
}

void TApplication::ShowException(const std::exception& error) {
  std::wstring message;
  if (const auto* e = dynamic_cast<const rtl::Exception*>(&error)) {
    message = e->Message();
  } else {
    const std::string narrow = error.what();
    message.assign(narrow.begin(), narrow.end());
  }
  backend_->ShowBox(BoxKind::kError, title_, rtl::ErrorBoxText(message));
}

void TApplication::Dispatch(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowException(error);
  }
}

void TApplication::Minimize() {
  if (backend_->IsMinimized()) return;
  backend_->Minimize();
  if (OnMinimize) Dispatch(OnMinimize);
}

void TApplication::Restore() {
  if (!backend_->IsMinimized()) return;
  backend_->Restore();
  if (OnRestore) Dispatch(OnRestore);
}

}  // namespace vcl
