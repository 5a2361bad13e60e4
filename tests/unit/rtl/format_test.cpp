#include "rtl/format.h"

#include <gtest/gtest.h>

#include <string>

#include "rtl/exceptions.h"

namespace {

using rtl::FormatSettings;

std::string Narrow(const std::wstring& text) {
  return rtl::Exception(text).what();
}

double At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return rtl::ComposeDateTime({y, mo, d, h, mi, s, ms});
}

FormatSettings ChineseSettings() {
  FormatSettings s = FormatSettings::Default();
  s.shortDayNames = {L"周日", L"周一", L"周二", L"周三", L"周四", L"周五", L"周六"};
  return s;
}

// 2020-01-05 is a Sunday; the week runs to Saturday 2020-01-11.
TEST(FormatDateTime, WeekdayNamesSundayFirstAndFallbacks) {
  const FormatSettings chinese = ChineseSettings();
  FormatSettings gaps = chinese;
  gaps.shortDayNames = {L"", L"Lun", L"", L"", L"", L"", L""};
  const FormatSettings empty;  // a locale that gives no names at all
  const wchar_t* fallback[7] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
  for (int i = 0; i < 7; ++i) {
    const double day = At(2020, 1, 5 + i, 23, 59, 59);
    EXPECT_EQ(chinese.shortDayNames[i], rtl::FormatDateTime(L"ddd", day, chinese));
    EXPECT_EQ(i == 1 ? L"Lun" : fallback[i], rtl::FormatDateTime(L"ddd", day, gaps));
    EXPECT_EQ(fallback[i], rtl::FormatDateTime(L"ddd", day, empty));
  }
  // The rounded value decides the weekday: 23:59:59.9996 on Saturday is already Sunday.
  EXPECT_EQ(L"周日", rtl::FormatDateTime(L"ddd", At(2020, 1, 12) - 0.4 / 86400000, chinese));
}

TEST(FormatDateTime, CountdownPatterns) {
  FormatSettings dot = ChineseSettings();
  dot.timeSeparator = L'.';
  const FormatSettings colon = ChineseSettings();
  struct Case {
    double value;
    const wchar_t* pattern;
    const FormatSettings* settings;
    std::wstring want;
  };
  const Case cases[] = {
      {At(2020, 1, 1, 8, 5, 9), L"hh:mm:ss", &colon, L"08:05:09"},
      {At(2020, 1, 1, 8, 5, 9), L"hh:mm:ss", &dot, L"08.05.09"},
      {At(2020, 1, 1, 0, 0, 0), L"hh:mm:ss", &colon, L"00:00:00"},
      {At(2020, 1, 1, 23, 59, 59, 999), L"hh:mm:ss", &colon, L"23:59:59"},
      {At(2020, 1, 1, 13, 0, 0), L"hh:mm:ss", &colon, L"13:00:00"},  // 24-hour clock
      {At(2020, 12, 31, 23, 59, 59, 999) + 0.6 / 86400000, L"hh:mm:ss", &colon, L"00:00:00"},
      {At(2020, 1, 1, 8, 5, 9), L"hh", &colon, L"08"},
      {At(2020, 1, 1, 8, 5, 9), L"nn", &colon, L"05"},
      {At(2020, 1, 1, 8, 5, 9), L"ss", &colon, L"09"},
      {At(2020, 1, 1, 23, 59, 59), L"hh", &colon, L"23"},
      {At(2020, 1, 1, 23, 59, 59), L"nn", &colon, L"59"},
      {At(2020, 1, 1, 23, 59, 59), L"ss", &colon, L"59"},
      {At(2020, 11, 1, 8, 5, 9), L"mm", &colon, L"11"},  // alone, "mm" is the month
      {At(2020, 11, 1, 8, 5, 9), L"hh\"h\"mm", &colon, L"08h05"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.want, rtl::FormatDateTime(c.pattern, c.value, *c.settings))
        << Narrow(c.pattern) << " " << c.value;
  }
}

