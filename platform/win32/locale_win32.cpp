#include "platform/win32/locale_win32.h"

#include <windows.h>

#include <string>
#include <vector>

namespace platform {

namespace {

// One locale item as text; empty when the locale does not give it.
std::wstring LocaleText(LCID locale, LCTYPE item) {
  const int size = GetLocaleInfoW(locale, item, nullptr, 0);
  if (size <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<size_t>(size));
  const int written = GetLocaleInfoW(locale, item, buffer.data(), size);
  if (written <= 0) return {};
  return std::wstring(buffer.data(), static_cast<size_t>(written - 1));
}

class Win32LocaleReader final : public Locale {
 public:
  rtl::FormatSettings ReadFormatSettings() override {
    const LCID locale = GetThreadLocale();
    rtl::FormatSettings s = rtl::FormatSettings::Default();
    // Windows numbers the weekdays from Monday (1) to Sunday (7); the settings start on Sunday.
    for (int i = 0; i < 7; ++i) {
      const size_t day = static_cast<size_t>((i + 1) % 7);
      s.shortDayNames[day] = LocaleText(locale, LOCALE_SABBREVDAYNAME1 + i);
      s.longDayNames[day] = LocaleText(locale, LOCALE_SDAYNAME1 + i);
    }
    for (int i = 0; i < 12; ++i) {
      s.shortMonthNames[i] = LocaleText(locale, LOCALE_SABBREVMONTHNAME1 + i);
      s.longMonthNames[i] = LocaleText(locale, LOCALE_SMONTHNAME1 + i);
    }
    const std::wstring timeSeparator = LocaleText(locale, LOCALE_STIME);
    s.timeSeparator = timeSeparator.empty() ? L':' : timeSeparator[0];
    const std::wstring dateSeparator = LocaleText(locale, LOCALE_SDATE);
    if (!dateSeparator.empty()) s.dateSeparator = dateSeparator[0];
    const std::wstring shortDate = LocaleText(locale, LOCALE_SSHORTDATE);
    if (!shortDate.empty()) s.shortDateFormat = rtl::FromLocalePicture(shortDate, false);
    const std::wstring longTime = LocaleText(locale, LOCALE_STIMEFORMAT);
    if (!longTime.empty()) s.longTimeFormat = rtl::FromLocalePicture(longTime, true);
    s.timeAMString = LocaleText(locale, LOCALE_S1159);
    s.timePMString = LocaleText(locale, LOCALE_S2359);
    rtl::EnsureReadableFormats(s);
    return s;
  }

  uint32_t AnsiCodePage() override { return GetACP(); }

  // A double-byte code page is one with lead bytes (936 has 0x81..0xFE); UTF-8 as the ANSI code
  // page has none, although its characters are longer than one byte too.
  bool IsDoubleByteCodePage() override {
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info)) return false;
    return info.LeadByte[0] != 0 || info.LeadByte[1] != 0;
  }

  std::wstring SystemErrorText(uint32_t code) override {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length > 0 && buffer != nullptr) text.assign(buffer, length);
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
    return text;
  }
};

}  // namespace

Locale& Win32Locale() {
  static Win32LocaleReader reader;
  return reader;
}

}  // namespace platform
