#include "platform/scripted/internet_scripted.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <optional>
#include <string>

#include "platform/scripted/record.h"

namespace platform::scripted {
namespace {

constexpr uint16_t kNtpPort = 123;

bool FileExists(const wchar_t* name) {
  if (ScriptDir().empty()) return false;
  const std::wstring path = ScriptDir() + L"\\" + name;
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The first line of a script file (ASCII), read at every call so a test can change it between
// two commands; empty when there is none.
std::wstring FirstLine(const wchar_t* name) {
  if (ScriptDir().empty()) return L"";
  const std::wstring path = ScriptDir() + L"\\" + name;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return L"";
  char buffer[512];
  DWORD read = 0;
  const BOOL ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(file);
  if (!ok) return L"";
  std::string line(buffer, read);
  line = line.substr(0, line.find_first_of("\r\n"));
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return std::wstring(line.begin(), line.end());
}

bool IsLoopback(uint32_t address) {
  return address >> 24 == 127;
}

std::wstring Format(const SYSTEMTIME& t) {
  wchar_t text[40];
  swprintf(text, 40, L"%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour,
           t.wMinute, t.wSecond, t.wMilliseconds);
  return text;
}

std::wstring Format(const Ipv4Endpoint& endpoint) {
  wchar_t text[32];
  swprintf(text, 32, L"%u.%u.%u.%u:%u", endpoint.address >> 24, endpoint.address >> 16 & 0xFF,
           endpoint.address >> 8 & 0xFF, endpoint.address & 0xFF, endpoint.port);
  return text;
}

bool ParseDotted(const std::wstring& text, uint32_t& address) {
  unsigned a, b, c, d;
  wchar_t rest;
  if (swscanf(text.c_str(), L"%u.%u.%u.%u%lc", &a, &b, &c, &d, &rest) != 4) return false;
  if (a > 255 || b > 255 || c > 255 || d > 255) return false;
  address = a << 24 | b << 16 | c << 8 | d;
  return true;
}

// time-server.txt: "127.0.0.1:PORT"; nothing when missing, malformed or not on loopback.
std::optional<Ipv4Endpoint> TimeServer() {
  const std::wstring line = FirstLine(L"time-server.txt");
  const size_t colon = line.rfind(L':');
  if (colon == std::wstring::npos) return std::nullopt;
  Ipv4Endpoint endpoint;
  unsigned port = 0;
  wchar_t rest;
  if (!ParseDotted(line.substr(0, colon), endpoint.address) || !IsLoopback(endpoint.address) ||
      swscanf(line.c_str() + colon + 1, L"%u%lc", &port, &rest) != 1 || port == 0 || port > 65535) {
    return std::nullopt;
  }
  endpoint.port = static_cast<uint16_t>(port);
  return endpoint;
}

class ScriptedInternetImpl final : public Internet {
 public:
  // Only a probe on 127.0.0.1 is ever tried: the test exe must not reach the internet.
  bool CheckConnection(const std::wstring& url, uint32_t flags, uint32_t reserved) override {
    const std::wstring probe = FirstLine(L"probe-url.txt");
    const bool local =
        probe.rfind(L"http://127.0.0.1:", 0) == 0 || probe.rfind(L"http://127.0.0.1/", 0) == 0;
    const bool connected =
        local && InternetCheckConnectionW(probe.c_str(), flags, reserved) != FALSE;
    Record(L"InternetCheckConnection " + url + L" " + std::to_wstring(flags) + L" " +
           std::to_wstring(reserved) + L" -> " + (connected ? L"1" : L"0"));
    return connected;
  }

  bool SetSystemTime(const SystemTime& utc, uint32_t& error) override {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    SYSTEMTIME real;
    FileTimeToSystemTime(&now, &real);
    const SYSTEMTIME asked{utc.year, utc.month,  utc.dayOfWeek, utc.day,
                           utc.hour, utc.minute, utc.second,    utc.milliseconds};
    Record(L"SetSystemTime " + Format(asked) + L" at " + Format(real));
    if (FileExists(L"setsystemtime-fails.txt")) {
      error = ERROR_PRIVILEGE_NOT_HELD;
      return false;
    }
    error = 0;
    return true;
  }
};

// Between the request's transmit timestamp and the datagram leaving come the name look-up and
// the send: nothing slow (no file write) happens there, so the exchange measures what the
// program itself does.
class RedirectedSocket final : public UdpSocket {
 public:
  RedirectedSocket(std::unique_ptr<UdpSocket> real, const std::optional<Ipv4Endpoint>& server)
      : real_(std::move(real)), server_(server) {}

  int SendTo(const Ipv4Endpoint& to, const uint8_t* data, size_t size, size_t& sent) override {
    Ipv4Endpoint target = to;
    if (server_ && to.address == server_->address && to.port == kNtpPort) {
      target.port = server_->port;
      redirected_ = *server_;
    }
    const int code = IsLoopback(target.address) ? real_->SendTo(target, data, size, sent)
                                                : wsa::kNetworkUnreachable;
    Record(L"SendTo " + Format(to) + L" " + std::to_wstring(size));
    return code;
  }

  int WaitReadable(int32_t timeoutMs, bool& readable) override {
    return real_->WaitReadable(timeoutMs, readable);
  }

  int ReceiveFrom(uint8_t* buffer, size_t capacity, size_t& received, Ipv4Endpoint& from) override {
    const int code = real_->ReceiveFrom(buffer, capacity, received, from);
    if (redirected_ && from == *redirected_) from.port = kNtpPort;
    return code;
  }

 private:
  std::unique_ptr<UdpSocket> real_;
  const std::optional<Ipv4Endpoint>& server_;
  std::optional<Ipv4Endpoint> redirected_;
};

class RedirectedUdpImpl final : public UdpServices {
 public:
  explicit RedirectedUdpImpl(UdpServices& real) : real_(real) {}

  std::unique_ptr<UdpSocket> CreateSocket(int& error) override {
    std::unique_ptr<UdpSocket> socket = real_.CreateSocket(error);
    if (!socket) return nullptr;
    return std::make_unique<RedirectedSocket>(std::move(socket), server_);
  }

  // No name ever reaches a resolver: it could ask a DNS server outside this machine. The time
  // server, once read, serves every later query: the file is not read again between the
  // request's timestamp and its sending.
  int ResolveIpv4(const std::wstring& host, uint32_t& address) override {
    if (!server_) server_ = TimeServer();
    if (ParseDotted(host, address)) return 0;
    if (!server_) return wsa::kHostNotFound;
    address = server_->address;
    return 0;
  }

 private:
  UdpServices& real_;
  std::optional<Ipv4Endpoint> server_;
};

}  // namespace

Internet& ScriptedInternet() {
  static ScriptedInternetImpl internet;
  return internet;
}

UdpServices& RedirectedUdp(UdpServices& real) {
  static RedirectedUdpImpl udp(real);
  return udp;
}

}  // namespace platform::scripted
