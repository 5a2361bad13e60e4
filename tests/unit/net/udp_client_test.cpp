// The UDP client on real sockets against a peer on 127.0.0.1, and on scripted sockets for the
// failures the system will not produce on demand.
#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>
#include <chrono>
#include <functional>

#include "net/id_udp_client.h"
#include "platform/posix/udp_posix.h"
#include "tests/unit/net/net_test_support.h"

namespace {

using nettest::LoopbackPeer;
using Steady = std::chrono::steady_clock;

// A label longer than DNS allows: the resolver refuses it without asking any name server.
const std::wstring kUnresolvableHost = std::wstring(70, L'a') + L".invalid";

long ElapsedMs(Steady::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start).count());
}

TEST(UdpClient, OneSocketFromTheFirstSendOnAndNamesResolvedAtEachSend) {
  LoopbackPeer server;
  net::TIdUDPClient client(platform::SystemUdp());
  client.Host = L"127.0.0.1";
  client.Port = server.Port();
  client.Send("first");
  client.Host = L"localhost";  // resolved again, through the system's resolver
  client.Send("second");
  auto first = server.Receive(2000);
  auto second = server.Receive(2000);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->bytes, "first");
  EXPECT_EQ(second->bytes, "second");
  EXPECT_NE(first->from.port, 0);
  EXPECT_EQ(first->from, second->from);

  // The peer answers from another socket: a receive takes datagrams from whatever sender.
  LoopbackPeer other;
  other.SendTo(first->from, "from elsewhere");
  EXPECT_EQ(client.ReceiveString(2000), "from elsewhere");
}

TEST(UdpClient, ReceiveGivesEmptyAfterTheTimeOutAndFailsOnDatagramsLongerThanTheBuffer) {
  LoopbackPeer server;
  net::TIdUDPClient client(platform::SystemUdp());
  client.Host = L"127.0.0.1";
  client.Port = server.Port();
  client.ReceiveTimeout = 200;
  client.BufferSize = 16;
  client.Send("hello");
  auto request = server.Receive(2000);
  ASSERT_TRUE(request);

  auto start = Steady::now();
  EXPECT_EQ(client.ReceiveString(), "");
  EXPECT_GE(ElapsedMs(start), 200);

  server.SendTo(request->from, std::string(16, 'x'));
  EXPECT_EQ(client.ReceiveString(), std::string(16, 'x'));
  server.SendTo(request->from, std::string(17, 'x'));
  try {
    client.ReceiveString();
    FAIL() << "a 17-byte datagram fit a 16-byte buffer";
  } catch (const net::EIdSocketError& e) {
    EXPECT_EQ(e.LastError(), 10040);
    EXPECT_EQ(e.Message(), L"Socket Error # 10040\r\nMessage too long.");
  }
  // The socket stays usable after the failure.
  server.SendTo(request->from, "again");
  EXPECT_EQ(client.ReceiveString(), "again");
}

struct SendFailure {
  const char* name;
  std::function<void(net::TIdUDPClient&)> setUp;
  int code;  // 0: not a socket error
  std::wstring message;
};
void PrintTo(const SendFailure& c, std::ostream* os) {
  *os << c.name;
}

class UdpClientSendFailures : public testing::TestWithParam<SendFailure> {};

