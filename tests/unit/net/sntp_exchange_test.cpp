// TIdSNTP against a time server on 127.0.0.1 that the test scripts: request bytes, decoding,
// the validity check, and which datagrams are taken as the reply.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>

#include "net/id_sntp.h"
#include "rtl/datetime.h"
#include "tests/unit/net/net_test_support.h"

namespace {

using nettest::LoopbackPeer;
using nettest::ReplyTo;
using nettest::Utc;
using Datagram = LoopbackPeer::Datagram;
using Steady = std::chrono::steady_clock;

constexpr net::NtpTimestamp kServerTime{0xE1B65F80, 0};  // 2020-01-01 00:00:00 UTC
constexpr net::NtpTimestamp kOtherTime{0xE1B66D90, 0};   // an hour later
constexpr double kServerDay = 43831.0;                   // 2020-01-01 as a date-time

long ElapsedMs(Steady::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start).count());
}

class SntpTest : public testing::Test {
 protected:
  SntpTest() {
    client.Host = L"127.0.0.1";
    client.Port = server.Port();
    client.ReceiveTimeout = 5000;
    clock.utc = {Utc(2020, 1, 1, 0, 0, 0, 500)};
  }

  // Runs `script` as the server for one request while `query` runs on this thread.
  template <class Query>
  auto Serve(std::function<void(const Datagram& request)> script, Query query) {
    auto served = std::async(std::launch::async, [&] {
      auto request = server.Receive(5000);
      if (request) script(*request);
      return request.has_value();
    });
    auto result = query();
    EXPECT_TRUE(served.get()) << "no request reached the server";
    return result;
  }
  rtl::TDateTime ServerTimeWith(std::function<void(const Datagram& request)> script) {
    return Serve(std::move(script), [&] { return client.ServerTime(); });
  }
  void Answer(const Datagram& request, net::NtpTimestamp time = kServerTime) {
    server.SendTo(request.from, ReplyTo(request.bytes, time).ToBytes());
  }

  LoopbackPeer server;
  nettest::ScriptedClock clock;
  nettest::ScriptedTimeZone zone;
  nettest::ScriptedLocale locale;
  net::TIdSNTP client{platform::SystemUdp(), clock, zone, locale};
};

TEST_F(SntpTest, RequestCarriesTheClientsTimeAsTransmitTimestamp) {
  EXPECT_EQ(client.BufferSize, 8192);
  std::string request;
  ServerTimeWith([&](const Datagram& r) {
    request = r.bytes;
    Answer(r);
  });
  ASSERT_EQ(request.size(), 48u);
  EXPECT_EQ(request[0], '\x1B');
  EXPECT_EQ(request.substr(1, 39), std::string(39, '\0'));
  // 2020-01-01 00:00:00.500 UTC (08:00:00.500 at UTC+8).
  EXPECT_EQ(request.substr(40), std::string("\xE1\xB6\x5F\x80\x80\x00\x00\x00", 8));
  EXPECT_EQ(client.BufferSize, 48);
  EXPECT_EQ(net::TIdSNTP(platform::SystemUdp(), clock, zone, locale).Port, 123);
}

struct DecodeCase {
  const char* name;
  int32_t biasMinutes;
  net::NtpTimestamp transmit;
  rtl::DateTimeParts expected;
};
void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << c.name;
}

class SntpDecodes : public SntpTest, public testing::WithParamInterface<DecodeCase> {};

TEST_P(SntpDecodes, ServerTimeIsTheTransmitTimestampInLocalTime) {
  zone.reading = {0, GetParam().biasMinutes, 0, 0, 0};
  rtl::TDateTime t = ServerTimeWith([&](const Datagram& r) { Answer(r, GetParam().transmit); });
  EXPECT_DOUBLE_EQ(t, rtl::ComposeDateTime(GetParam().expected));
  rtl::DateTimeParts p = rtl::SplitDateTime(t);
  EXPECT_EQ(p.second * 1000 + p.millisecond,
            GetParam().expected.second * 1000 + GetParam().expected.millisecond);
}

