#pragma once
// The end-of-countdown action's Windows calls: the process token's shut-down privilege and
// ExitWindowsEx. The scripted test build records them instead of making them.
#include <cstdint>
#include <string>

namespace platform {

struct Luid {
  uint32_t lowPart = 0;
  int32_t highPart = 0;
};

class Power {
 public:
  virtual ~Power() = default;
  // OpenProcessToken(GetCurrentProcess(), desiredAccess, &token); 0 when it failed.
  virtual uintptr_t OpenProcessToken(uint32_t desiredAccess) = 0;
  // LookupPrivilegeValueW(systemName or nullptr, name, &luid).
  virtual bool LookupPrivilege(const wchar_t* systemName, const std::wstring& name, Luid& luid) = 0;
  // AdjustTokenPrivileges with one entry (luid, attributes), no previous state kept.
  virtual bool AdjustTokenPrivileges(uintptr_t token, bool disableAll, const Luid& luid,
                                     uint32_t attributes) = 0;
  virtual void CloseToken(uintptr_t token) = 0;
  virtual bool ExitWindowsEx(uint32_t flags, uint32_t reason) = 0;
  // GetLastError right after the failed call.
  virtual uint32_t LastError() = 0;
};

}  // namespace platform
