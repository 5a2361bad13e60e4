#include "rtl/datetime.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "rtl/exceptions.h"

namespace {

using rtl::DateTimeParts;

struct DateTimeCase {
  DateTimeParts parts;
  double value;
};

// Fixed points of the day count, including the rule that before 1899-12-30 the time of day is
// subtracted from the (negative) date.
const DateTimeCase kCases[] = {
    {{1899, 12, 30, 0, 0, 0, 0}, 0.0},      {{1899, 12, 31, 0, 0, 0, 0}, 1.0},
    {{1900, 1, 1, 0, 0, 0, 0}, 2.0},        {{1900, 1, 1, 12, 0, 0, 0}, 2.5},
    {{1900, 3, 1, 0, 0, 0, 0}, 61.0},  // 1900 is not a leap year
    {{2000, 2, 29, 18, 0, 0, 0}, 36585.75}, {{2020, 1, 1, 0, 0, 0, 0}, 43831.0},
    {{2020, 1, 1, 6, 0, 0, 0}, 43831.25},   {{1899, 12, 30, 8, 0, 0, 0}, 1.0 / 3.0},
    {{1899, 12, 29, 6, 0, 0, 0}, -1.25},    {{1899, 12, 29, 0, 0, 0, 0}, -1.0},
    {{1899, 12, 28, 18, 0, 0, 0}, -2.75},   {{1800, 1, 1, 0, 0, 0, 0}, -36522.0},
    {{1, 1, 1, 0, 0, 0, 0}, -693593.0},     {{9999, 12, 31, 0, 0, 0, 0}, 2958465.0},
};

void ExpectParts(const DateTimeParts& want, const DateTimeParts& got, const std::string& what) {
  EXPECT_EQ(want.year, got.year) << what;
  EXPECT_EQ(want.month, got.month) << what;
  EXPECT_EQ(want.day, got.day) << what;
  EXPECT_EQ(want.hour, got.hour) << what;
  EXPECT_EQ(want.minute, got.minute) << what;
  EXPECT_EQ(want.second, got.second) << what;
  EXPECT_EQ(want.millisecond, got.millisecond) << what;
}

TEST(DateTime, ComposeAndSplitKnownValues) {
  for (const auto& c : kCases) {
    const std::string what = std::to_string(c.value);
    EXPECT_DOUBLE_EQ(c.value, rtl::ComposeDateTime(c.parts)) << what;
    ExpectParts(c.parts, rtl::SplitDateTime(c.value), what);
  }
}

TEST(DateTime, SplitRoundsToNearestMillisecondAndCarries) {
  struct Case {
    double value;
    DateTimeParts want;
  };
  const double ms = 1.0 / 86400000.0;
  const Case cases[] = {
      // 23:59:59.9996 carries into the next day, month and year.
      {43830.0 + 1.0 - 0.4 * ms, {2020, 1, 1, 0, 0, 0, 0}},
      {43830.0 + 1.0 - 0.6 * ms, {2019, 12, 31, 23, 59, 59, 999}},
      {43831.0 + 0.4 * ms, {2020, 1, 1, 0, 0, 0, 0}},
      {43831.0 + 0.6 * ms, {2020, 1, 1, 0, 0, 0, 1}},
      {43831.0 + 1.4 * ms, {2020, 1, 1, 0, 0, 0, 1}},
      // Negative values: the carry goes to the earlier date.
      {-2.0 + 0.4 * ms, {1899, 12, 28, 0, 0, 0, 0}},
      {-1.0 - 0.4 * ms, {1899, 12, 29, 0, 0, 0, 0}},
      {-1.0 - 0.6 * ms, {1899, 12, 29, 0, 0, 0, 1}},
      // Just below zero still belongs to 1899-12-30 (the date part of -0.3 is zero).
      {-1.0 / 3.0, {1899, 12, 30, 8, 0, 0, 0}},
  };
  for (const auto& c : cases)
    ExpectParts(c.want, rtl::SplitDateTime(c.value), std::to_string(c.value));
}

TEST(DateTime, EveryMillisecondOfADayRoundTrips) {
  // Whole-day sweep at the far end of the range, where the double has the least spare precision.
  for (int day : {-693593, -2, 0, 43831, 2958465}) {
    for (int ms = 0; ms < 86400000; ms += 997) {
      DateTimeParts parts = rtl::SplitDateTime(day);
      parts.hour = ms / 3600000;
      parts.minute = ms / 60000 % 60;
      parts.second = ms / 1000 % 60;
      parts.millisecond = ms % 1000;
      const DateTimeParts back = rtl::SplitDateTime(rtl::ComposeDateTime(parts));
      ASSERT_EQ(parts.day, back.day) << day << " " << ms;
      ASSERT_EQ(parts.hour, back.hour) << day << " " << ms;
      ASSERT_EQ(parts.minute, back.minute) << day << " " << ms;
      ASSERT_EQ(parts.second, back.second) << day << " " << ms;
      ASSERT_EQ(parts.millisecond, back.millisecond) << day << " " << ms;
    }
  }
}

TEST(DateTime, InvalidFieldsAndValuesThrow) {
  struct Case {
    int y, m, d, h, n, s, z;
  };
  const Case cases[] = {
      {2020, 13, 1, 0, 0, 0, 0}, {2020, 0, 1, 0, 0, 0, 0},    {2019, 2, 29, 0, 0, 0, 0},
      {1900, 2, 29, 0, 0, 0, 0}, {0, 1, 1, 0, 0, 0, 0},       {10000, 1, 1, 0, 0, 0, 0},
      {2020, 4, 31, 0, 0, 0, 0}, {2020, 1, 1, 24, 0, 0, 0},   {2020, 1, 1, 0, 60, 0, 0},
      {2020, 1, 1, 0, 0, 60, 0}, {2020, 1, 1, 0, 0, 0, 1000}, {2020, 1, 1, -1, 0, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_THROW(rtl::ComposeDateTime({c.y, c.m, c.d, c.h, c.n, c.s, c.z}), rtl::EConvertError)
        << c.y << "-" << c.m << "-" << c.d << " " << c.h << ":" << c.n << ":" << c.s << "." << c.z;
  }
  EXPECT_TRUE(rtl::IsValidDate(2000, 2, 29));
  EXPECT_TRUE(rtl::IsValidDate(2024, 2, 29));
  for (double v : {1e300, -1e300, 2958467.0, -693595.0, std::numeric_limits<double>::quiet_NaN(),
                   std::numeric_limits<double>::infinity()}) {
    EXPECT_THROW(rtl::SplitDateTime(v), rtl::EConvertError) << v;
  }
}

TEST(DateTime, DayOfWeekIsSundayFirst) {
  struct Case {
    double value;
    int want;
  };
  const Case cases[] = {
      {0.0, 7},        // 1899-12-30 Saturday
      {1.0, 1},        // Sunday
      {2.0, 2},        // 1900-01-01 Monday
      {43831.0, 4},    // 2020-01-01 Wednesday
      {43831.75, 4},   //   evening, same day
      {-1.25, 6},      // 1899-12-29 Friday
      {-7.5, 7},       // 1899-12-23 Saturday
      {-693593.0, 2},  // 0001-01-01 Monday (proleptic Gregorian)
  };
  for (const auto& c : cases) EXPECT_EQ(c.want, rtl::DayOfWeek(c.value)) << c.value;
  // The weekday follows the rounded date: 23:59:59.9996 on a Wednesday is Thursday.
  EXPECT_EQ(5, rtl::DayOfWeek(43832.0 - 0.4 / 86400000.0));
}

}  // namespace
