#pragma once
// Test doubles for the SNTP tests: a time server on 127.0.0.1 that the test scripts datagram by
// datagram, a scripted clock and time zone, and scripted sockets for failures the system will
// not produce on demand.
#include <netinet/in.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "net/id_sntp.h"
#include "platform/clock.h"
#include "platform/locale.h"
#include "platform/udp.h"

namespace nettest {

constexpr uint32_t kLoopback = 0x7F000001;  // 127.0.0.1

// A UDP socket bound to 127.0.0.1 on a port of the system's choice.
class LoopbackPeer {
 public:
  LoopbackPeer();
  ~LoopbackPeer();
  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;

  uint16_t Port() const { return port_; }
  platform::Ipv4Endpoint Endpoint() const { return {kLoopback, port_}; }

  struct Datagram {
    std::string bytes;
    platform::Ipv4Endpoint from;
  };
  // The next datagram, or nothing after timeoutMs.
  std::optional<Datagram> Receive(int timeoutMs);
  void SendTo(const platform::Ipv4Endpoint& to, const std::string& bytes);

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

// A server reply to `request` (its bytes as sent by the client): leap indicator 0, version 4,
// mode 4, stratum 2, the request's transmit timestamp as originate, the given transmit time.
net::SntpPacket ReplyTo(const std::string& request, net::NtpTimestamp transmit);
inline std::string Bytes(const net::SntpPacket& packet) {
  return packet.ToBytes();
}
net::NtpTimestamp TransmitOf(const std::string& request);

// A clock that hands out the scripted UTC readings in turn (the last one again when they run out).
class ScriptedClock final : public platform::Clock {
 public:
  std::deque<platform::SystemTime> utc;
  platform::SystemTime LocalTime() override { return UtcTime(); }
  platform::SystemTime UtcTime() override;
  int reads = 0;
};

platform::SystemTime Utc(int year, int month, int day, int hour, int minute, int second, int ms);

class ScriptedTimeZone final : public platform::TimeZone {
 public:
  platform::TimeZoneReading reading;
  platform::TimeZoneReading Read() override { return reading; }
};

// Only the system's error texts matter to the SNTP client.
class ScriptedLocale final : public platform::Locale {
 public:
  rtl::FormatSettings ReadFormatSettings() override { return {}; }
  uint32_t AnsiCodePage() override { return 936; }
  bool IsDoubleByteCodePage() override { return true; }
  std::wstring SystemErrorText(uint32_t code) override {
    return L"System error " + std::to_wstring(code) + L".";
  }
};

// Sockets whose failures the test chooses.
struct SocketScript {
  int createError = 0;  // non-zero: CreateSocket fails with it
  int sendError = 0;
  size_t sendShortBy = 0;  // the system takes this many bytes fewer than given
  int waitError = 0;
  int receiveError = 0;  // 0: an empty datagram from 127.0.0.1:123
};

class ScriptedUdp final : public platform::UdpServices {
 public:
  explicit ScriptedUdp(SocketScript script) : script_(std::move(script)) {}
  std::unique_ptr<platform::UdpSocket> CreateSocket(int& error) override;
  int ResolveIpv4(const std::wstring&, uint32_t& address) override {
    address = kLoopback;
    return 0;
  }

 private:
  SocketScript script_;
};

}  // namespace nettest