TEST(FormatDateTime, OtherTokens) {
  FormatSettings s = FormatSettings::Default();
  s.dateSeparator = L'/';
  s.timeAMString = L"上午";
  s.timePMString = L"下午";
  const double morning = At(2009, 3, 7, 0, 4, 5, 60);
  const double evening = At(2009, 3, 7, 12, 4, 5, 60);
  struct Case {
    const wchar_t* pattern;
    double value;
    std::wstring want;
  };
  const Case cases[] = {
      {L"d/m/yy", morning, L"7/3/09"},
      {L"dd-mm-yyyy", morning, L"07-03-2009"},
      {L"dddd d mmm mmmm", morning, L"Saturday 7 Mar March"},
      {L"h:n:s.z", morning, L"0:4:5.60"},
      {L"hh:nn:ss.zzz", morning, L"00:04:05.060"},
      {L"h:nn ampm", morning, L"12:04 上午"},
      {L"h:nn ampm", evening, L"12:04 下午"},
      {L"ampm h:nn", At(2009, 3, 7, 23, 0, 0), L"下午 11:00"},
      {L"hh:nn AM/PM", evening, L"12:04 PM"},
      {L"hh:nn am/pm", morning, L"12:04 am"},
      {L"h a/p", evening, L"12 p"},
      {L"yyyy'年'm'月'd'日'", morning, L"2009年3月7日"},
      {L"\"d/m\" d", morning, L"d/m 7"},
      {L"'unterminated d", morning, L"unterminated d"},
      {L"yyyy", At(5, 1, 1), L"0005"},
      {L"yy", At(2000, 1, 1), L"00"},
      {L"", morning, L""},
      {L"q#!", morning, L"q#!"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.want, rtl::FormatDateTime(c.pattern, c.value, s)) << Narrow(c.pattern);
  }
}

TEST(FromLocalePicture, WindowsPicturesToFormatterTokens) {
  struct Case {
    const wchar_t* picture;
    bool isTime;
    std::wstring want;
  };
  const Case cases[] = {
      {L"yyyy/M/d", false, L"yyyy/m/d"},
      {L"yyyy-M-d", false, L"yyyy-m-d"},
      {L"M/d/yyyy", false, L"m/d/yyyy"},
      {L"dd.MM.yyyy", false, L"dd.mm.yyyy"},
      {L"dd-MMM-yy", false, L"dd-mmm-yy"},
      {L"dddd, MMMM d, yyyy", false, L"dddd, mmmm d, yyyy"},
      {L"yyyy'年'M'月'd'日'", false, L"yyyy年m月d日"},
      {L"d 'de' MMMM", false, L"d\" de \"mmmm"},
      {L"gg yyyy/M/d", false, L" yyyy/m/d"},
      {L"H:mm:ss", true, L"h:nn:ss"},
      {L"HH:mm:ss", true, L"hh:nn:ss"},
      {L"h:mm:ss tt", true, L"h:nn:ss ampm"},
      {L"tt h:mm:ss", true, L"ampm h:nn:ss"},
      {L"H.mm.ss", true, L"h.nn.ss"},
      {L"HH' h 'mm", true, L"hh\" h \"nn"},
      {L"h'''h'", true, L"h\"'h\""},
      {L"H''mm", true, L"h\"'\"nn"},
      {L"H'\"'mm", true, L"h'\"'nn"},
      {L"", true, L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.want, rtl::FromLocalePicture(c.picture, c.isTime)) << Narrow(c.picture);
  }
}

FormatSettings SettingsFor(const wchar_t* datePicture, const wchar_t* timePicture,
                           wchar_t dateSeparator, wchar_t timeSeparator) {
  FormatSettings s = FormatSettings::Default();
  s.shortDateFormat = rtl::FromLocalePicture(datePicture, false);
  s.longTimeFormat = rtl::FromLocalePicture(timePicture, true);
  s.dateSeparator = dateSeparator;
  s.timeSeparator = timeSeparator;
  s.timeAMString = L"上午";
  s.timePMString = L"下午";
  return s;
}

TEST(DateTimeText, TextFormAndParse) {
  const FormatSettings s = SettingsFor(L"yyyy-M-d", L"H:mm:ss", L'-', L':');
  struct Case {
    double value;
    std::wstring text;
  };
  const Case cases[] = {
      {At(2020, 1, 1, 8, 5, 9), L"2020-1-1 8:05:09"},
      {At(2020, 1, 1), L"2020-1-1"},
      {At(2020, 1, 1, 0, 0, 0, 999), L"2020-1-1"},  // milliseconds are not looked at
      {At(2020, 12, 31, 23, 59, 59), L"2020-12-31 23:59:59"},
      {At(2020, 1, 1, 0, 0, 1), L"2020-1-1 0:00:01"},
      {0.0, L"1899-12-30"},
      {At(1899, 12, 29, 6, 0, 0), L"1899-12-29 6:00:00"},
      {At(1800, 6, 15, 12, 30, 1), L"1800-6-15 12:30:01"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.text, rtl::DateTimeToStr(c.value, s)) << c.value;
    rtl::DateTimeParts whole = rtl::SplitDateTime(c.value);
    whole.millisecond = 0;
    EXPECT_DOUBLE_EQ(rtl::ComposeDateTime(whole), rtl::StrToDateTime(c.text, s)) << Narrow(c.text);
  }
  EXPECT_DOUBLE_EQ(-1.25, rtl::StrToDateTime(L"1899-12-29 6:00:00", s));
  // A value just below zero writes as 1899-12-30 with its time, which reads back added to the
  // date (1899-12-30 is not before 1899-12-30): the clock-setting command's no-reply case.
  EXPECT_EQ(L"1899-12-30 8:00:00", rtl::DateTimeToStr(-1.0 / 3.0, s));
  EXPECT_DOUBLE_EQ(1.0 / 3.0, rtl::StrToDateTime(L"1899-12-30 8:00:00", s));
}

