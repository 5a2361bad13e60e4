#include "rtl/datetime.h"

#include <cmath>
#include <string>

#include "rtl/exceptions.h"

namespace rtl {

namespace {

constexpr int64_t kMsPerDay = 86400000;

// Days since 1970-01-01 of a proleptic Gregorian date (the usual civil-from-days arithmetic).
constexpr int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

constexpr int64_t kEpochDays = DaysFromCivil(1899, 12, 30);
// Day numbers of 0001-01-01 and 9999-12-31, the range every date of the program lies in.
constexpr int64_t kMinDay = DaysFromCivil(1, 1, 1) - kEpochDays;
constexpr int64_t kMaxDay = DaysFromCivil(9999, 12, 31) - kEpochDays;

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Splits into whole days (the date, signed) and milliseconds of the day, rounding the whole value
// to the nearest millisecond so that 23:59:59.9996 carries into the next day. For negative values
// the magnitude is rounded: its fraction is the time of day of the (negative) date.
void SplitDays(TDateTime value, int64_t& days, int64_t& msOfDay) {
  if (!std::isfinite(value) || value < static_cast<double>(kMinDay - 1) ||
      value > static_cast<double>(kMaxDay + 1)) {
    throw EConvertError(L"Invalid date-time value " + std::to_wstring(value));
  }
  const int64_t total = std::llround(std::fabs(value) * static_cast<double>(kMsPerDay));
  days = total / kMsPerDay;
  msOfDay = total % kMsPerDay;
  if (value < 0) days = -days;
  if (days < kMinDay || days > kMaxDay) {
    throw EConvertError(L"Invalid date-time value " + std::to_wstring(value));
  }
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const int limit = kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  return day <= limit;
}

TDateTime EncodeDate(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) {
    throw EConvertError(L"Invalid date " + std::to_wstring(year) + L"-" + std::to_wstring(month) +
                        L"-" + std::to_wstring(day));
  }
  return static_cast<TDateTime>(DaysFromCivil(year, month, day) - kEpochDays);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999) {
    throw EConvertError(L"Invalid time " + std::to_wstring(hour) + L":" + std::to_wstring(minute) +
                        L":" + std::to_wstring(second) + L"." + std::to_wstring(millisecond));
  }
  const int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
  return static_cast<TDateTime>(ms) / static_cast<TDateTime>(kMsPerDay);
}

TDateTime ComposeDateTime(const DateTimeParts& parts) {
  const TDateTime date = EncodeDate(parts.year, parts.month, parts.day);
  const TDateTime time = EncodeTime(parts.hour, parts.minute, parts.second, parts.millisecond);
  return date < 0 ? date - time : date + time;
}

DateTimeParts SplitDateTime(TDateTime value) {
  int64_t days = 0;
  int64_t ms = 0;
  SplitDays(value, days, ms);
  DateTimeParts parts;
  CivilFromDays(days + kEpochDays, parts.year, parts.month, parts.day);
  parts.millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  parts.second = static_cast<int>(ms % 60);
  ms /= 60;
  parts.minute = static_cast<int>(ms % 60);
  parts.hour = static_cast<int>(ms / 60);
  return parts;
}

int DayOfWeek(TDateTime value) {
  int64_t days = 0;
  int64_t ms = 0;
  SplitDays(value, days, ms);
  // Day 0, 1899-12-30, was a Saturday (7).
  const int64_t mod = ((days + 6) % 7 + 7) % 7;
  return static_cast<int>(mod) + 1;
}

}  // namespace rtl
