#pragma once
// The UDP client: one datagram socket to one server, with the errors of the network pack.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/udp.h"
#include "rtl/exceptions.h"

namespace net {

class EIdException : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// A failed socket call. Message: "Socket Error # <code>\r\n<text of the code>".
class EIdSocketError : public EIdException {
 public:
  explicit EIdSocketError(int code);
  int LastError() const noexcept { return code_; }

 private:
  int code_;
};

class EIdInvalidSocket : public EIdException {
 public:
  EIdInvalidSocket();
};

class EIdPackageSizeTooBig : public EIdException {
 public:
  EIdPackageSizeTooBig();
};

class EIdNotAllBytesSent : public EIdException {
 public:
  EIdNotAllBytesSent();
};

// The text for a Windows Sockets code; empty for codes without one.
std::wstring SocketErrorText(int code);

// Two seconds: a time server answers within a few hundred milliseconds even over a slow link,
// and the calling (UI) thread stays blocked for no longer than this when no answer comes.
constexpr int32_t kDefaultReceiveTimeout = 2000;
constexpr int32_t kDefaultBufferSize = 8192;

class TIdUDPClient {
 public:
  explicit TIdUDPClient(platform::UdpServices& udp);
  virtual ~TIdUDPClient();
  TIdUDPClient(const TIdUDPClient&) = delete;
  TIdUDPClient& operator=(const TIdUDPClient&) = delete;

  // The server: a dotted IPv4 address or a name, resolved again at every send.
  std::wstring Host;
  int32_t Port = 0;
  // Longest wait of a receive, in milliseconds; negative values wait not at all.
  int32_t ReceiveTimeout = kDefaultReceiveTimeout;
  // Largest datagram a receive takes; a longer one fails with socket error 10040.
  int32_t BufferSize = kDefaultBufferSize;

  // Sends `bytes` as one datagram to Host:Port, creating the socket at the first send.
  void Send(const std::string& bytes);
  // One datagram from whatever sender, waiting up to ReceiveTimeout; empty on time-out.
  std::string ReceiveString();
  std::string ReceiveString(int32_t timeoutMs);

 protected:
  struct Datagram {
    std::string bytes;  // at most BufferSize bytes
    platform::Ipv4Endpoint from;
    bool truncated = false;  // it was longer than BufferSize; `bytes` holds its start
  };
  // Waits up to timeoutMs for one datagram; false on time-out. Socket errors other than an
  // oversized datagram raise EIdSocketError.
  bool ReceiveDatagram(int32_t timeoutMs, Datagram& datagram);
  // The two halves of Send: resolve Host and create the socket; then send to that destination.
  // A caller that timestamps the datagram reads its clock between the two, so the name lookup
  // and the socket's creation do not count as network delay.
  void PrepareDestination();
  void SendPrepared(const std::string& bytes);
  // Where the last send went, as resolved then.
  const platform::Ipv4Endpoint& LastDestination() const noexcept { return lastDestination_; }

 private:
  platform::UdpServices& udp_;
  std::unique_ptr<platform::UdpSocket> socket_;
  platform::Ipv4Endpoint lastDestination_;
};

}  // namespace net