TEST_P(UdpClientSendFailures, RaiseTheNetworkPacksExceptions) {
  const SendFailure& failure = GetParam();
  net::TIdUDPClient client(platform::SystemUdp());
  client.Host = L"127.0.0.1";
  client.Port = 9;
  failure.setUp(client);
  try {
    client.Send("x");
    FAIL() << "no exception";
  } catch (const net::EIdSocketError& e) {
    EXPECT_EQ(e.LastError(), failure.code);
    EXPECT_EQ(e.Message(), failure.message);
  } catch (const net::EIdException& e) {
    EXPECT_EQ(failure.code, 0);
    EXPECT_EQ(e.Message(), failure.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    RealSockets, UdpClientSendFailures,
    testing::Values(SendFailure{"UnknownHost", [](auto& c) { c.Host = kUnresolvableHost; }, 11001,
                                L"Socket Error # 11001\r\nHost not found."},
                    SendFailure{"NulInHostName",
                                [](auto& c) { c.Host = std::wstring(L"localhost\0.example", 18); },
                                11001, L"Socket Error # 11001\r\nHost not found."},
                    SendFailure{"PortZero", [](auto& c) { c.Port = 0; }, 10049,
                                L"Socket Error # 10049\r\n"},
                    SendFailure{"PortAbove65535", [](auto& c) { c.Port = 65536 + 123; }, 10049,
                                L"Socket Error # 10049\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UdpClient, DatagramTooLargeForTheSystem) {
  net::TIdUDPClient client(platform::SystemUdp());
  client.Host = L"127.0.0.1";
  client.Port = 9;
  EXPECT_THROW(client.Send(std::string(70000, 'x')), net::EIdPackageSizeTooBig);
}

nettest::SocketScript Script(void (*set)(nettest::SocketScript&)) {
  nettest::SocketScript script;
  set(script);
  return script;
}

struct ScriptedFailure {
  const char* name;
  nettest::SocketScript script;
  bool onReceive;
  int code;
  std::wstring message;
};
void PrintTo(const ScriptedFailure& c, std::ostream* os) {
  *os << c.name;
}

class UdpClientScriptedFailures : public testing::TestWithParam<ScriptedFailure> {};

TEST_P(UdpClientScriptedFailures, RaiseTheNetworkPacksExceptions) {
  const ScriptedFailure& failure = GetParam();
  nettest::ScriptedUdp udp(failure.script);
  net::TIdUDPClient client(udp);
  client.Host = L"127.0.0.1";
  client.Port = 123;
  try {
    client.Send("request");
    if (failure.onReceive) client.ReceiveString();
    FAIL() << "no exception";
  } catch (const net::EIdSocketError& e) {
    EXPECT_EQ(e.LastError(), failure.code);
    EXPECT_EQ(e.Message(), failure.message);
  } catch (const net::EIdException& e) {
    EXPECT_EQ(failure.code, 0);
    EXPECT_EQ(e.Message(), failure.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, UdpClientScriptedFailures,
    testing::Values(
        ScriptedFailure{"NoSocket", Script([](auto& s) { s.createError = 10024; }), false, 0,
                        L"Cannot allocate socket."},
        ScriptedFailure{"SystemRefusesSize", Script([](auto& s) { s.sendError = 10040; }), false, 0,
                        L"Package Size Too Big."},
        ScriptedFailure{"ShortSend", Script([](auto& s) { s.sendShortBy = 1; }), false, 0,
                        L"Not all bytes sent."},
        ScriptedFailure{"SendUnreachable", Script([](auto& s) { s.sendError = 10051; }), false,
                        10051, L"Socket Error # 10051\r\nNetwork is unreachable."},
        ScriptedFailure{"SendNoRoute", Script([](auto& s) { s.sendError = 10065; }), false, 10065,
                        L"Socket Error # 10065\r\nNo route to host."},
        ScriptedFailure{"SendNetworkDown", Script([](auto& s) { s.sendError = 10050; }), false,
                        10050, L"Socket Error # 10050\r\nNetwork is down."},
        ScriptedFailure{"SendNoBuffers", Script([](auto& s) { s.sendError = 10055; }), false, 10055,
                        L"Socket Error # 10055\r\nNo buffer space available."},
        ScriptedFailure{"ReceiveReset", Script([](auto& s) { s.receiveError = 10054; }), true,
                        10054, L"Socket Error # 10054\r\nConnection reset by peer."},
        ScriptedFailure{"WaitFails", Script([](auto& s) { s.waitError = 10050; }), true, 10050,
                        L"Socket Error # 10050\r\nNetwork is down."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PosixErrorCodes, MapToWindowsSocketsCodes) {
  struct Case {
    int error;
    int code;
  };
  for (const Case& c : {Case{EMSGSIZE, 10040}, Case{ENETDOWN, 10050}, Case{ENETUNREACH, 10051},
                        Case{ECONNRESET, 10054}, Case{ECONNREFUSED, 10054}, Case{ENOBUFS, 10055},
                        Case{EHOSTUNREACH, 10065}, Case{EAGAIN, 10035}, Case{EMFILE, 10024}}) {
    EXPECT_EQ(platform::posix::WsaCodeFromErrno(c.error), c.code) << "errno " << c.error;
  }
  for (const Case& c :
       {Case{EAI_NONAME, 11001}, Case{EAI_AGAIN, 11002}, Case{EAI_FAIL, 11003}, Case{0, 0}}) {
    EXPECT_EQ(platform::posix::WsaCodeFromAddrInfo(c.error, 0), c.code) << "EAI " << c.error;
  }
  EXPECT_EQ(platform::posix::WsaCodeFromAddrInfo(EAI_SYSTEM, ENETUNREACH), 10051);
}

}  // namespace