TEST(DateTimeText, ParseVariants) {
  const FormatSettings s = SettingsFor(L"yyyy-M-d", L"H:mm:ss", L'-', L':');
  const FormatSettings us = SettingsFor(L"M/d/yyyy", L"h:mm:ss tt", L'/', L':');
  const FormatSettings de = SettingsFor(L"dd.MM.yyyy", L"HH:mm:ss", L'.', L':');
  const FormatSettings cn = SettingsFor(L"yyyy'年'M'月'd'日'", L"tt h'时'mm'分'ss'秒'", L'-', L':');
  struct Case {
    const FormatSettings* settings;
    std::wstring text;
    double want;
  };
  const Case cases[] = {
      {&s, L"2020-01-01 08:05:09", At(2020, 1, 1, 8, 5, 9)},
      {&s, L"  2020-1-1   8:05:09  ", At(2020, 1, 1, 8, 5, 9)},
      {&s, L"2020-1-1 8:05", At(2020, 1, 1, 8, 5, 0)},
      {&s, L"2020-1-1 8:05:09 PM", At(2020, 1, 1, 20, 5, 9)},
      {&s, L"2020-1-1 12:00:00 am", At(2020, 1, 1)},
      {&s, L"2020-1-1 12:00:00 下午", At(2020, 1, 1, 12, 0, 0)},
      {&s, L"2020-1-1 下午 1:00", At(2020, 1, 1, 13, 0, 0)},
      {&s, L"20-1-1", At(2020, 1, 1)},
      {&s, L"49-1-1", At(2049, 1, 1)},
      {&s, L"50-1-1", At(1950, 1, 1)},
      {&s, L"2020-2-29", At(2020, 2, 29)},
      {&us, L"12/31/2019 11:59:59 PM", At(2019, 12, 31, 23, 59, 59)},
      {&us, L"1/2/2020", At(2020, 1, 2)},
      {&de, L"02.01.2020 07:00:00", At(2020, 1, 2, 7, 0, 0)},
      {&cn, L"2020年1月2日 下午 1时05分09秒", At(2020, 1, 2, 13, 5, 9)},
      {&cn, L"2020-1-2 1:05:09", At(2020, 1, 2, 1, 5, 9)},  // the settings' separators
      {&cn, L"2020年1月2日", At(2020, 1, 2)},
  };
  for (const auto& c : cases) {
    try {
      EXPECT_DOUBLE_EQ(c.want, rtl::StrToDateTime(c.text, *c.settings)) << Narrow(c.text);
    } catch (const rtl::Exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

TEST(DateTimeText, RefusedTextsNameTheWholeText) {
  const FormatSettings s = SettingsFor(L"yyyy-M-d", L"H:mm:ss", L'-', L':');
  const std::wstring cases[] = {
      L"",
      L"   ",
      L"2020",
      L"2020-1",
      L"2020-1-",
      L"2020/1/1",  // neither the format's nor the settings' separator
      L"2020-13-1",
      L"2020-0-1",
      L"2019-2-29",
      L"0-1-1x",
      L"0000-1-1",
      L"12020-1-1",
      L"2020-001-1",
      L"2020-1-1 8",
      L"2020-1-1 8:",
      L"2020-1-1 24:00:00",
      L"2020-1-1 8:60",
      L"2020-1-1 8:05:60",
      L"2020-1-1 8:05:09x",
      L"2020-1-1 8:05:09:",
      L"2020-1-1 8:05:09.500",
      L"2020-1-1 13:00 PM",
      L"2020-1-1 PM 1:00 PM",
      L"2020-1-1 AM",
      L"2020-1-1 x",
      L"abc",
      L"-2020-1-1",
      L"2020-1-1 -8:05",
  };
  for (const auto& text : cases) {
    try {
      const double value = rtl::StrToDateTime(text, s);
      ADD_FAILURE() << "accepted '" << Narrow(text) << "' as " << value;
    } catch (const rtl::EConvertError& e) {
      EXPECT_EQ(L"'" + text + L"' is not a valid date and time", e.Message());
    }
  }
}

// Every typical locale writes a text that reads back to the same second, before and after
// 1899-12-30, in the morning and the afternoon.
TEST(DateTimeText, LocaleFormatsRoundTripToTheSecond) {
  struct Locale {
    const wchar_t* date;
    const wchar_t* time;
    wchar_t dateSep;
    wchar_t timeSep;
  };
  const Locale locales[] = {
      {L"yyyy/M/d", L"H:mm:ss", L'/', L':'},
      {L"yyyy-M-d", L"H:mm:ss", L'-', L':'},
      {L"M/d/yyyy", L"h:mm:ss tt", L'/', L':'},
      {L"dd.MM.yyyy", L"HH:mm:ss", L'.', L':'},
      {L"dd/MM/yyyy", L"HH:mm:ss", L'/', L':'},
      {L"yyyy/MM/dd", L"tt hh:mm:ss", L'/', L':'},
      {L"d-MMM-yyyy", L"H.mm.ss", L'-', L'.'},
      {L"yyyy. MM. dd.", L"H:mm:ss", L'.', L':'},
      {L"yyyy'年'M'月'd'日'", L"H'时'mm'分'ss'秒'", L'-', L':'},
      {L"yyyyMMdd", L"HHmmss", L'-', L':'},
  };
  const double values[] = {
      At(2020, 1, 1, 8, 5, 9),      At(2020, 1, 1),
      At(2038, 12, 31, 23, 59, 59), At(1999, 7, 4, 12, 0, 0),
      At(1999, 7, 4, 0, 30, 0),     At(1899, 12, 29, 6, 0, 0),
      At(1601, 1, 1, 13, 1, 2),     At(9999, 12, 31, 23, 59, 59),
  };
  std::vector<FormatSettings> all;
  for (const auto& l : locales) all.push_back(SettingsFor(l.date, l.time, l.dateSep, l.timeSep));
  all.push_back(FormatSettings::Default());
  for (const auto& s : all) {
    for (double v : values) {
      const std::wstring text = rtl::DateTimeToStr(v, s);
      try {
        EXPECT_DOUBLE_EQ(v, rtl::StrToDateTime(text, s)) << Narrow(text);
      } catch (const rtl::Exception& e) {
        ADD_FAILURE() << e.what() << " [" << Narrow(s.shortDateFormat) << " | "
                      << Narrow(s.longTimeFormat) << "]";
      }
    }
  }
  EXPECT_EQ(L"2020-01-01 08:05:09",
            rtl::DateTimeToStr(At(2020, 1, 1, 8, 5, 9), FormatSettings::Default()));
}

}  // namespace

namespace {

TEST(EnsureReadableFormats, KeepsReadableFormatsAndReplacesOthers) {
  struct Case {
    const wchar_t* date;
    const wchar_t* time;
    bool kept;
  };
  const Case cases[] = {
      {L"yyyy/M/d", L"H:mm:ss", true},
      {L"M/d/yyyy", L"h:mm:ss tt", true},
      {L"dd/MM/yy", L"HH:mm:ss", true},  // two-digit years read back within 1950..2049
      {L"M/d", L"H:mm:ss", false},       // no year
      {L"yyyy/M/d", L"H:mm", false},     // no seconds
      {L"yyyy/M/d", L"mm:ss", false},    // no hour
      {L"", L"", false},                 // the locale gave nothing
  };
  for (const auto& c : cases) {
    FormatSettings s = FormatSettings::Default();
    s.dateSeparator = L'/';
    s.shortDateFormat = rtl::FromLocalePicture(c.date, false);
    s.longTimeFormat = rtl::FromLocalePicture(c.time, true);
    const FormatSettings before = s;
    rtl::EnsureReadableFormats(s);
    if (c.kept) {
      EXPECT_EQ(before.shortDateFormat, s.shortDateFormat) << Narrow(c.date);
      EXPECT_EQ(before.longTimeFormat, s.longTimeFormat) << Narrow(c.time);
    } else {
      EXPECT_EQ(L"yyyy-mm-dd", s.shortDateFormat) << Narrow(c.date) << " " << Narrow(c.time);
      EXPECT_EQ(L"hh:nn:ss", s.longTimeFormat) << Narrow(c.date) << " " << Narrow(c.time);
    }
  }
}

}  // namespace
