#pragma once
// Clock and time-zone services. The exe reads Windows; the test exe reads a clock the test
// driver can set; unit tests use platform/fake.
#include <cstdint>

#include "rtl/datetime.h"

namespace platform {

// Same fields as Win32 SYSTEMTIME.
struct SystemTime {
  uint16_t year = 1601;
  uint16_t month = 1;
  uint16_t dayOfWeek = 0;  // 0 = Sunday
  uint16_t day = 1;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};

rtl::TDateTime ToDateTime(const SystemTime& time);
SystemTime FromDateTime(rtl::TDateTime value);

class Clock {
 public:
  virtual ~Clock() = default;
  virtual SystemTime LocalTime() = 0;  // GetLocalTime
  virtual SystemTime UtcTime() = 0;    // GetSystemTime
};

// What GetTimeZoneInformation gave: its result (0 unknown, 1 standard, 2 daylight, else
// failure with lastError) and the three biases in minutes.
struct TimeZoneReading {
  uint32_t result = 0;
  int32_t bias = 0;
  int32_t standardBias = 0;
  int32_t daylightBias = 0;
  uint32_t lastError = 0;
};

class TimeZone {
 public:
  virtual ~TimeZone() = default;
  virtual TimeZoneReading Read() = 0;
};

}  // namespace platform
