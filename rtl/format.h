#pragma once
// Formatting and parsing of date-times and integers with the user's locale settings.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "rtl/datetime.h"

namespace rtl {

// Locale settings the formatter needs. On Windows they come from GetLocaleInfoW for the thread's
// locale (platform/); elsewhere Default() is used.
struct FormatSettings {
  // Abbreviated weekday names, Sunday first. An empty name falls back to "Sun" ... "Sat".
  std::array<std::wstring, 7> shortDayNames;
  wchar_t timeSeparator = L':';
  wchar_t dateSeparator = L'-';
  // Formatter patterns (the formatter's own tokens, see FormatDateTime), e.g. "yyyy-m-d" and
  // "h:nn:ss"; converted from the locale's picture strings by FromLocalePictures().
  std::wstring shortDateFormat = L"yyyy-mm-dd";
  std::wstring longTimeFormat = L"hh:nn:ss";
  std::wstring timeAMString = L"AM";
  std::wstring timePMString = L"PM";
  // Full weekday names (Sunday first) and month names (January first) for "dddd", "mmm" and
  // "mmmm"; empty names fall back to the English ones.
  std::array<std::wstring, 7> longDayNames;
  std::array<std::wstring, 12> shortMonthNames;
  std::array<std::wstring, 12> longMonthNames;

  // Fallbacks that write and read back the date and time to the second.
  static FormatSettings Default();
};

// Keeps the settings' short date and long time formats when a date-time written with them reads
// back to the second; otherwise puts in Default()'s, which always do.
void EnsureReadableFormats(FormatSettings& settings);

// Converts a Windows locale picture string (LOCALE_SSHORTDATE "yyyy/M/d", LOCALE_STIMEFORMAT
// "H:mm:ss", "h:mm:ss tt") into the formatter's tokens.
std::wstring FromLocalePicture(std::wstring_view picture, bool isTime);

// Date-time formatting with the tokens:
//   d dd ddd dddd  day, two-digit day, abbreviated / full weekday name
//   m mm           month (minute when it follows an hour token)   mmm mmmm  month names
//   yy yyyy        year
//   h hh           hour (24-hour clock unless ampm / am/pm stands in the pattern)
//   n nn           minute      s ss  second      z zzz  millisecond
//   am/pm ampm     the 12-hour marker
//   :              the time separator      /  the date separator
//   "text" 'text'  literal text; any other character is copied.
std::wstring FormatDateTime(std::wstring_view pattern, TDateTime value,
                            const FormatSettings& settings);

// Text form: short date, then a blank and the long time unless the time of day is 00:00:00.
std::wstring DateTimeToStr(TDateTime value, const FormatSettings& settings);
// Parse of the text form; EConvertError "'%s' is not a valid date and time" on failure.
// The date's fields come in the order of shortDateFormat, separated by the settings' date
// separator or the format's own literal text; a year of one or two digits means 1950 to 2049.
// The time is hours, minutes and optional seconds with an optional AM/PM marker before or after.
TDateTime StrToDateTime(const std::wstring& text, const FormatSettings& settings);

// Strict integer conversion: leading spaces, optional sign, decimal digits or hex digits after
// "$", "x", "X", "0x", "0X", nothing after the digits. EConvertError
// "'%s' is not a valid integer value" otherwise (also on 32-bit overflow).
int32_t StrToInt(const std::wstring& text);
std::wstring IntToStr(int64_t value);

}  // namespace rtl
