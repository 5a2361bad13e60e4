#include "net/id_udp_client.h"

#include <algorithm>
#include <chrono>

namespace net {

std::wstring SocketErrorText(int code) {
  switch (code) {
    case platform::wsa::kMessageSize:
      return L"Message too long.";
    case platform::wsa::kNetworkDown:
      return L"Network is down.";
    case platform::wsa::kNetworkUnreachable:
      return L"Network is unreachable.";
    case platform::wsa::kConnectionReset:
      return L"Connection reset by peer.";
    case platform::wsa::kNoBufferSpace:
      return L"No buffer space available.";
    case platform::wsa::kHostUnreachable:
      return L"No route to host.";
    case platform::wsa::kHostNotFound:
      return L"Host not found.";
    default:
      return L"";
  }
}

EIdSocketError::EIdSocketError(int code)
    : EIdException(L"Socket Error # " + std::to_wstring(code) + L"\r\n" + SocketErrorText(code)),
      code_(code) {}

EIdInvalidSocket::EIdInvalidSocket() : EIdException(L"Cannot allocate socket.") {}
EIdPackageSizeTooBig::EIdPackageSizeTooBig() : EIdException(L"Package Size Too Big.") {}
EIdNotAllBytesSent::EIdNotAllBytesSent() : EIdException(L"Not all bytes sent.") {}

TIdUDPClient::TIdUDPClient(platform::UdpServices& udp) : udp_(udp) {}

TIdUDPClient::~TIdUDPClient() = default;

void TIdUDPClient::Send(const std::string& bytes) {
  PrepareDestination();
  SendPrepared(bytes);
}

void TIdUDPClient::PrepareDestination() {
  uint32_t address = 0;
  if (int code = udp_.ResolveIpv4(Host, address); code != 0) throw EIdSocketError(code);
  // Winsock refuses port 0 as a destination; larger values are no UDP port at all.
  if (Port < 1 || Port > 65535) throw EIdSocketError(platform::wsa::kAddressNotAvail);
  if (!socket_) {
    int error = 0;
    socket_ = udp_.CreateSocket(error);
    if (!socket_) throw EIdInvalidSocket();
  }
  lastDestination_ = {address, static_cast<uint16_t>(Port)};
}

void TIdUDPClient::SendPrepared(const std::string& bytes) {
  size_t sent = 0;
  int code = socket_->SendTo(lastDestination_, reinterpret_cast<const uint8_t*>(bytes.data()),
                             bytes.size(), sent);
  if (code == platform::wsa::kMessageSize) throw EIdPackageSizeTooBig();
  if (code != 0) throw EIdSocketError(code);
  if (sent != bytes.size()) throw EIdNotAllBytesSent();
}

bool TIdUDPClient::ReceiveDatagram(int32_t timeoutMs, Datagram& datagram) {
  // Before the first send there is no socket, and nothing can be addressed to it.
  if (!socket_) return false;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max<int32_t>(timeoutMs, 0));
  std::string buffer(static_cast<size_t>(std::max<int32_t>(BufferSize, 0)), '\0');
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    bool readable = false;
    int code =
        socket_->WaitReadable(static_cast<int32_t>(std::max<decltype(left)>(left, 0)), readable);
    if (code != 0) throw EIdSocketError(code);
    if (!readable) return false;
    size_t received = 0;
    code = socket_->ReceiveFrom(reinterpret_cast<uint8_t*>(buffer.data()), buffer.size(), received,
                                datagram.from);
    if (code == 0 || code == platform::wsa::kMessageSize) {
      datagram.bytes.assign(buffer.data(), std::min(received, buffer.size()));
      datagram.truncated = code == platform::wsa::kMessageSize;
      return true;
    }
    if (code != platform::wsa::kWouldBlock) throw EIdSocketError(code);
    // Readable but gone (a datagram the stack dropped): wait on for the rest of the time.
    if (Clock::now() >= deadline) return false;
  }
}

std::string TIdUDPClient::ReceiveString(int32_t timeoutMs) {
  Datagram datagram;
  if (!ReceiveDatagram(timeoutMs, datagram)) return {};
  if (datagram.truncated) throw EIdSocketError(platform::wsa::kMessageSize);
  return datagram.bytes;
}

std::string TIdUDPClient::ReceiveString() {
  return ReceiveString(ReceiveTimeout);
}

}  // namespace net
