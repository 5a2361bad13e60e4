#include "platform/win32/power_win32.h"

#include <windows.h>

namespace platform::win32 {
namespace {

class Win32PowerImpl : public Power {
 public:
  uintptr_t OpenProcessToken(uint32_t desiredAccess) override {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(GetCurrentProcess(), desiredAccess, &token)) return 0;
    return reinterpret_cast<uintptr_t>(token);
  }

  bool LookupPrivilege(const wchar_t* systemName, const std::wstring& name, Luid& luid) override {
    LUID value{};
    if (!LookupPrivilegeValueW(systemName, name.c_str(), &value)) return false;
    luid = {value.LowPart, value.HighPart};
    return true;
  }

  bool AdjustTokenPrivileges(uintptr_t token, bool disableAll, const Luid& luid,
                             uint32_t attributes) override {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid.LowPart = luid.lowPart;
    privileges.Privileges[0].Luid.HighPart = luid.highPart;
    privileges.Privileges[0].Attributes = attributes;
    DWORD returnLength = 0;
    return ::AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), disableAll ? TRUE : FALSE,
                                   &privileges, 0, nullptr, &returnLength) != FALSE;
  }

  void CloseToken(uintptr_t token) override { CloseHandle(reinterpret_cast<HANDLE>(token)); }

  bool ExitWindowsEx(uint32_t flags, uint32_t reason) override {
    return ::ExitWindowsEx(flags, reason) != FALSE;
  }

  uint32_t LastError() override { return GetLastError(); }
};

}  // namespace

Power& Win32Power() {
  static Win32PowerImpl power;
  return power;
}

}  // namespace platform::win32
