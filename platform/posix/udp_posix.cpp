// BSD sockets behind platform::UdpServices, for the native builds (unit tests, the real-server
// test, the query benchmark). Errors come out as the Windows Sockets codes Winsock would give.
#include "platform/posix/udp_posix.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "rtl/utf8.h"

#include "platform/udp.h"

namespace platform::posix {

int WsaCodeFromErrno(int error) {
  switch (error) {
    case EMSGSIZE:
      return wsa::kMessageSize;
    case ENETDOWN:
      return wsa::kNetworkDown;
    case ENETUNREACH:
      return wsa::kNetworkUnreachable;
    // An ICMP port-unreachable surfaces as ECONNREFUSED here; Winsock reports it on an
    // unconnected datagram socket as a reset.
    case ECONNRESET:
    case ECONNREFUSED:
      return wsa::kConnectionReset;
    case ENOBUFS:
    case ENOMEM:
      return wsa::kNoBufferSpace;
    case EHOSTUNREACH:
    case EHOSTDOWN:
      return wsa::kHostUnreachable;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
      return wsa::kWouldBlock;
    case EACCES:
    case EPERM:
      return wsa::kAccessDenied;
    case EMFILE:
    case ENFILE:
      return wsa::kTooManySockets;
    case EAFNOSUPPORT:
      return wsa::kAddressFamily;
    case EADDRNOTAVAIL:
      return wsa::kAddressNotAvail;
    default:
      return wsa::kInvalidArgument;
  }
}

int WsaCodeFromAddrInfo(int result, int savedErrno) {
  switch (result) {
    case 0:
      return 0;
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
    case EAI_FAMILY:
      return wsa::kHostNotFound;
    case EAI_AGAIN:
      return wsa::kTryAgain;
    case EAI_FAIL:
      return wsa::kNoRecovery;
    case EAI_MEMORY:
      return wsa::kNoBufferSpace;
    case EAI_SYSTEM:
      return WsaCodeFromErrno(savedErrno);
    default:
      return wsa::kNoRecovery;
  }
}

namespace {

sockaddr_in ToSockaddr(const Ipv4Endpoint& endpoint) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(endpoint.port);
  address.sin_addr.s_addr = htonl(endpoint.address);
  return address;
}

// Owns one socket descriptor; non-blocking, so a receive after a spurious wake-up cannot hang.
class PosixUdpSocket final : public UdpSocket {
 public:
  explicit PosixUdpSocket(int fd) : fd_(fd) {}
  ~PosixUdpSocket() override { close(fd_); }
  PosixUdpSocket(const PosixUdpSocket&) = delete;
  PosixUdpSocket& operator=(const PosixUdpSocket&) = delete;

  int SendTo(const Ipv4Endpoint& to, const uint8_t* data, size_t size, size_t& sent) override {
    sockaddr_in address = ToSockaddr(to);
    ssize_t n;
    do {
      n = sendto(fd_, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address),
                 sizeof address);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return WsaCodeFromErrno(errno);
    sent = static_cast<size_t>(n);
    return 0;
  }

  int WaitReadable(int32_t timeoutMs, bool& readable) override {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      pollfd entry{fd_, POLLIN, 0};
      int n = poll(&entry, 1, static_cast<int>(left > 0 ? left : 0));
      if (n >= 0) {
        readable = n > 0;
        return 0;
      }
      // A signal cut the wait short: wait out the rest, as Winsock would.
      if (errno != EINTR) return WsaCodeFromErrno(errno);
    }
  }

  int ReceiveFrom(uint8_t* buffer, size_t capacity, size_t& received, Ipv4Endpoint& from) override {
    sockaddr_in address{};
    iovec part{buffer, capacity};
    msghdr message{};
    message.msg_name = &address;
    message.msg_namelen = sizeof address;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    ssize_t n;
    do {
      n = recvmsg(fd_, &message, MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return WsaCodeFromErrno(errno);
    received = static_cast<size_t>(n);
    from.address = ntohl(address.sin_addr.s_addr);
    from.port = ntohs(address.sin_port);
    // Winsock fails a datagram larger than the buffer with WSAEMSGSIZE; recvmsg cuts it and
    // says so in the flags.
    if (message.msg_flags & MSG_TRUNC) return wsa::kMessageSize;
    return 0;
  }

 private:
  int fd_;
};

class PosixUdpServices final : public UdpServices {
 public:
  std::unique_ptr<UdpSocket> CreateSocket(int& error) override {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_UDP);
    if (fd < 0) {
      error = WsaCodeFromErrno(errno);
      return nullptr;
    }
    error = 0;
    return std::make_unique<PosixUdpSocket>(fd);
  }

  int ResolveIpv4(const std::wstring& host, uint32_t& address) override {
    // A name with a NUL in it would reach the resolver cut short, as a different name.
    if (host.find(L'\0') != std::wstring::npos) return wsa::kHostNotFound;
    // Host names reach the resolver as UTF-8.
    std::string name = rtl::ToUtf8(host);
    in_addr dotted{};
    if (inet_pton(AF_INET, name.c_str(), &dotted) == 1) {
      address = ntohl(dotted.s_addr);
      return 0;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    int result = getaddrinfo(name.c_str(), nullptr, &hints, &list);
    int savedErrno = errno;
    if (result != 0) return WsaCodeFromAddrInfo(result, savedErrno);
    int code = wsa::kHostNotFound;
    for (addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
      if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
        sockaddr_in found{};
        std::memcpy(&found, entry->ai_addr, sizeof found);
        address = ntohl(found.sin_addr.s_addr);
        code = 0;
        break;
      }
    }
    freeaddrinfo(list);
    return code;
  }
};

}  // namespace
}  // namespace platform::posix

namespace platform {

UdpServices& SystemUdp() {
  static posix::PosixUdpServices services;
  return services;
}

}  // namespace platform
