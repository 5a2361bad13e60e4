#include "tests/unit/net/net_test_support.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace nettest {

LoopbackPeer::LoopbackPeer() {
  fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) throw std::runtime_error("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(kLoopback);
  if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    throw std::runtime_error("bind");
  socklen_t length = sizeof address;
  getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
}

LoopbackPeer::~LoopbackPeer() {
  close(fd_);
}

std::optional<LoopbackPeer::Datagram> LoopbackPeer::Receive(int timeoutMs) {
  pollfd entry{fd_, POLLIN, 0};
  if (poll(&entry, 1, timeoutMs) <= 0) return std::nullopt;
  std::string buffer(65536, '\0');
  sockaddr_in address{};
  socklen_t length = sizeof address;
  ssize_t n = recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&address),
                       &length);
  if (n < 0) return std::nullopt;
  buffer.resize(static_cast<size_t>(n));
  return Datagram{buffer, {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)}};
}

void LoopbackPeer::SendTo(const platform::Ipv4Endpoint& to, const std::string& bytes) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(to.address);
  address.sin_port = htons(to.port);
  if (sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address),
             sizeof address) != static_cast<ssize_t>(bytes.size()))
    throw std::runtime_error("sendto");
}

net::NtpTimestamp TransmitOf(const std::string& request) {
  if (request.size() < net::SntpPacket::kSize) return {};
  return net::SntpPacket::FromBytes(reinterpret_cast<const uint8_t*>(request.data())).transmit;
}

net::SntpPacket ReplyTo(const std::string& request, net::NtpTimestamp transmit) {
  net::SntpPacket reply;
  reply.liVnMode = 0x24;  // leap indicator 0, version 4, mode 4
  reply.stratum = 2;
  reply.originate = TransmitOf(request);
  reply.receive = transmit;
  reply.transmit = transmit;
  return reply;
}

platform::SystemTime ScriptedClock::UtcTime() {
  ++reads;
  platform::SystemTime time = utc.empty() ? platform::SystemTime{} : utc.front();
  if (utc.size() > 1) utc.pop_front();
  return time;
}

platform::SystemTime Utc(int year, int month, int day, int hour, int minute, int second, int ms) {
  platform::SystemTime time;
  time.year = static_cast<uint16_t>(year);
  time.month = static_cast<uint16_t>(month);
  time.day = static_cast<uint16_t>(day);
  time.hour = static_cast<uint16_t>(hour);
  time.minute = static_cast<uint16_t>(minute);
  time.second = static_cast<uint16_t>(second);
  time.milliseconds = static_cast<uint16_t>(ms);
  return time;
}

namespace {

class ScriptedSocket final : public platform::UdpSocket {
 public:
  explicit ScriptedSocket(const SocketScript& script) : script_(script) {}
  int SendTo(const platform::Ipv4Endpoint&, const uint8_t*, size_t size, size_t& sent) override {
    if (script_.sendError != 0) return script_.sendError;
    sent = size - script_.sendShortBy;
    return 0;
  }
  int WaitReadable(int32_t, bool& readable) override {
    readable = true;
    return script_.waitError;
  }
  int ReceiveFrom(uint8_t*, size_t, size_t& received, platform::Ipv4Endpoint& from) override {
    if (script_.receiveError != 0) return script_.receiveError;
    received = 0;
    from = {kLoopback, 123};
    return 0;
  }

 private:
  SocketScript script_;
};

}  // namespace

std::unique_ptr<platform::UdpSocket> ScriptedUdp::CreateSocket(int& error) {
  error = script_.createError;
  if (error != 0) return nullptr;
  return std::make_unique<ScriptedSocket>(script_);
}

}  // namespace nettest
