#include "platform/clock.h"

namespace platform {

rtl::TDateTime ToDateTime(const SystemTime& time) {
  rtl::DateTimeParts parts;
  parts.year = time.year;
  parts.month = time.month;
  parts.day = time.day;
  parts.hour = time.hour;
  parts.minute = time.minute;
  parts.second = time.second;
  parts.millisecond = time.milliseconds;
  return rtl::ComposeDateTime(parts);
}

SystemTime FromDateTime(rtl::TDateTime value) {
  const rtl::DateTimeParts parts = rtl::SplitDateTime(value);
  SystemTime time;
  time.year = static_cast<uint16_t>(parts.year);
  time.month = static_cast<uint16_t>(parts.month);
  time.dayOfWeek = static_cast<uint16_t>(rtl::DayOfWeek(value) - 1);  // SYSTEMTIME: 0 = Sunday
  time.day = static_cast<uint16_t>(parts.day);
  time.hour = static_cast<uint16_t>(parts.hour);
  time.minute = static_cast<uint16_t>(parts.minute);
  time.second = static_cast<uint16_t>(parts.second);
  time.milliseconds = static_cast<uint16_t>(parts.millisecond);
  return time;
}

}  // namespace platform