// 2020-01-01 08:00:00 is 43831 + 1/3; the table compares with the composed date-times.
INSTANTIATE_TEST_SUITE_P(
    Table, SntpDecodes,
    testing::Values(DecodeCase{"Utc8", -480, {0xE1B65F80, 0}, {2020, 1, 1, 8, 0, 0, 0}},
                    DecodeCase{"Utc0", 0, {0xE1B65F80, 0}, {2020, 1, 1, 0, 0, 0, 0}},
                    DecodeCase{"FractionCutTo999ms",
                               -480,
                               {0xE1B65F80, 0xFFFFFFFF},
                               {2020, 1, 1, 8, 0, 0, 999}},
                    DecodeCase{"Era0LastSecond", 0, {0xFFFFFFFF, 0}, {2036, 2, 7, 6, 28, 15, 0}},
                    DecodeCase{"Era1", 0, {0x00000001, 0}, {2036, 2, 7, 6, 28, 17, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ValidityCase {
  const char* name;
  uint8_t liVnMode;
  uint8_t stratum;
  net::NtpTimestamp transmit;
  bool usable;
};
void PrintTo(const ValidityCase& c, std::ostream* os) {
  *os << c.name;
}

class SntpValidity : public SntpTest, public testing::WithParamInterface<ValidityCase> {};

TEST_P(SntpValidity, RejectedRepliesGiveZeroAtOnce) {
  const ValidityCase& c = GetParam();
  auto start = Steady::now();
  rtl::TDateTime t = ServerTimeWith([&](const Datagram& r) {
    net::SntpPacket reply = ReplyTo(r.bytes, c.transmit);
    reply.liVnMode = c.liVnMode;
    reply.stratum = c.stratum;
    server.SendTo(r.from, reply.ToBytes());
  });
  EXPECT_EQ(t == 0.0, !c.usable) << "result " << t;
  if (c.usable) {
    EXPECT_DOUBLE_EQ(t, kServerDay);
  }
  // The matching reply ends the wait, usable or not.
  EXPECT_LT(ElapsedMs(start), 4000);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SntpValidity,
    testing::Values(ValidityCase{"Usable", 0x24, 2, kServerTime, true},
                    ValidityCase{"Version3Reply", 0x1C, 2, kServerTime, true},
                    ValidityCase{"Version1Reply", 0x0C, 2, kServerTime, true},
                    ValidityCase{"LeapIndicator3", 0xE4, 2, kServerTime, false},
                    ValidityCase{"LeapSecondAhead", 0x64, 2, kServerTime, true},
                    ValidityCase{"KissOfDeathStratum0", 0x24, 0, kServerTime, false},
                    ValidityCase{"Stratum1", 0x24, 1, kServerTime, true},
                    ValidityCase{"Stratum15", 0x24, 15, kServerTime, true},
                    ValidityCase{"Stratum16", 0x24, 16, kServerTime, false},
                    ValidityCase{"ZeroTransmit", 0x24, 2, {0, 0}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A datagram that is not the answer to the request, sent before the real answer.
struct Stranger {
  const char* name;
  std::function<std::string(const std::string& request)> bytes;
  bool fromOtherPort;
};
void PrintTo(const Stranger& c, std::ostream* os) {
  *os << c.name;
}

std::string Modified(const std::string& request, std::function<void(net::SntpPacket&)> change) {
  net::SntpPacket reply = ReplyTo(request, kOtherTime);
  change(reply);
  return reply.ToBytes();
}

const Stranger kStrangers[] = {
    {"RightReplyFromAnotherPort", [](auto& r) { return Modified(r, [](auto&) {}); }, true},
    {"LongDatagramFromAnotherPort", [](auto& r) { return Modified(r, [](auto&) {}) + "x"; }, true},
    {"WrongOriginate",
     [](auto& r) { return Modified(r, [](auto& p) { p.originate.fraction ^= 1; }); }, false},
    {"ZeroOriginate", [](auto& r) { return Modified(r, [](auto& p) { p.originate = {}; }); },
     false},
    {"Mode3", [](auto& r) { return Modified(r, [](auto& p) { p.liVnMode = 0x23; }); }, false},
    {"Mode5Broadcast", [](auto& r) { return Modified(r, [](auto& p) { p.liVnMode = 0x25; }); },
     false},
    {"Version0", [](auto& r) { return Modified(r, [](auto& p) { p.liVnMode = 0x04; }); }, false},
    {"Version5", [](auto& r) { return Modified(r, [](auto& p) { p.liVnMode = 0x2C; }); }, false},
    {"EchoOfTheRequest", [](auto& r) { return r; }, false},
    {"Short47Bytes", [](auto& r) { return Modified(r, [](auto&) {}).substr(0, 47); }, false},
    {"Empty", [](auto&) { return std::string(); }, false},
};

class SntpMatching : public SntpTest, public testing::WithParamInterface<Stranger> {};

TEST_P(SntpMatching, SkipsDatagramsThatDoNotAnswerTheRequestAndTakesTheAnswer) {
  LoopbackPeer other;
  rtl::TDateTime t = ServerTimeWith([&](const Datagram& r) {
    (GetParam().fromOtherPort ? other : server).SendTo(r.from, GetParam().bytes(r.bytes));
    Answer(r, kServerTime);
  });
  EXPECT_DOUBLE_EQ(t, kServerDay);
}

TEST_P(SntpMatching, WaitsOutTheTimeOutWhenOnlyTheStrangerCame) {
  LoopbackPeer other;
  client.ReceiveTimeout = 300;
  auto start = Steady::now();
  rtl::TDateTime t = ServerTimeWith([&](const Datagram& r) {
    (GetParam().fromOtherPort ? other : server).SendTo(r.from, GetParam().bytes(r.bytes));
  });
  EXPECT_EQ(t, 0.0);
  EXPECT_GE(ElapsedMs(start), 300);
}

INSTANTIATE_TEST_SUITE_P(Table, SntpMatching, testing::ValuesIn(kStrangers),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SntpTest, NoReplyGivesZeroOnceTheTimeOutHasPassed) {
  client.ReceiveTimeout = 300;
  auto start = Steady::now();
  EXPECT_EQ(ServerTimeWith([](const Datagram&) {}), 0.0);
  EXPECT_GE(ElapsedMs(start), 300);
  EXPECT_LT(ElapsedMs(start), 3000);
}

TEST_F(SntpTest, StaleReplyQueuedBeforeTheQueryIsPassedOver) {
  // First query: answered late, after the client gave up.
  client.ReceiveTimeout = 200;
  std::string firstRequest;
  EXPECT_EQ(ServerTimeWith([&](const Datagram& r) { firstRequest = r.bytes; }), 0.0);
  ASSERT_FALSE(firstRequest.empty());
  // The late answer to the first query now waits in the client's socket.
  auto firstFrom = server.Receive(0);
  EXPECT_FALSE(firstFrom);
  client.ReceiveTimeout = 5000;
  clock.utc = {Utc(2020, 1, 1, 0, 0, 1, 0)};
  rtl::TDateTime t = ServerTimeWith([&](const Datagram& r) {
    ASSERT_NE(nettest::TransmitOf(r.bytes), nettest::TransmitOf(firstRequest));
    // Queued before: the stale one goes first on the wire, then the answer to this query.
    server.SendTo(r.from, ReplyTo(firstRequest, kOtherTime).ToBytes());
    Answer(r, kServerTime);
  });
  EXPECT_DOUBLE_EQ(t, kServerDay);
}

TEST_F(SntpTest, StaleReplyAlreadyInTheSocketBeforeTheQueryIsPassedOver) {
  std::string firstRequest;
  platform::Ipv4Endpoint clientAddress;
  EXPECT_DOUBLE_EQ(ServerTimeWith([&](const Datagram& r) {
                     firstRequest = r.bytes;
                     clientAddress = r.from;
                     Answer(r);
                   }),
                   kServerDay);
  // A duplicate of the first answer arrives between the two queries and stays queued.
  server.SendTo(clientAddress, ReplyTo(firstRequest, kOtherTime).ToBytes());
  clock.utc = {Utc(2020, 1, 1, 0, 0, 1, 0)};
  rtl::TDateTime t = ServerTimeWith([&](const Datagram& r) {
    EXPECT_EQ(r.from, clientAddress);  // the same socket serves every query
    Answer(r, kServerTime);
  });
  EXPECT_DOUBLE_EQ(t, kServerDay);
}

TEST_F(SntpTest, DatagramLongerThanAReplyFromTheServerFailsWith10040) {
  try {
    ServerTimeWith([&](const Datagram& r) {
      server.SendTo(r.from, ReplyTo(r.bytes, kServerTime).ToBytes() + "x");
    });
    FAIL() << "no exception";
  } catch (const net::EIdSocketError& e) {
    EXPECT_EQ(e.LastError(), 10040);
    EXPECT_EQ(e.Message(), L"Socket Error # 10040\r\nMessage too long.");
  }
  // The client stays usable.
  EXPECT_DOUBLE_EQ(ServerTimeWith([&](const Datagram& r) { Answer(r); }), kServerDay);
}

TEST_F(SntpTest, UnresolvableHostRaisesSocketError11001) {
  client.Host = std::wstring(70, L'a') + L".invalid";  // refused without asking a name server
  try {
    client.ServerTime();
    FAIL() << "no exception";
  } catch (const net::EIdSocketError& e) {
    EXPECT_EQ(e.LastError(), 11001);
    const std::wstring tail = L"Host not found.";
    ASSERT_GE(e.Message().size(), tail.size());
    EXPECT_EQ(e.Message().substr(e.Message().size() - tail.size()), tail);
  }
}

TEST_F(SntpTest, TimeZoneFailureWhileDecodingRaisesTheSystemsText) {
  zone.reading = {0xFFFFFFFF, 0, 0, 0, 5};
  try {
    ServerTimeWith([&](const Datagram& r) { Answer(r); });
    FAIL() << "no exception";
  } catch (const net::EIdException& e) {
    EXPECT_EQ(e.Message(), L"System error 5.");
  }
  zone.reading = {0, -480, 0, 0, 0};
  EXPECT_DOUBLE_EQ(ServerTimeWith([&](const Datagram& r) { Answer(r); }), kServerDay + 1.0 / 3);
}

TEST_F(SntpTest, SampleGivesTheFourTimestampsOffsetAndDelay) {
  // Client clock: sends at 00:00:00.000, receives at 00:00:00.100. The server (1.03 s ahead)
  // receives at 00:00:01.030 and answers at 00:00:01.050 of its clock.
  clock.utc = {Utc(2020, 1, 1, 0, 0, 0, 0), Utc(2020, 1, 1, 0, 0, 0, 100)};
  const net::NtpTimestamp t2{0xE1B65F81, 0x07AE147B};  // .030 s
  const net::NtpTimestamp t3{0xE1B65F81, 0x0CCCCCCD};  // .050 s
  net::SntpSample sample = Serve(
      [&](const Datagram& r) {
        net::SntpPacket reply = ReplyTo(r.bytes, t3);
        reply.receive = t2;
        server.SendTo(r.from, reply.ToBytes());
      },
      [&] { return client.Exchange(); });
  ASSERT_TRUE(sample.usable);
  EXPECT_EQ(sample.clientSend, (net::NtpTimestamp{0xE1B65F80, 0}));
  EXPECT_EQ(sample.clientReceive.seconds, 0xE1B65F80u);
  EXPECT_EQ(sample.serverReceive, t2);
  EXPECT_EQ(sample.serverTransmit, t3);
  EXPECT_NEAR(sample.offset, 0.990, 1e-6);  // ((1.030 - 0) + (1.050 - 0.100)) / 2
  EXPECT_NEAR(sample.delay, 0.080, 1e-6);   // (0.100 - 0) - (1.050 - 1.030)
  EXPECT_DOUBLE_EQ(net::NtpTimestampToUtc(sample.serverTransmit),
                   rtl::ComposeDateTime({2020, 1, 1, 0, 0, 1, 50}));
}

TEST_F(SntpTest, RejectedSampleIsNotUsable) {
  net::SntpSample sample = Serve(
      [&](const Datagram& r) {
        net::SntpPacket reply = ReplyTo(r.bytes, kServerTime);
        reply.stratum = 0;
        server.SendTo(r.from, reply.ToBytes());
      },
      [&] { return client.Exchange(); });
  EXPECT_FALSE(sample.usable);
}

}  // namespace
