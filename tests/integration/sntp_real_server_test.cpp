// The SNTP client against chrony serving this machine's clock on 127.0.0.1 (port in NTP_PORT):
// a real server's reply is matched, accepted, and gives this machine's time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "net/id_sntp.h"
#include "platform/clock.h"
#include "platform/posix/clock_posix.h"
#include "platform/udp.h"

namespace {

class UnusedLocale final : public platform::Locale {
 public:
  rtl::FormatSettings ReadFormatSettings() override { return {}; }
  uint32_t AnsiCodePage() override { return 65001; }
  bool IsDoubleByteCodePage() override { return false; }
  std::wstring SystemErrorText(uint32_t code) override { return L"error " + std::to_wstring(code); }
};

class RealServer : public testing::Test {
 protected:
  void SetUp() override {
    const char* port = std::getenv("NTP_PORT");
    ASSERT_NE(port, nullptr) << "run under tests/integration/with_ntp_server.sh";
    client.Host = L"127.0.0.1";
    client.Port = std::atoi(port);
  }

  platform::posix::PosixClock clock;
  platform::posix::PosixTimeZone zone;
  UnusedLocale locale;
  net::TIdSNTP client{platform::SystemUdp(), clock, zone, locale};
};

TEST_F(RealServer, ServerTimeIsThisMachinesTimeWithinFiftyMilliseconds) {
  for (int query = 0; query < 5; ++query) {
    rtl::TDateTime server = client.ServerTime();
    rtl::TDateTime local = platform::ToDateTime(clock.LocalTime());
    ASSERT_NE(server, 0.0) << "query " << query << " got no usable reply";
    double differenceMs = (local - server) * 86400000.0;
    std::printf("query %d: local clock - server time = %.3f ms\n", query, differenceMs);
    EXPECT_LE(std::fabs(differenceMs), 50.0) << "query " << query;
  }
}

TEST_F(RealServer, OffsetIsWithinFiveMilliseconds) {
  for (int query = 0; query < 5; ++query) {
    net::SntpSample sample = client.Exchange();
    ASSERT_TRUE(sample.usable) << "query " << query;
    std::printf("query %d: offset %.3f ms, delay %.3f ms\n", query, sample.offset * 1000,
                sample.delay * 1000);
    EXPECT_LE(std::fabs(sample.offset), 0.005) << "query " << query;
    EXPECT_GE(net::NtpDifference(sample.clientReceive, sample.clientSend), 0.0);
    EXPECT_LT(sample.delay, 0.050);
  }
}

}  // namespace
