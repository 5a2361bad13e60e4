#include "app/unit1.h"
#include "platform/power.h"
#include "vcl/application.h"

namespace app {
namespace {

constexpr uint32_t kEwxLogoff = 0;
constexpr uint32_t kEwxShutdownPoweroff = 1 | 8;  // EWX_SHUTDOWN | EWX_POWEROFF
constexpr uint32_t kEwxRebootPoweroff = 2 | 8;    // EWX_REBOOT | EWX_POWEROFF
// STANDARD_RIGHTS_REQUIRED and the eight token rights up to TOKEN_ADJUST_DEFAULT.
constexpr uint32_t kTokenAccess = 0xF00FF;
constexpr uint32_t kSePrivilegeEnabled = 2;

}  // namespace

// Each test runs whatever the one before did; the buttons exclude one another, so at most one
// call is made. A failed call is reported with the system's reason instead of passing silently.
void TForm1::PerformEndAction() {
  platform::Power& power = *services_.power;
  auto exitWindows = [&](uint32_t flags, const wchar_t* failure) {
    if (!power.ExitWindowsEx(flags, 0)) {
      const uint32_t error = power.LastError();
      vcl::Application().ShowError(failure + services_.locale->SystemErrorText(error));
    }
  };
  if (sRadioButton1->Checked()) {
    EnableShutdownPrivilege();
    exitWindows(kEwxShutdownPoweroff, L"关机失败：");
  }
  if (sRadioButton2->Checked()) {
    EnableShutdownPrivilege();
    exitWindows(kEwxRebootPoweroff, L"重启失败：");
  }
  if (sRadioButton3->Checked()) {
    exitWindows(kEwxLogoff, L"注销失败：");
  }
}

// The privilege stays enabled afterwards and its previous state is not kept; only the token
// handle is closed again.
void TForm1::EnableShutdownPrivilege() {
  platform::Power& power = *services_.power;
  const uintptr_t token = power.OpenProcessToken(kTokenAccess);
  platform::Luid luid;
  power.LookupPrivilege(nullptr, L"SeShutdownPrivilege", luid);
  power.AdjustTokenPrivileges(token, false, luid, kSePrivilegeEnabled);
  if (token != 0) power.CloseToken(token);
}

}  // namespace app
