#include "platform/win32/real_services.h"

#include <windows.h>

#include "platform/udp.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/internet_win32.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/power_win32.h"

namespace platform::win32 {
namespace {

std::wstring ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);  // truncated: long paths reach 32767 characters
  }
}

}  // namespace

Services RealServices() {
  static Win32Clock clock;
  static Win32TimeZone timeZone;
  Services services;
  services.clock = &clock;
  services.timeZone = &timeZone;
  services.locale = &Win32Locale();
  services.udp = &SystemUdp();
  services.power = &Win32Power();
  services.internet = &Win32Internet();
  services.executablePath = ExecutablePath();
  return services;
}

}  // namespace platform::win32
