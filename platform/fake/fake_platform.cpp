#include "platform/fake/fake_platform.h"

#include <algorithm>

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

namespace {

class FakeUdpSocket : public UdpSocket {
 public:
  explicit FakeUdpSocket(FakeUdp& network) : network_(network) {}

  int SendTo(const Ipv4Endpoint& to, const uint8_t* data, size_t size, size_t& sent) override {
    sent = 0;
    if (network_.sendError != 0) return network_.sendError;
    FakeUdp::Sent datagram{to, std::string(reinterpret_cast<const char*>(data), size)};
    network_.sent.push_back(datagram);
    sent = size;
    if (network_.server) {
      for (std::string& answer : network_.server(datagram)) queue_.push_back({to, answer});
    }
    return 0;
  }

  int WaitReadable(int32_t, bool& readable) override {
    readable = !queue_.empty();
    return 0;
  }

  int ReceiveFrom(uint8_t* buffer, size_t capacity, size_t& received, Ipv4Endpoint& from) override {
    if (queue_.empty()) return wsa::kWouldBlock;
    const auto [sender, bytes] = queue_.front();
    queue_.pop_front();
    received = std::min(capacity, bytes.size());
    std::copy_n(bytes.data(), received, buffer);
    from = sender;
    return bytes.size() > capacity ? wsa::kMessageSize : 0;
  }

 private:
  FakeUdp& network_;
  std::deque<std::pair<Ipv4Endpoint, std::string>> queue_;
};

// "a.b.c.d" with each part 0..255, as the resolver takes it without a look-up.
bool ParseDotted(const std::wstring& text, uint32_t& address) {
  uint32_t value = 0;
  size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (pos >= text.size() || text[pos] != L'.') return false;
      ++pos;
    }
    const size_t start = pos;
    uint32_t number = 0;
    while (pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9' && pos - start < 3) {
      number = number * 10 + static_cast<uint32_t>(text[pos] - L'0');
      ++pos;
    }
    if (pos == start || number > 255) return false;
    value = value << 8 | number;
  }
  if (pos != text.size()) return false;
  address = value;
  return true;
}

}  // namespace

std::unique_ptr<UdpSocket> FakeUdp::CreateSocket(int& error) {
  if (createError != 0) {
    error = createError;
    return nullptr;
  }
  error = 0;
  return std::make_unique<FakeUdpSocket>(*this);
}

int FakeUdp::ResolveIpv4(const std::wstring& host, uint32_t& address) {
  resolved.push_back(host);
  if (ParseDotted(host, address)) return 0;
  const auto found = names.find(host);
  if (found == names.end()) return wsa::kHostNotFound;
  address = found->second;
  return 0;
}

FakePlatform::FakePlatform() {
  services.clock = &clock;
  services.timeZone = &timeZone;
  services.locale = &locale;
  services.power = &power;
  services.internet = &internet;
  services.udp = &udp;
  services.executablePath = L"C:\\Programs\\Countdown\\countdown.exe";
}

}  // namespace platform
