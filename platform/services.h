#pragma once
// Every operating-system service the program uses, handed to the form at construction so the
// same handlers run on Windows, under the scripted test build and in native unit tests.
#include <string>

#include "platform/clock.h"
#include "platform/locale.h"

namespace platform {

class Power;
class Internet;
class UdpServices;

struct Services {
  Clock* clock = nullptr;
  TimeZone* timeZone = nullptr;
  Locale* locale = nullptr;
  Power* power = nullptr;
  Internet* internet = nullptr;
  UdpServices* udp = nullptr;
  // Full path of the running executable (GetModuleFileNameW).
  std::wstring executablePath;
};

// The exe's services: real Windows ones in the shipped exe, scripted ones in the test exe.
// Defined once per exe (platform/win32/create_real.cpp, platform/scripted/create_scripted.cpp).
Services& ProcessServices();

}  // namespace platform
