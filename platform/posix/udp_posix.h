#pragma once
// How the BSD-socket backend turns the system's errors into Windows Sockets codes.
namespace platform::posix {

// errno of socket, sendto, poll or recvmsg -> Windows Sockets code.
int WsaCodeFromErrno(int error);
// getaddrinfo result (EAI_*) -> Windows Sockets code; `savedErrno` serves EAI_SYSTEM.
int WsaCodeFromAddrInfo(int result, int savedErrno);

}  // namespace platform::posix
