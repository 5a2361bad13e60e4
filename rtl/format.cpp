#include "rtl/format.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "rtl/exceptions.h"

namespace rtl {

namespace {

constexpr const wchar_t* kShortDays[7] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
constexpr const wchar_t* kLongDays[7] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                         L"Thursday", L"Friday", L"Saturday"};
constexpr const wchar_t* kShortMonths[12] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                             L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
constexpr const wchar_t* kLongMonths[12] = {L"January",   L"February", L"March",    L"April",
                                            L"May",       L"June",     L"July",     L"August",
                                            L"September", L"October",  L"November", L"December"};

std::wstring NameOr(const std::wstring& name, const wchar_t* fallback) {
  return name.empty() ? std::wstring(fallback) : name;
}

wchar_t AsciiLower(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? c - L'A' + L'a' : c;
}
bool IsDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}
bool IsAsciiLetter(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool StartsWithNoCase(std::wstring_view text, size_t pos, std::wstring_view prefix) {
  if (prefix.empty() || text.size() - pos < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiLower(text[pos + i]) != AsciiLower(prefix[i])) return false;
  }
  return true;
}

std::wstring Padded(int value, int width) {
  std::wstring digits = std::to_wstring(value);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), L'0');
  return digits;
}

// ---- Pattern tokens, shared by the formatter and by the parse (which reads the field order and
// the literal text between fields from the short date and long time formats).

enum class Kind {
  kLiteral,  // text copied as is
  kDay,      // d dd
  kDayName,  // ddd (count 3) dddd (count 4)
  kMonth,    // m mm
  kMonthName,
  kYear,  // count 2 or 4
  kHour,
  kMinute,
  kSecond,
  kMilli,
  kAmPm,  // text holds the token as written: "am/pm", "a/p" or "ampm"
  kTimeSep,
  kDateSep,
};

struct Token {
  Kind kind;
  int count = 0;
  std::wstring text;
};

std::vector<Token> Tokenize(std::wstring_view pattern) {
  std::vector<Token> tokens;
  auto literal = [&tokens](std::wstring_view text) {
    if (!tokens.empty() && tokens.back().kind == Kind::kLiteral) {
      tokens.back().text += text;
    } else {
      tokens.push_back({Kind::kLiteral, 0, std::wstring(text)});
    }
  };
  // "m" right after an hour field means minutes; literal text in between does not matter.
  bool afterHour = false;
  size_t i = 0;
  while (i < pattern.size()) {
    const wchar_t c = pattern[i];
    const wchar_t lower = AsciiLower(c);
    size_t run = 1;
    while (i + run < pattern.size() && AsciiLower(pattern[i + run]) == lower) ++run;
    const int count = static_cast<int>(run);
    switch (lower) {
      case L'"':
      case L'\'': {
        const size_t end = pattern.find(c, i + 1);
        const size_t stop = end == std::wstring_view::npos ? pattern.size() : end;
        literal(pattern.substr(i + 1, stop - i - 1));
        i = end == std::wstring_view::npos ? pattern.size() : end + 1;
        continue;
      }
      case L'd':
        tokens.push_back({count <= 2 ? Kind::kDay : Kind::kDayName, std::min(count, 4), {}});
        afterHour = false;
        break;
      case L'm':
        if (afterHour && count <= 2) {
          tokens.push_back({Kind::kMinute, count, {}});
        } else {
          tokens.push_back({count <= 2 ? Kind::kMonth : Kind::kMonthName, std::min(count, 4), {}});
        }
        afterHour = false;
        break;
      case L'y':
        tokens.push_back({Kind::kYear, count <= 2 ? 2 : 4, {}});
        afterHour = false;
        break;
      case L'h':
        tokens.push_back({Kind::kHour, std::min(count, 2), {}});
        afterHour = true;
        break;
      case L'n':
        tokens.push_back({Kind::kMinute, std::min(count, 2), {}});
        afterHour = false;
        break;
      case L's':
        tokens.push_back({Kind::kSecond, std::min(count, 2), {}});
        afterHour = false;
        break;
      case L'z':
        tokens.push_back({Kind::kMilli, count >= 3 ? 3 : 1, {}});
        afterHour = false;
        break;
      case L'a': {
        std::wstring_view rest = pattern.substr(i);
        size_t length = 0;
        if (StartsWithNoCase(rest, 0, L"am/pm")) {
          length = 5;
        } else if (StartsWithNoCase(rest, 0, L"ampm")) {
          length = 4;
        } else if (StartsWithNoCase(rest, 0, L"a/p")) {
          length = 3;
        }
        if (length == 0) {
          literal(pattern.substr(i, 1));
          i += 1;
        } else {
          tokens.push_back({Kind::kAmPm, 0, std::wstring(rest.substr(0, length))});
          i += length;
        }
        continue;
      }
      case L':':
        tokens.push_back({Kind::kTimeSep, 1, {}});
        run = 1;
        break;
      case L'/':
        tokens.push_back({Kind::kDateSep, 1, {}});
        run = 1;
        break;
      default:
        literal(pattern.substr(i, run));
        break;
    }
    i += run;
  }
  return tokens;
}

