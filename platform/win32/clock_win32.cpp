#include "platform/win32/clock_win32.h"

namespace platform::win32 {

SystemTime FromSYSTEMTIME(const SYSTEMTIME& time) {
  SystemTime result;
  result.year = time.wYear;
  result.month = time.wMonth;
  result.dayOfWeek = time.wDayOfWeek;
  result.day = time.wDay;
  result.hour = time.wHour;
  result.minute = time.wMinute;
  result.second = time.wSecond;
  result.milliseconds = time.wMilliseconds;
  return result;
}

SYSTEMTIME ToSYSTEMTIME(const SystemTime& time) {
  SYSTEMTIME result{};
  result.wYear = time.year;
  result.wMonth = time.month;
  result.wDayOfWeek = time.dayOfWeek;
  result.wDay = time.day;
  result.wHour = time.hour;
  result.wMinute = time.minute;
  result.wSecond = time.second;
  result.wMilliseconds = time.milliseconds;
  return result;
}

SystemTime Win32Clock::LocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return FromSYSTEMTIME(now);
}

SystemTime Win32Clock::UtcTime() {
  SYSTEMTIME now;
  GetSystemTime(&now);
  return FromSYSTEMTIME(now);
}

TimeZoneReading Win32TimeZone::Read() {
  TIME_ZONE_INFORMATION info{};
  TimeZoneReading reading;
  reading.result = GetTimeZoneInformation(&info);
  if (reading.result == TIME_ZONE_ID_INVALID) {
    reading.lastError = GetLastError();
    return reading;
  }
  reading.bias = info.Bias;
  reading.standardBias = info.StandardBias;
  reading.daylightBias = info.DaylightBias;
  return reading;
}

}  // namespace platform::win32
