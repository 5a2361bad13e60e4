#pragma once
// The test exe's network-time services. Nothing they do reaches beyond 127.0.0.0/8 or touches
// the machine's clock; the driver points them at its own servers through the script folder:
//   probe-url.txt        the URL the connectivity check tries instead of the program's own
//                        (http://127.0.0.1...); without it there is no connection
//   time-server.txt      "127.0.0.1:PORT": every host name resolves to that address, and
//                        datagrams to its port 123 go to PORT (answers read as from 123);
//                        without it no name resolves
//   setsystemtime-fails.txt  SetSystemTime fails with ERROR_PRIVILEGE_NOT_HELD
// calls.log gets one line per call:
//   InternetCheckConnection <url asked> <flags> <reserved> -> <0|1>
//   SendTo <address>:<port> <bytes>             (as the program addressed it, once sent)
//   SetSystemTime YYYY-MM-DD HH:MM:SS.mmm at YYYY-MM-DD HH:MM:SS.mmm
//       the UTC time asked for, then the real UTC clock at that moment (to the millisecond)
#include "platform/internet.h"
#include "platform/udp.h"

namespace platform::scripted {

Internet& ScriptedInternet();
// The real sockets, redirected and confined to 127.0.0.0/8 as above.
UdpServices& RedirectedUdp(UdpServices& real);

}  // namespace platform::scripted
