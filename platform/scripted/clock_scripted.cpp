#include "platform/scripted/clock_scripted.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "platform/scripted/record.h"
#include "platform/win32/clock_win32.h"

namespace platform::scripted {
namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// Reads exactly `digits` decimal digits at text[pos].
bool ReadNumber(std::string_view text, size_t pos, size_t digits, WORD& out) {
  if (pos + digits > text.size()) return false;
  unsigned value = 0;
  for (size_t i = pos; i < pos + digits; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  out = static_cast<WORD>(value);
  return true;
}

std::optional<SYSTEMTIME> ParseLocalTime(std::string_view text) {
  // YYYY-MM-DD HH:MM:SS[.mmm]
  SYSTEMTIME t{};
  if (text.size() != 19 && text.size() != 23) return std::nullopt;
  if (!ReadNumber(text, 0, 4, t.wYear) || text[4] != '-' || !ReadNumber(text, 5, 2, t.wMonth) ||
      text[7] != '-' || !ReadNumber(text, 8, 2, t.wDay) || text[10] != ' ' ||
      !ReadNumber(text, 11, 2, t.wHour) || text[13] != ':' || !ReadNumber(text, 14, 2, t.wMinute) ||
      text[16] != ':' || !ReadNumber(text, 17, 2, t.wSecond)) {
    return std::nullopt;
  }
  if (text.size() == 23 && (text[19] != '.' || !ReadNumber(text, 20, 3, t.wMilliseconds))) {
    return std::nullopt;
  }
  // The round trip rejects impossible dates and fills in the weekday.
  FILETIME ft;
  if (!SystemTimeToFileTime(&t, &ft) || !FileTimeToSystemTime(&ft, &t)) return std::nullopt;
  return t;
}

SystemTime Shift(const SystemTime& time, int64_t ticks) {
  SYSTEMTIME st = win32::ToSYSTEMTIME(time);
  FILETIME ft;
  if (!SystemTimeToFileTime(&st, &ft)) return time;
  ULARGE_INTEGER value;
  value.LowPart = ft.dwLowDateTime;
  value.HighPart = ft.dwHighDateTime;
  int64_t shifted = static_cast<int64_t>(value.QuadPart) + ticks;
  if (shifted < 0) shifted = 0;
  value.QuadPart = static_cast<uint64_t>(shifted);
  ft.dwLowDateTime = value.LowPart;
  ft.dwHighDateTime = value.HighPart;
  if (!FileTimeToSystemTime(&ft, &st)) return time;
  return win32::FromSYSTEMTIME(st);
}

std::wstring FromUtf8(std::string_view s) {
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

}  // namespace

std::optional<ClockScript> ParseClockScript(std::string_view text) {
  if (StartsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
  text = Trim(text.substr(0, text.find('\n')));
  ClockScript script;
  if (text == "real") return script;
  if (StartsWith(text, "offset ")) {
    std::string_view number = Trim(text.substr(7));
    if (!number.empty() && number.front() == '+') number.remove_prefix(1);
    double seconds = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), seconds);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(seconds) ||
        std::fabs(seconds) > 1e11) {
      return std::nullopt;
    }
    script.mode = ClockScript::Mode::kOffset;
    script.offsetTicks = std::llround(seconds * kTicksPerSecond);
    return script;
  }
  if (StartsWith(text, "frozen ")) {
    auto local = ParseLocalTime(Trim(text.substr(7)));
    if (!local) return std::nullopt;
    script.mode = ClockScript::Mode::kFrozen;
    script.frozenLocal = *local;
    return script;
  }
  return std::nullopt;
}

ScriptedClock::ScriptedClock(std::wstring scriptDir, Clock& real)
    : path_(scriptDir.empty() ? std::wstring() : scriptDir + L"\\clock.txt"), real_(real) {}

ClockScript ScriptedClock::Current() {
  std::lock_guard lock(mutex_);
  if (path_.empty()) return script_;
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &attributes)) {
    haveStamp_ = false;
    script_ = ClockScript{};
    return script_;
  }
  // Cheap per reading: the file is opened only when its write time or size changed.
  if (haveStamp_ && CompareFileTime(&attributes.ftLastWriteTime, &stampTime_) == 0 &&
      attributes.nFileSizeLow == stampSize_) {
    return script_;
  }
  HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return script_;  // being replaced: keep the last script
  std::vector<char> buffer(4096);
  DWORD read = 0;
  BOOL ok = ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr);
  CloseHandle(file);
  if (!ok) return script_;
  haveStamp_ = true;
  stampTime_ = attributes.ftLastWriteTime;
  stampSize_ = attributes.nFileSizeLow;
  std::string_view text(buffer.data(), read);
  if (auto parsed = ParseClockScript(text)) {
    script_ = *parsed;
  } else {
    // A test that wrote nonsense must not pass on the real clock unnoticed.
    Record(L"clock.txt unreadable: " + FromUtf8(Trim(text.substr(0, text.find('\n')))));
    script_ = ClockScript{};
  }
  return script_;
}

SystemTime ScriptedClock::LocalTime() {
  ClockScript script = Current();
  switch (script.mode) {
    case ClockScript::Mode::kOffset:
      return Shift(real_.LocalTime(), script.offsetTicks);
    case ClockScript::Mode::kFrozen:
      return win32::FromSYSTEMTIME(script.frozenLocal);
    case ClockScript::Mode::kReal:
      break;
  }
  return real_.LocalTime();
}

SystemTime ScriptedClock::UtcTime() {
  ClockScript script = Current();
  switch (script.mode) {
    case ClockScript::Mode::kOffset:
      return Shift(real_.UtcTime(), script.offsetTicks);
    case ClockScript::Mode::kFrozen: {
      // The frozen local time seen through the real time zone, so both readings agree.
      SYSTEMTIME utc;
      if (TzSpecificLocalTimeToSystemTime(nullptr, &script.frozenLocal, &utc)) {
        return win32::FromSYSTEMTIME(utc);
      }
      return win32::FromSYSTEMTIME(script.frozenLocal);
    }
    case ClockScript::Mode::kReal:
      break;
  }
  return real_.UtcTime();
}

}  // namespace platform::scripted
