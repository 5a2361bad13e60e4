// The program body: the application with its hidden window titled "倒计时", the main form, the
// message loop, exit code 0.
#include <windows.h>

#include "app/unit1.h"
#include "platform/services.h"
#include "vcl/application.h"
#include "vcl/win32/win32_backend.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  vcl::TApplication application(vcl::CreateWin32Backend(instance, showCommand));
  application.SetTitle(L"倒计时");
  application.CreateForm<app::TForm1>(platform::ProcessServices());
  application.Run();
  application.DestroyForms();
  return 0;
}
