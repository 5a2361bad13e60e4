#include "platform/scripted/power_scripted.h"

#include <windows.h>

#include "platform/scripted/record.h"

namespace platform::scripted {
namespace {

std::wstring Number(uint64_t value) {
  return std::to_wstring(value);
}

class RecordingPowerImpl : public Power {
 public:
  uintptr_t OpenProcessToken(uint32_t desiredAccess) override {
    Record(L"OpenProcessToken " + Number(desiredAccess));
    return 1;
  }

  bool LookupPrivilege(const wchar_t* systemName, const std::wstring& name, Luid& luid) override {
    Record(L"LookupPrivilegeValue " + std::wstring(systemName ? systemName : L"(local)") + L" " +
           name);
    luid = {19, 0};  // SE_SHUTDOWN_PRIVILEGE's usual value
    return true;
  }

  bool AdjustTokenPrivileges(uintptr_t token, bool disableAll, const Luid& luid,
                             uint32_t attributes) override {
    Record(L"AdjustTokenPrivileges " + Number(token) + L" " + (disableAll ? L"1" : L"0") + L" " +
           Number(luid.lowPart) + L" " + Number(attributes));
    return true;
  }

  void CloseToken(uintptr_t token) override { Record(L"CloseToken " + Number(token)); }

  bool ExitWindowsEx(uint32_t flags, uint32_t reason) override {
    Record(L"ExitWindowsEx " + Number(flags) + L" " + Number(reason));
    const std::wstring flag = ScriptDir() + L"\\exitwindows-fails.txt";
    if (!ScriptDir().empty() && GetFileAttributesW(flag.c_str()) != INVALID_FILE_ATTRIBUTES) {
      lastError_ = ERROR_PRIVILEGE_NOT_HELD;
      return false;
    }
    return true;
  }

  uint32_t LastError() override { return lastError_; }

 private:
  uint32_t lastError_ = 0;
};

}  // namespace

Power& RecordingPower() {
  static RecordingPowerImpl power;
  return power;
}

}  // namespace platform::scripted
