#include "platform/posix/clock_posix.h"

#include <ctime>

namespace platform::posix {
namespace {

SystemTime FromTm(const std::tm& fields, long nanoseconds) {
  SystemTime time;
  time.year = static_cast<uint16_t>(fields.tm_year + 1900);
  time.month = static_cast<uint16_t>(fields.tm_mon + 1);
  time.dayOfWeek = static_cast<uint16_t>(fields.tm_wday);
  time.day = static_cast<uint16_t>(fields.tm_mday);
  time.hour = static_cast<uint16_t>(fields.tm_hour);
  time.minute = static_cast<uint16_t>(fields.tm_min);
  // A leap second (tm_sec 60) reads as the last second of the minute, as Windows shows it.
  time.second = static_cast<uint16_t>(fields.tm_sec > 59 ? 59 : fields.tm_sec);
  time.milliseconds = static_cast<uint16_t>(nanoseconds / 1000000);
  return time;
}

}  // namespace

SystemTime PosixClock::LocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm fields{};
  localtime_r(&now.tv_sec, &fields);
  return FromTm(fields, now.tv_nsec);
}

SystemTime PosixClock::UtcTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm fields{};
  gmtime_r(&now.tv_sec, &fields);
  return FromTm(fields, now.tv_nsec);
}

TimeZoneReading PosixTimeZone::Read() {
  std::time_t now = std::time(nullptr);
  std::tm fields{};
  localtime_r(&now, &fields);
  TimeZoneReading reading;
  reading.result = 0;
  // Windows counts the bias the other way round: UTC = local time + bias.
  reading.bias = static_cast<int32_t>(-fields.tm_gmtoff / 60);
  return reading;
}

}  // namespace platform::posix
