#pragma once
// Windows' own clock and time zone.
#include <windows.h>

#include "platform/clock.h"

namespace platform::win32 {

SystemTime FromSYSTEMTIME(const SYSTEMTIME& time);
SYSTEMTIME ToSYSTEMTIME(const SystemTime& time);

class Win32Clock final : public Clock {
 public:
  SystemTime LocalTime() override;
  SystemTime UtcTime() override;
};

class Win32TimeZone final : public TimeZone {
 public:
  TimeZoneReading Read() override;
};

}  // namespace platform::win32