std::wstring AmPmText(const Token& token, bool pm, const FormatSettings& settings) {
  const std::wstring& t = token.text;
  if (t.size() == 5) return pm ? t.substr(3, 2) : t.substr(0, 2);  // am/pm, case as written
  if (t.size() == 3) return pm ? t.substr(2, 1) : t.substr(0, 1);  // a/p
  return pm ? settings.timePMString : settings.timeAMString;       // ampm
}

// ---- Parse of the text form.

// Blanks between the parts of a date-time text are not significant.
void SkipBlanks(std::wstring_view text, size_t& pos) {
  while (pos < text.size() && text[pos] == L' ') ++pos;
}

std::wstring Trimmed(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

// The text between two fields of a pattern: how it was written and how it may be read.
struct Separator {
  bool present = false;                    // the pattern has anything at all between the two fields
  bool blankOnly = false;                  // ... and it is only blanks
  std::vector<std::wstring> alternatives;  // non-blank texts accepted in its place
};

// Matches a separator at pos. A blank-only separator is met by one blank or more; otherwise one
// of the alternatives must follow (blanks around it are skipped).
bool MatchSeparator(std::wstring_view text, size_t& pos, const Separator& sep) {
  size_t p = pos;
  SkipBlanks(text, p);
  const bool hadBlank = p > pos;
  for (const auto& alt : sep.alternatives) {
    if (StartsWithNoCase(text, p, alt)) {
      p += alt.size();
      SkipBlanks(text, p);
      pos = p;
      return true;
    }
  }
  if (hadBlank && (sep.blankOnly || !sep.present)) {
    pos = p;
    return true;
  }
  return !sep.present;
}

// Reads 1 to maxDigits decimal digits. With fixedWidth (fields written without a separator, as
// in "yyyymmdd") it stops after maxDigits; otherwise more digits than that fail.
std::optional<int> ReadNumber(std::wstring_view text, size_t& pos, int maxDigits, bool fixedWidth) {
  size_t p = pos;
  int value = 0;
  while (p < text.size() && IsDigit(text[p]) &&
         (!fixedWidth || static_cast<int>(p - pos) < maxDigits)) {
    if (static_cast<int>(p - pos) >= maxDigits) return std::nullopt;
    value = value * 10 + (text[p] - L'0');
    ++p;
  }
  if (p == pos) return std::nullopt;
  pos = p;
  return value;
}

struct FieldLayout {
  std::vector<Kind> fields;           // field kinds in the order written
  std::vector<int> counts;            // their counts
  std::vector<Separator> separators;  // separators[i] lies before fields[i]; one more at the end
};

// Collects the first occurrence of each wanted field kind, in order, with the literal text around
// them. Tokens of other kinds (a weekday name in a date, an am/pm marker in a time) are treated
// as absent: their text is not part of the separators.
FieldLayout Layout(std::wstring_view pattern, const std::vector<Kind>& wanted,
                   const FormatSettings& settings, wchar_t fallbackSeparator) {
  FieldLayout layout;
  std::wstring between;
  bool sawOther = false;
  // Only a separator between two fields may be replaced by the settings' separator.
  auto closeSeparator = [&](bool inner) {
    Separator sep;
    const std::wstring trimmed = Trimmed(between);
    sep.present = !between.empty() || sawOther;
    sep.blankOnly = !between.empty() && trimmed.empty();
    if (!trimmed.empty()) sep.alternatives.push_back(trimmed);
    const std::wstring fallback(1, fallbackSeparator);
    if (inner && sep.present && fallback != L" " && fallback != trimmed) {
      sep.alternatives.push_back(fallback);
    }
    // Longest first, so that a text is never cut short by a shorter alternative.
    std::stable_sort(
        sep.alternatives.begin(), sep.alternatives.end(),
        [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    layout.separators.push_back(sep);
    between.clear();
    sawOther = false;
  };
  for (const Token& token : Tokenize(pattern)) {
    const Kind kind = token.kind == Kind::kMonthName ? Kind::kMonth : token.kind;
    const bool isWanted = std::find(wanted.begin(), wanted.end(), kind) != wanted.end();
    const bool seen =
        std::find(layout.fields.begin(), layout.fields.end(), kind) != layout.fields.end();
    if (isWanted && !seen) {
      closeSeparator(!layout.fields.empty());
      layout.fields.push_back(kind);
      layout.counts.push_back(token.kind == Kind::kMonthName ? 3 : token.count);
    } else if (token.kind == Kind::kLiteral) {
      between += token.text;
    } else if (token.kind == Kind::kDateSep) {
      between += settings.dateSeparator;
    } else if (token.kind == Kind::kTimeSep) {
      between += settings.timeSeparator;
    } else {
      sawOther = true;
    }
  }
  closeSeparator(false);
  return layout;
}

// A month given by name: the longest full or abbreviated name that matches.
std::optional<int> ReadMonthName(std::wstring_view text, size_t& pos, const FormatSettings& s) {
  int best = 0;
  size_t bestLength = 0;
  for (int m = 0; m < 12; ++m) {
    for (const std::wstring& name : {NameOr(s.longMonthNames[m], kLongMonths[m]),
                                     NameOr(s.shortMonthNames[m], kShortMonths[m])}) {
      if (name.size() > bestLength && StartsWithNoCase(text, pos, name)) {
        best = m + 1;
        bestLength = name.size();
      }
    }
  }
  if (bestLength == 0) return std::nullopt;
  pos += bestLength;
  return best;
}

enum class Marker { kNone, kAm, kPm };

Marker ReadMarker(std::wstring_view text, size_t& pos, const FormatSettings& s) {
  const std::pair<std::wstring, Marker> candidates[] = {{s.timeAMString, Marker::kAm},
                                                        {s.timePMString, Marker::kPm},
                                                        {L"AM", Marker::kAm},
                                                        {L"PM", Marker::kPm}};
  size_t bestLength = 0;
  Marker best = Marker::kNone;
  for (const auto& [name, marker] : candidates) {
    const std::wstring trimmed = Trimmed(name);
    if (trimmed.size() > bestLength && StartsWithNoCase(text, pos, trimmed)) {
      bestLength = trimmed.size();
      best = marker;
    }
  }
  pos += bestLength;
  return best;
}

[[noreturn]] void InvalidDateTime(const std::wstring& text) {
  throw EConvertError(L"'" + text + L"' is not a valid date and time");
}

}  // namespace

FormatSettings FormatSettings::Default() {
  FormatSettings settings;
  for (int i = 0; i < 7; ++i) {
    settings.shortDayNames[i] = kShortDays[i];
    settings.longDayNames[i] = kLongDays[i];
  }
  for (int i = 0; i < 12; ++i) {
    settings.shortMonthNames[i] = kShortMonths[i];
    settings.longMonthNames[i] = kLongMonths[i];
  }
  settings.timeSeparator = L':';
  settings.dateSeparator = L'-';
  settings.shortDateFormat = L"yyyy-mm-dd";
  settings.longTimeFormat = L"hh:nn:ss";
  settings.timeAMString = L"AM";
  settings.timePMString = L"PM";
  return settings;
}

// The probes avoid years outside 1950..2049, so a two-digit year format still counts as readable;
// what is checked is that every field is there and the parse can find it.
void EnsureReadableFormats(FormatSettings& settings) {
  const DateTimeParts probes[] = {{2020, 11, 23, 13, 45, 56, 0}, {2009, 2, 3, 4, 5, 6, 0}};
  try {
    for (const DateTimeParts& probe : probes) {
      const TDateTime value = ComposeDateTime(probe);
      if (StrToDateTime(DateTimeToStr(value, settings), settings) != value) {
        throw EConvertError(L"unreadable");
      }
    }
  } catch (const EConvertError&) {
    const FormatSettings fallback = FormatSettings::Default();
    settings.shortDateFormat = fallback.shortDateFormat;
    settings.longTimeFormat = fallback.longTimeFormat;
  }
}

// Windows pictures are case-sensitive ("M" month, "m" minute, "H" 24-hour, "h" 12-hour); the
// formatter's tokens are not, so each picture token is rewritten and every other ASCII letter
// or quote is put in quotes to stay literal.
std::wstring FromLocalePicture(std::wstring_view picture, bool isTime) {
  std::wstring out;
  std::wstring pendingLiteral;
  auto flushLiteral = [&] {
    // Literal text goes out in double quotes; a double quote itself in single quotes.
    size_t i = 0;
    while (i < pendingLiteral.size()) {
      if (pendingLiteral[i] == L'"') {
        out += L"'\"'";
        ++i;
        continue;
      }
      const size_t end = std::min(pendingLiteral.find(L'"', i), pendingLiteral.size());
      std::wstring_view chunk(pendingLiteral.data() + i, end - i);
      const bool needsQuotes = std::any_of(chunk.begin(), chunk.end(), [](wchar_t c) {
        return IsAsciiLetter(c) || c == L'\'' || c == L'/' || c == L':';
      });
      if (needsQuotes) {
        out += L'"';
        out += chunk;
        out += L'"';
      } else {
        out += chunk;
      }
      i = end;
    }
    pendingLiteral.clear();
  };
  auto token = [&](const std::wstring& text) {
    flushLiteral();
    out += text;
  };
  size_t i = 0;
  while (i < picture.size()) {
    const wchar_t c = picture[i];
    if (c == L'\'') {
      // 'text' is literal; '' stands for one apostrophe, inside or outside quotes.
      if (i + 1 < picture.size() && picture[i + 1] == L'\'') {
        pendingLiteral += L'\'';
        i += 2;
        continue;
      }
      ++i;
      while (i < picture.size()) {
        if (picture[i] == L'\'') {
          if (i + 1 < picture.size() && picture[i + 1] == L'\'') {
            pendingLiteral += L'\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        pendingLiteral += picture[i++];
      }
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    const bool big = run >= 2;
    if (!isTime && c == L'd') {
      token(run == 1 ? L"d" : run == 2 ? L"dd" : run == 3 ? L"ddd" : L"dddd");
    } else if (!isTime && c == L'M') {
      token(run == 1 ? L"m" : run == 2 ? L"mm" : run == 3 ? L"mmm" : L"mmmm");
    } else if (!isTime && c == L'y') {
      token(run <= 2 ? L"yy" : L"yyyy");
    } else if (!isTime && c == L'g') {
      // The era ("A.D.") is left out.
    } else if (isTime && (c == L'h' || c == L'H')) {
      token(big ? L"hh" : L"h");
    } else if (isTime && c == L'm') {
      token(big ? L"nn" : L"n");
    } else if (isTime && c == L's') {
      token(big ? L"ss" : L"s");
    } else if (isTime && c == L't') {
      token(L"ampm");
    } else if (c == L'/' || c == L':') {
      // The locale's separators: the settings carry them as dateSeparator / timeSeparator.
      token(std::wstring(run, c));
    } else {
      pendingLiteral.append(run, c);
    }
    i += run;
  }
  flushLiteral();
  return out;
}

std::wstring FormatDateTime(std::wstring_view pattern, TDateTime value,
                            const FormatSettings& settings) {
  const std::vector<Token> tokens = Tokenize(pattern);
  const DateTimeParts p = SplitDateTime(value);
  const int weekday = DayOfWeek(value) - 1;
  const bool twelveHour = std::any_of(tokens.begin(), tokens.end(),
                                      [](const Token& t) { return t.kind == Kind::kAmPm; });
  std::wstring out;
  for (const Token& t : tokens) {
    switch (t.kind) {
      case Kind::kLiteral:
        out += t.text;
        break;
      case Kind::kDay:
        out += Padded(p.day, t.count);
        break;
      case Kind::kDayName:
        out += t.count == 3 ? NameOr(settings.shortDayNames[weekday], kShortDays[weekday])
                            : NameOr(settings.longDayNames[weekday], kLongDays[weekday]);
        break;
      case Kind::kMonth:
        out += Padded(p.month, t.count);
        break;
      case Kind::kMonthName:
        out += t.count == 3
                   ? NameOr(settings.shortMonthNames[p.month - 1], kShortMonths[p.month - 1])
                   : NameOr(settings.longMonthNames[p.month - 1], kLongMonths[p.month - 1]);
        break;
      case Kind::kYear:
        out += t.count == 2 ? Padded(p.year % 100, 2) : Padded(p.year, 4);
        break;
      case Kind::kHour: {
        int hour = p.hour;
        if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
        out += Padded(hour, t.count);
        break;
      }
      case Kind::kMinute:
        out += Padded(p.minute, t.count);
        break;
      case Kind::kSecond:
        out += Padded(p.second, t.count);
        break;
      case Kind::kMilli:
        out += Padded(p.millisecond, t.count);
        break;
      case Kind::kAmPm:
        out += AmPmText(t, p.hour >= 12, settings);
        break;
      case Kind::kTimeSep:
        out += settings.timeSeparator;
        break;
      case Kind::kDateSep:
        out += settings.dateSeparator;
        break;
    }
  }
  return out;
}

std::wstring DateTimeToStr(TDateTime value, const FormatSettings& settings) {
  const DateTimeParts p = SplitDateTime(value);
  std::wstring text = FormatDateTime(settings.shortDateFormat, value, settings);
  if (p.hour != 0 || p.minute != 0 || p.second != 0) {
    text += L' ';
    text += FormatDateTime(settings.longTimeFormat, value, settings);
  }
  return text;
}

TDateTime StrToDateTime(const std::wstring& text, const FormatSettings& settings) {
  std::wstring_view in(text);
  size_t pos = 0;

  // The date, in the order of the short date format.
  const FieldLayout date = Layout(settings.shortDateFormat, {Kind::kYear, Kind::kMonth, Kind::kDay},
                                  settings, settings.dateSeparator);
  if (date.fields.size() != 3) InvalidDateTime(text);
  int year = 0, month = 0, day = 0;
  int yearDigits = 0;
  SkipBlanks(in, pos);
  // The text before the first field (rare) may be left out.
  MatchSeparator(in, pos, date.separators[0]);
  for (size_t f = 0; f < 3; ++f) {
    if (f > 0 && !MatchSeparator(in, pos, date.separators[f])) InvalidDateTime(text);
    const bool fixedWidth = !date.separators[f + 1].present && f < 2;
    const size_t start = pos;
    std::optional<int> number;
    switch (date.fields[f]) {
      case Kind::kYear:
        number = ReadNumber(in, pos, fixedWidth ? date.counts[f] : 4, fixedWidth);
        yearDigits = static_cast<int>(pos - start);
        if (number) year = *number;
        break;
      case Kind::kMonth:
        number = ReadNumber(in, pos, 2, fixedWidth);
        if (!number && date.counts[f] >= 3) number = ReadMonthName(in, pos, settings);
        if (number) month = *number;
        break;
      default:
        number = ReadNumber(in, pos, 2, fixedWidth);
        if (number) day = *number;
        break;
    }
    if (!number) InvalidDateTime(text);
  }
  if (yearDigits <= 2) year += year < 50 ? 2000 : 1900;
  // Text after the last field, like the "日" of "yyyy年M月d日", may be left out.
  MatchSeparator(in, pos, date.separators[3]);

  // The optional time: hours and minutes, optional seconds, optional AM/PM before or after.
  DateTimeParts parts{year, month, day, 0, 0, 0, 0};
  SkipBlanks(in, pos);
  if (pos < in.size()) {
    const FieldLayout time =
        Layout(settings.longTimeFormat, {Kind::kHour, Kind::kMinute, Kind::kSecond}, settings,
               settings.timeSeparator);
    auto separatorBefore = [&](Kind kind) {
      const auto it = std::find(time.fields.begin(), time.fields.end(), kind);
      if (it == time.fields.end() || it == time.fields.begin()) {
        Separator sep;
        sep.present = true;
        sep.alternatives.push_back(std::wstring(1, settings.timeSeparator));
        return sep;
      }
      return time.separators[it - time.fields.begin()];
    };
    Marker marker = ReadMarker(in, pos, settings);
    SkipBlanks(in, pos);
    const Separator minuteSep = separatorBefore(Kind::kMinute);
    const Separator secondSep = separatorBefore(Kind::kSecond);
    // Fields written without anything between them ("hhnnss") are read two digits each.
    const auto hour = ReadNumber(in, pos, 2, !minuteSep.present);
    if (!hour || !MatchSeparator(in, pos, minuteSep)) InvalidDateTime(text);
    const auto minute = ReadNumber(in, pos, 2, !secondSep.present);
    if (!minute) InvalidDateTime(text);
    std::optional<int> second = 0;
    size_t beforeSeconds = pos;
    if (MatchSeparator(in, pos, secondSep) && pos < in.size() && IsDigit(in[pos])) {
      second = ReadNumber(in, pos, 2, false);
      if (!second) InvalidDateTime(text);
      if (!time.fields.empty() && time.fields.back() == Kind::kSecond) {
        MatchSeparator(in, pos, time.separators.back());  // e.g. the "秒" of "H时mm分ss秒"
      }
    } else {
      pos = beforeSeconds;
    }
    SkipBlanks(in, pos);
    if (marker == Marker::kNone) marker = ReadMarker(in, pos, settings);
    SkipBlanks(in, pos);
    if (pos != in.size()) InvalidDateTime(text);
    int h = *hour;
    if (marker != Marker::kNone) {
      if (h > 12) InvalidDateTime(text);
      if (h == 12) h = 0;
      if (marker == Marker::kPm) h += 12;
    }
    parts.hour = h;
    parts.minute = *minute;
    parts.second = *second;
  }
  if (!IsValidDate(parts.year, parts.month, parts.day) || parts.hour > 23 || parts.minute > 59 ||
      parts.second > 59) {
    InvalidDateTime(text);
  }
  return ComposeDateTime(parts);
}

}  // namespace rtl
