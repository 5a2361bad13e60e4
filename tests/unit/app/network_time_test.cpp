// The network-time commands against an in-process time server: what each shows, the clock
// setting they ask for, and every way they end early.
#include <cstdio>
#include <functional>

#include "net/id_sntp.h"
#include "rtl/datetime.h"
#include "tests/unit/app/form_fixture.h"

namespace app::testing {
namespace {

// In the documentation range; the fake network never leaves the process.
constexpr uint32_t kServerAddress = 0xCB007101;  // 203.0.113.1

net::NtpTimestamp Ntp(int year, int month, int day, int hour, int minute, int second, int ms) {
  return net::EncodeNtpTimestamp(rtl::ComposeDateTime({year, month, day, hour, minute, second, ms}),
                                 0.0);
}

// "2020-01-01 00:00:00.750 Wed": every field the clock setting carries.
std::string Describe(const platform::SystemTime& t) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d %s", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.milliseconds,
                t.dayOfWeek < 7 ? kDays[t.dayOfWeek] : "?");
  return text;
}

std::vector<std::string> Describe(const std::vector<platform::SystemTime>& times) {
  std::vector<std::string> out;
  for (const auto& t : times) out.push_back(Describe(t));
  return out;
}

struct Box {
  vcl::BoxKind kind;
  std::wstring text;
  bool operator==(const Box&) const = default;
};

void PrintTo(const Box& box, std::ostream* out) {
  *out << (box.kind == vcl::BoxKind::kError ? "error box " : "message box ")
       << ::testing::PrintToString(box.text);
}

Box Message(const std::wstring& text) {
  return {vcl::BoxKind::kMessage, text};
}
Box Error(const std::wstring& text) {
  return {vcl::BoxKind::kError, text};
}

class NetworkTimeTest : public FormTest {
 public:
  NetworkTimeTest() { platform_.udp.names[TimeServerHost] = kServerAddress; }

  // The server answers each request with `time` as its receive and transmit time; the answer
  // arrives roundTripMs after the request left. `edit` spoils the reply, `size` cuts or pads it.
  void Serve(net::NtpTimestamp time, double roundTripMs = 0,
             std::function<void(net::SntpPacket&)> edit = {}, size_t size = 48) {
    platform_.udp.server = [=, this](const platform::FakeUdp::Sent& request) {
      net::SntpPacket reply;
      reply.liVnMode = 0x24;  // leap indicator 0, version 4, mode 4 (server)
      reply.stratum = 2;
      reply.originate =
          net::SntpPacket::FromBytes(reinterpret_cast<const uint8_t*>(request.bytes.data()))
              .transmit;
      reply.receive = time;
      reply.transmit = time;
      if (edit) edit(reply);
      platform_.clock.AdvanceMs(roundTripMs);
      std::string bytes = reply.ToBytes();
      bytes.resize(size, '\0');
      return std::vector<std::string>{bytes};
    };
  }

 protected:
  // Places the computer at UTC + hours, clock and time zone alike.
  void SetZone(double hours) {
    platform_.clock.biasMinutes = static_cast<int>(-hours * 60);
    platform_.timeZone.reading = {0, platform_.clock.biasMinutes, 0, 0, 0};
  }
  std::vector<Box> TakeBoxes() {
    std::vector<Box> out;
    for (const auto& box : backend_->boxes) {
      EXPECT_EQ(box.caption, L"倒计时");
      out.push_back({box.kind, box.text});
    }
    backend_->boxes.clear();
    return out;
  }
};

// ---- a reply came ---------------------------------------------------------------------------

struct TimeCase {
  const char* name;
  double zoneHours;  // the computer's offset from UTC
  net::NtpTimestamp server;
  double roundTripMs;
  const wchar_t* shown;      // what 获取网络时间 shows
  const char* clockSetting;  // what 校正本机时间 sets (UTC)
};

void PrintTo(const TimeCase& c, std::ostream* out) {
  *out << c.name;
}

class ServerTimeTest : public NetworkTimeTest, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(ServerTimeTest, ShowsBeijingTimeAndSetsTheServersUtcTime) {
  const TimeCase& c = GetParam();
  SetZone(c.zoneHours);
  Serve(c.server, c.roundTripMs);

  form_->N1->Click();
  EXPECT_EQ(TakeBoxes(), std::vector<Box>{Message(c.shown)});
  EXPECT_TRUE(platform_.internet.clockSettings.empty());

  form_->N2->Click();
  EXPECT_EQ(TakeBoxes(), std::vector<Box>{Message(L"校验本机时间完毕！")});
  EXPECT_EQ(Describe(platform_.internet.clockSettings), std::vector<std::string>{c.clockSetting});
}

