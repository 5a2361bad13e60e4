#pragma once
// Scripted services for unit tests: a clock the test sets and advances, a fixed time zone and
// locale, and recorders for the calls that would change the machine.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/internet.h"
#include "platform/locale.h"
#include "platform/power.h"
#include "platform/services.h"
#include "platform/udp.h"

namespace platform {

class FakeClock : public Clock {
 public:
  SystemTime LocalTime() override;
  SystemTime UtcTime() override;
  // Local time; UTC is local time plus biasMinutes (UTC = local + bias, as Windows has it).
  rtl::TDateTime now = 43831.0;  // 2020-01-01 00:00:00
  int biasMinutes = -480;
  int readings = 0;
  void Set(int year, int month, int day, int hour, int minute, int second, int ms = 0);
  void AdvanceMs(double ms);
};

class FakeTimeZone : public TimeZone {
 public:
  TimeZoneReading Read() override { return reading; }
  TimeZoneReading reading{0, -480, 0, 0, 0};
};

class FakeLocale : public Locale {
 public:
  FakeLocale();
  rtl::FormatSettings ReadFormatSettings() override { return settings; }
  uint32_t AnsiCodePage() override { return codePage; }
  bool IsDoubleByteCodePage() override {
    return codePage == 936 || codePage == 932 || codePage == 949 || codePage == 950;
  }
  std::wstring SystemErrorText(uint32_t code) override;
  rtl::FormatSettings settings;
  uint32_t codePage = 936;
};

// Records every call in order, one line each, e.g. "ExitWindowsEx 9 0".
class FakePower : public Power {
 public:
  uintptr_t OpenProcessToken(uint32_t desiredAccess) override;
  bool LookupPrivilege(const wchar_t* systemName, const std::wstring& name, Luid& luid) override;
  bool AdjustTokenPrivileges(uintptr_t token, bool disableAll, const Luid& luid,
                             uint32_t attributes) override;
  void CloseToken(uintptr_t token) override;
  bool ExitWindowsEx(uint32_t flags, uint32_t reason) override;
  uint32_t LastError() override { return lastError; }

  std::vector<std::wstring> calls;
  bool exitWindowsFails = false;
  uint32_t lastError = 0;
};

class FakeInternet : public Internet {
 public:
  bool CheckConnection(const std::wstring& url, uint32_t flags, uint32_t reserved) override;
  bool SetSystemTime(const SystemTime& utc, uint32_t& error) override;

  bool connected = true;
  bool setTimeFails = false;
  uint32_t setTimeError = 1314;  // ERROR_PRIVILEGE_NOT_HELD
  std::vector<std::wstring> checks;
  std::vector<SystemTime> clockSettings;
};

// An in-process datagram network: every datagram sent goes to `server`, whose answers wait in
// the sending socket's queue as if they came from the address it was sent to. Nothing leaves
// the process, and a wait for a datagram that is not queued ends at once.
class FakeUdp : public UdpServices {
 public:
  std::unique_ptr<UdpSocket> CreateSocket(int& error) override;
  // Dotted IPv4 addresses as they stand; names through `names`, others kHostNotFound.
  int ResolveIpv4(const std::wstring& host, uint32_t& address) override;

  struct Sent {
    Ipv4Endpoint to;
    std::string bytes;
  };
  // The answers to one datagram; none when not set.
  std::function<std::vector<std::string>(const Sent& datagram)> server;
  std::map<std::wstring, uint32_t> names;
  int createError = 0;                 // non-zero: CreateSocket fails with it
  int sendError = 0;                   // non-zero: every send fails with it
  std::vector<std::wstring> resolved;  // every name asked, in order
  std::vector<Sent> sent;              // every datagram the system took
};

// All fakes together, wired into a Services record.
struct FakePlatform {
  FakePlatform();
  FakeClock clock;
  FakeTimeZone timeZone;
  FakeLocale locale;
  FakePower power;
  FakeInternet internet;
  FakeUdp udp;
  Services services;
};

}  // namespace platform
