#pragma once
// The date-time value: days since 1899-12-30 00:00 as a double. The integer part is the date,
// the fraction the time of day; before 1899-12-30 the fraction still counts forward from
// midnight but is subtracted (-1.25 is 1899-12-29 06:00).
#include <cstdint>

namespace rtl {

using TDateTime = double;

struct DateTimeParts {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

bool IsValidDate(int year, int month, int day);
// Days of 1899-12-30 .. to the given date; throws EConvertError for an invalid date.
TDateTime EncodeDate(int year, int month, int day);
// Fraction of a day; throws EConvertError when a field is out of range.
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
// Date and time together, honouring the rule for dates before 1899-12-30.
TDateTime ComposeDateTime(const DateTimeParts& parts);
// Inverse of ComposeDateTime, rounded to the nearest millisecond. Throws EConvertError for a
// value that is not finite or lies outside the years 1 to 9999.
DateTimeParts SplitDateTime(TDateTime value);
// 1 = Sunday ... 7 = Saturday, of the date SplitDateTime gives.
int DayOfWeek(TDateTime value);

}  // namespace rtl