// The client's clock reads 2020-01-01 10:00:00.300 local time throughout, hours away from the
// server's; only the exchange's offset decides the setting.
INSTANTIATE_TEST_SUITE_P(
    Cases, ServerTimeTest,
    ::testing::Values(
        TimeCase{"AtUtcPlus8", 8, Ntp(2020, 1, 1, 0, 0, 0, 750), 0,
                 L"现在北京时间：2020-1-1 8:00:00", "2020-01-01 00:00:00.750 Wed"},
        TimeCase{"AtUtc", 0, Ntp(2020, 1, 1, 0, 0, 0, 750), 0, L"现在北京时间：2020-1-1 8:00:00",
                 "2020-01-01 00:00:00.750 Wed"},
        TimeCase{"AtUtcMinus5", -5, Ntp(2020, 1, 1, 0, 0, 0, 750), 0,
                 L"现在北京时间：2020-1-1 8:00:00", "2020-01-01 00:00:00.750 Wed"},
        TimeCase{"AtUtcPlus5h45", 5.75, Ntp(2020, 1, 1, 0, 0, 0, 750), 0,
                 L"现在北京时间：2020-1-1 8:00:00", "2020-01-01 00:00:00.750 Wed"},
        // The reply took 80 ms on the way: the server's time plus half of it.
        TimeCase{"RoundTripAtUtcPlus8", 8, Ntp(2020, 1, 1, 0, 0, 0, 750), 80,
                 L"现在北京时间：2020-1-1 8:00:00", "2020-01-01 00:00:00.790 Wed"},
        TimeCase{"RoundTripAtUtcMinus5", -5, Ntp(2020, 1, 1, 0, 0, 0, 750), 36,
                 L"现在北京时间：2020-1-1 8:00:00", "2020-01-01 00:00:00.768 Wed"},
        // Half the round trip carries the setting over into the next second, day and year.
        TimeCase{"RoundTripOverMidnight", 0, Ntp(2019, 12, 31, 23, 59, 59, 990), 30,
                 L"现在北京时间：2020-1-1 7:59:59", "2020-01-01 00:00:00.005 Wed"},
        // Beijing midnight: the text form leaves the time out.
        TimeCase{"BeijingMidnight", 0, Ntp(2019, 12, 31, 16, 0, 0, 0), 0, L"现在北京时间：2020-1-1",
                 "2019-12-31 16:00:00.000 Tue"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NetworkTimeTest, CommandsDoNotDependOnTheTimeZoneReading) {
  platform_.timeZone.reading = {0xFFFFFFFF, 0, 0, 0, 1};  // GetTimeZoneInformation failed
  platform_.clock.biasMinutes = 0;
  Serve(Ntp(2020, 1, 1, 0, 0, 0, 750));
  form_->N1->Click();
  form_->N2->Click();
  EXPECT_EQ(TakeBoxes(), (std::vector<Box>{Message(L"现在北京时间：2020-1-1 8:00:00"),
                                           Message(L"校验本机时间完毕！")}));
  EXPECT_EQ(Describe(platform_.internet.clockSettings),
            std::vector<std::string>{"2020-01-01 00:00:00.750 Wed"});
}

TEST_F(NetworkTimeTest, EachCommandProbesThenQueriesTheTimeServerOnce) {
  Serve(Ntp(2020, 1, 1, 0, 0, 0, 750));
  const std::wstring probe = std::wstring(ProbeUrl) + L" 1 0";  // FLAG_ICC_FORCE_CONNECTION
  form_->N1->Click();
  form_->N2->Click();
  EXPECT_EQ(platform_.internet.checks, (std::vector<std::wstring>{probe, probe}));
  EXPECT_EQ(platform_.udp.resolved, (std::vector<std::wstring>{TimeServerHost, TimeServerHost}));
  ASSERT_EQ(platform_.udp.sent.size(), 2u);
  for (const auto& datagram : platform_.udp.sent) {
    EXPECT_EQ(datagram.to, (platform::Ipv4Endpoint{kServerAddress, 123}));
    EXPECT_EQ(datagram.bytes.size(), 48u);
  }
  EXPECT_EQ(form_->IdSNTP1->Host, TimeServerHost);
  EXPECT_EQ(form_->IdSNTP1->Port, 123);
}

// ---- the command ends early ----------------------------------------------------------------

struct EarlyEndCase {
  const char* name;
  std::function<void(NetworkTimeTest&, platform::FakePlatform&)> setUp;
  Box box;        // the one box each command shows
  bool lookedUp;  // the server's name was resolved
  bool datagram;  // a request went out
};

void PrintTo(const EarlyEndCase& c, std::ostream* out) {
  *out << c.name;
}

class EarlyEndTest : public NetworkTimeTest, public ::testing::WithParamInterface<EarlyEndCase> {};

TEST_P(EarlyEndTest, OneBoxAndTheClockUntouched) {
  const EarlyEndCase& c = GetParam();
  Serve(Ntp(2020, 1, 1, 0, 0, 0, 750));
  c.setUp(*this, platform_);
  for (vcl::TMenuItem* item : {form_->N1, form_->N2}) {
    SCOPED_TRACE(item == form_->N1 ? "获取网络时间" : "校正本机时间");
    platform_.udp.sent.clear();
    platform_.udp.resolved.clear();
    item->Click();
    EXPECT_EQ(TakeBoxes(), std::vector<Box>{c.box});
    EXPECT_EQ(platform_.udp.resolved.size(), c.lookedUp ? 1u : 0u);
    EXPECT_EQ(platform_.udp.sent.size(), c.datagram ? 1u : 0u);
    EXPECT_TRUE(platform_.internet.clockSettings.empty());
  }
  // The form goes on as before: the next tick still runs.
  Tick();
  EXPECT_EQ(form_->Caption(), L"10:00:00--周三");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EarlyEndTest,
    ::testing::Values(
        EarlyEndCase{"NoNetwork", [](auto&, auto& p) { p.internet.connected = false; },
                     Message(L"没有网络"), false, false},
        EarlyEndCase{"NoReply", [](auto&, auto& p) { p.udp.server = nullptr; },
                     Message(L"获取网络时间失败"), true, true},
        EarlyEndCase{"ClockNotSynchronised",
                     [](auto& t, auto&) {
                       t.Serve(Ntp(2020, 1, 1, 0, 0, 0, 750), 0,
                               [](net::SntpPacket& r) { r.liVnMode = 0xE4; });
                     },
                     Message(L"获取网络时间失败"), true, true},
        EarlyEndCase{"KissOfDeath",
                     [](auto& t, auto&) {
                       t.Serve(Ntp(2020, 1, 1, 0, 0, 0, 750), 0,
                               [](net::SntpPacket& r) { r.stratum = 0; });
                     },
                     Message(L"获取网络时间失败"), true, true},
        EarlyEndCase{"NoTransmitTime",
                     [](auto& t, auto&) {
                       t.Serve(net::NtpTimestamp{0, 0});
                     },
                     Message(L"获取网络时间失败"), true, true},
        EarlyEndCase{"ShortReply",
                     [](auto& t, auto&) { t.Serve(Ntp(2020, 1, 1, 0, 0, 0, 750), 0, {}, 47); },
                     Message(L"获取网络时间失败"), true, true},
        EarlyEndCase{"UnknownServer", [](auto&, auto& p) { p.udp.names.clear(); },
                     Error(L"Socket Error # 11001\r\nHost not found."), true, false},
        EarlyEndCase{"NetworkUnreachable", [](auto&, auto& p) { p.udp.sendError = 10051; },
                     Error(L"Socket Error # 10051\r\nNetwork is unreachable."), true, false},
        EarlyEndCase{"LongReply",
                     [](auto& t, auto&) { t.Serve(Ntp(2020, 1, 1, 0, 0, 0, 750), 0, {}, 49); },
                     Error(L"Socket Error # 10040\r\nMessage too long."), true, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct SetFailureCase {
  const char* name;
  uint32_t error;
  const wchar_t* text;
};

void PrintTo(const SetFailureCase& c, std::ostream* out) {
  *out << c.name;
}

class ClockSettingFailsTest : public NetworkTimeTest,
                              public ::testing::WithParamInterface<SetFailureCase> {};

TEST_P(ClockSettingFailsTest, ReportsTheSystemsReasonInsteadOfSuccess) {
  Serve(Ntp(2020, 1, 1, 0, 0, 0, 750));
  platform_.internet.setTimeFails = true;
  platform_.internet.setTimeError = GetParam().error;
  form_->N2->Click();
  EXPECT_EQ(TakeBoxes(), std::vector<Box>{Error(GetParam().text)});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClockSettingFailsTest,
    ::testing::Values(SetFailureCase{"PrivilegeNotHeld", 1314,
                                     L"校正本机时间失败：客户端没有所需的特权。"},
                      SetFailureCase{"AccessDenied", 5, L"校正本机时间失败：拒绝访问。"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace app::testing
