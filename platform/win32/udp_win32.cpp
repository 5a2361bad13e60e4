// Winsock behind platform::UdpServices: the exe's datagram socket and name resolution.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>
#include <cstring>
#include <string>

#include "platform/udp.h"

namespace platform {
namespace {

// Winsock must be started once per process before any other call; it stays up until exit.
int StartWinsock() {
  static const int result = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data);
  }();
  return result;
}

sockaddr_in ToSockaddr(const Ipv4Endpoint& endpoint) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(endpoint.port);
  address.sin_addr.s_addr = htonl(endpoint.address);
  return address;
}

// Owns one SOCKET (copy deleted). Non-blocking, so a receive after the wait cannot
// hang on a datagram the stack dropped meanwhile.
class WinsockUdpSocket final : public UdpSocket {
 public:
  explicit WinsockUdpSocket(SOCKET socket) : socket_(socket) {}
  ~WinsockUdpSocket() override { closesocket(socket_); }
  WinsockUdpSocket(const WinsockUdpSocket&) = delete;
  WinsockUdpSocket& operator=(const WinsockUdpSocket&) = delete;

  int SendTo(const Ipv4Endpoint& to, const uint8_t* data, size_t size, size_t& sent) override {
    if (size > static_cast<size_t>(INT_MAX)) return wsa::kMessageSize;
    sockaddr_in address = ToSockaddr(to);
    int n = sendto(socket_, reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
                   reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (n == SOCKET_ERROR) return WSAGetLastError();
    sent = static_cast<size_t>(n);
    return 0;
  }

  int WaitReadable(int32_t timeoutMs, bool& readable) override {
    WSAPOLLFD entry{};
    entry.fd = socket_;
    entry.events = POLLRDNORM;
    int n = WSAPoll(&entry, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (n == SOCKET_ERROR) return WSAGetLastError();
    readable = n > 0;
    return 0;
  }

  int ReceiveFrom(uint8_t* buffer, size_t capacity, size_t& received, Ipv4Endpoint& from) override {
    sockaddr_in address{};
    int length = sizeof address;
    int size = capacity > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(capacity);
    int n = recvfrom(socket_, reinterpret_cast<char*>(buffer), size, 0,
                     reinterpret_cast<sockaddr*>(&address), &length);
    int code = n == SOCKET_ERROR ? WSAGetLastError() : 0;
    if (code != 0 && code != WSAEMSGSIZE) return code;
    // WSAEMSGSIZE: the buffer holds the first bytes and the sender is filled in.
    received = code == 0 ? static_cast<size_t>(n) : static_cast<size_t>(size);
    from.address = ntohl(address.sin_addr.s_addr);
    from.port = ntohs(address.sin_port);
    return code;
  }

 private:
  SOCKET socket_;
};

class WinsockUdpServices final : public UdpServices {
 public:
  std::unique_ptr<UdpSocket> CreateSocket(int& error) override {
    if (int started = StartWinsock(); started != 0) {
      error = started;
      return nullptr;
    }
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
      error = WSAGetLastError();
      return nullptr;
    }
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) == SOCKET_ERROR) {
      error = WSAGetLastError();
      closesocket(s);
      return nullptr;
    }
    error = 0;
    return std::make_unique<WinsockUdpSocket>(s);
  }

  int ResolveIpv4(const std::wstring& host, uint32_t& address) override {
    if (int started = StartWinsock(); started != 0) return started;
    // A name with a NUL in it would reach the resolver cut short, as a different name.
    if (host.find(L'\0') != std::wstring::npos) return wsa::kHostNotFound;
    IN_ADDR dotted{};
    if (InetPtonW(AF_INET, host.c_str(), &dotted) == 1) {
      address = ntohl(dotted.s_addr);
      return 0;
    }
    ADDRINFOW hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    ADDRINFOW* list = nullptr;
    if (GetAddrInfoW(host.c_str(), nullptr, &hints, &list) != 0) return WSAGetLastError();
    int code = wsa::kHostNotFound;
    for (ADDRINFOW* entry = list; entry != nullptr; entry = entry->ai_next) {
      if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
        sockaddr_in found{};
        std::memcpy(&found, entry->ai_addr, sizeof found);
        address = ntohl(found.sin_addr.s_addr);
        code = 0;
        break;
      }
    }
    FreeAddrInfoW(list);
    return code;
  }
};

}  // namespace

UdpServices& SystemUdp() {
  static WinsockUdpServices services;
  return services;
}

}  // namespace platform
