#pragma once
// The application object: title, main form, message loop, the message box and the error box.
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "vcl/backend.h"
#include "vcl/controls.h"

namespace vcl {

class TApplication {
 public:
  explicit TApplication(std::unique_ptr<Backend> backend);
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  Backend& GetBackend() { return *backend_; }
  const std::wstring& Title() const { return title_; }
  void SetTitle(const std::wstring& title);

  // The application owns its forms; the first one created is the main form.
  template <class T, class... Args>
  T* CreateForm(Args&&... args) {
    auto form = std::make_unique<T>(std::forward<Args>(args)...);
    T* raw = form.get();
    if (mainForm_ == nullptr) mainForm_ = raw;
    forms_.push_back(std::move(form));
    raw->DoCreate();
    return raw;
  }
  TForm* MainForm() const { return mainForm_; }
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Destroys the forms (main form last), as at the end of the program.
  void DestroyForms();

  // The modal message box: caption = title, the text, one OK button.
  void ShowMessage(const std::wstring& text);
  // The error box (stop icon) with a text of the program's own, shown as it is.
  void ShowError(const std::wstring& text);
  // The error box for an exception that left a handler; the program carries on.
  void ShowException(const std::exception& error);
  // Runs a handler; an exception that leaves it is reported in the error box.
  void Dispatch(const std::function<void()>& handler);

  void Minimize();
  void Restore();
  bool IsMinimized() { return backend_->IsMinimized(); }
  // One registered handler each, notified after the operation.
  std::function<void()> OnMinimize;
  std::function<void()> OnRestore;

 private:
  std::unique_ptr<Backend> backend_;
  std::wstring title_;
  std::vector<std::unique_ptr<TForm>> forms_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
};

// The one application object of the process (set by the TApplication constructor).
TApplication& Application();
bool HasApplication();

}  // namespace vcl
