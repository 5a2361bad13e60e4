#pragma once
// Datagram sockets over IPv4. Every failure is a Windows Sockets error code, whichever system
// runs underneath, so the UDP client reports the same errors from Winsock and from BSD sockets.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Windows Sockets error codes the UDP client meets.
namespace wsa {
constexpr int kInvalidArgument = 10022;  // WSAEINVAL
constexpr int kTooManySockets = 10024;   // WSAEMFILE
constexpr int kWouldBlock = 10035;       // WSAEWOULDBLOCK
constexpr int kMessageSize = 10040;      // WSAEMSGSIZE
constexpr int kAccessDenied = 10013;     // WSAEACCES
constexpr int kAddressFamily = 10047;    // WSAEAFNOSUPPORT
constexpr int kAddressNotAvail = 10049;  // WSAEADDRNOTAVAIL
constexpr int kNetworkDown = 10050;      // WSAENETDOWN
constexpr int kNetworkUnreachable = 10051;
constexpr int kConnectionReset = 10054;  // WSAECONNRESET
constexpr int kNoBufferSpace = 10055;    // WSAENOBUFS
constexpr int kHostUnreachable = 10065;  // WSAEHOSTUNREACH
constexpr int kHostNotFound = 11001;     // WSAHOST_NOT_FOUND
constexpr int kTryAgain = 11002;         // WSATRY_AGAIN
constexpr int kNoRecovery = 11003;       // WSANO_RECOVERY
constexpr int kNoData = 11004;           // WSANO_DATA
}  // namespace wsa

// An IPv4 address and a UDP port, both in host byte order.
struct Ipv4Endpoint {
  uint32_t address = 0;
  uint16_t port = 0;
  bool operator==(const Ipv4Endpoint&) const = default;
};

class UdpSocket {
 public:
  virtual ~UdpSocket() = default;
  // Sends one datagram. Returns 0 with the count the system took in `sent`, or an error code.
  virtual int SendTo(const Ipv4Endpoint& to, const uint8_t* data, size_t size, size_t& sent) = 0;
  // Waits up to timeoutMs (0: just look) for a datagram; 0 with readable false only once the
  // time is up.
  virtual int WaitReadable(int32_t timeoutMs, bool& readable) = 0;
  // Takes one queued datagram without waiting: 0, kWouldBlock when none is queued, or
  // kMessageSize when it was longer than `capacity` (then it is consumed, `received` holds the
  // bytes kept and `from` its sender).
  virtual int ReceiveFrom(uint8_t* buffer, size_t capacity, size_t& received,
                          Ipv4Endpoint& from) = 0;
};

class UdpServices {
 public:
  virtual ~UdpServices() = default;
  // A new IPv4 datagram socket without a local address yet (the first send picks a port), or
  // nullptr with the error code in `error`.
  virtual std::unique_ptr<UdpSocket> CreateSocket(int& error) = 0;
  // A dotted IPv4 address as it stands, otherwise the resolver's first IPv4 address for the name.
  // 0 or an error code (kHostNotFound for an unknown name).
  virtual int ResolveIpv4(const std::wstring& host, uint32_t& address) = 0;
};

// The system's sockets: Winsock on Windows, BSD sockets elsewhere.
UdpServices& SystemUdp();

}  // namespace platform
