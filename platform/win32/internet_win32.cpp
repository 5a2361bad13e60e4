#include "platform/win32/internet_win32.h"

#include <windows.h>
#include <wininet.h>

namespace platform::win32 {
namespace {

class Win32InternetImpl final : public Internet {
 public:
  bool CheckConnection(const std::wstring& url, uint32_t flags, uint32_t reserved) override {
    return InternetCheckConnectionW(url.c_str(), flags, reserved) != FALSE;
  }

  // No privilege is enabled here: SetSystemTime enables the system-time privilege itself when
  // the token holds it, and fails with ERROR_PRIVILEGE_NOT_HELD when it does not.
  bool SetSystemTime(const SystemTime& utc, uint32_t& error) override {
    const SYSTEMTIME time{utc.year, utc.month,  utc.dayOfWeek, utc.day,
                          utc.hour, utc.minute, utc.second,    utc.milliseconds};
    if (::SetSystemTime(&time)) {
      error = 0;
      return true;
    }
    error = GetLastError();
    return false;
  }
};

}  // namespace

Internet& Win32Internet() {
  static Win32InternetImpl internet;
  return internet;
}

}  // namespace platform::win32
