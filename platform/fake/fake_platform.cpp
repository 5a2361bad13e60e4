#include "platform/fake/fake_platform.h"

#include "rtl/format.h"

namespace platform {

SystemTime FakeClock::LocalTime() {
  ++readings;
  return FromDateTime(now);
}

SystemTime FakeClock::UtcTime() {
  return FromDateTime(now + biasMinutes / 1440.0);
}

void FakeClock::Set(int year, int month, int day, int hour, int minute, int second, int ms) {
  now = rtl::ComposeDateTime({year, month, day, hour, minute, second, ms});
}

void FakeClock::AdvanceMs(double ms) {
  now += ms / 86400000.0;
}

FakeLocale::FakeLocale() {
  settings = rtl::FormatSettings::Default();
  settings.shortDayNames = {L"周日", L"周一", L"周二", L"周三", L"周四", L"周五", L"周六"};
  settings.shortDateFormat = L"yyyy-m-d";
  settings.longTimeFormat = L"h:nn:ss";
  settings.dateSeparator = L'-';
}

std::wstring FakeLocale::SystemErrorText(uint32_t code) {
  if (code == 1314) return L"客户端没有所需的特权。";
  if (code == 5) return L"拒绝访问。";
  return L"错误 " + rtl::IntToStr(code);
}

uintptr_t FakePower::OpenProcessToken(uint32_t desiredAccess) {
  calls.push_back(L"OpenProcessToken " + rtl::IntToStr(desiredAccess));
  return 0x1234;
}

bool FakePower::LookupPrivilege(const wchar_t* systemName, const std::wstring& name, Luid& luid) {
  calls.push_back(L"LookupPrivilegeValue " + std::wstring(systemName ? systemName : L"(local)") +
                  L" " + name);
  luid = {19, 0};
  return true;
}

bool FakePower::AdjustTokenPrivileges(uintptr_t token, bool disableAll, const Luid& luid,
                                      uint32_t attributes) {
  calls.push_back(L"AdjustTokenPrivileges " + rtl::IntToStr(static_cast<int64_t>(token)) + L" " +
                  (disableAll ? L"1" : L"0") + L" " + rtl::IntToStr(luid.lowPart) + L" " +
                  rtl::IntToStr(attributes));
  return true;
}

void FakePower::CloseToken(uintptr_t token) {
  calls.push_back(L"CloseToken " + rtl::IntToStr(static_cast<int64_t>(token)));
}

bool FakePower::ExitWindowsEx(uint32_t flags, uint32_t reason) {
  calls.push_back(L"ExitWindowsEx " + rtl::IntToStr(flags) + L" " + rtl::IntToStr(reason));
  if (exitWindowsFails) {
    lastError = 1314;
    return false;
  }
  return true;
}

bool FakeInternet::CheckConnection(const std::wstring& url, uint32_t flags, uint32_t reserved) {
  checks.push_back(url + L" " + rtl::IntToStr(flags) + L" " + rtl::IntToStr(reserved));
  return connected;
}

bool FakeInternet::SetSystemTime(const SystemTime& utc, uint32_t& error) {
  if (setTimeFails) {
    error = setTimeError;
    return false;
  }
  clockSettings.push_back(utc);
  return true;
}

FakePlatform::FakePlatform() {
  services.clock = &clock;
  services.timeZone = &timeZone;
  services.locale = &locale;
  services.power = &power;
  services.internet = &internet;
  services.executablePath = L"C:\\Programs\\Countdown\\countdown.exe";
}

}  // namespace platform
