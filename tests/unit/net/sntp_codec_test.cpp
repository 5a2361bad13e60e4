// Timestamp conversions, the time-zone bias and the validity check, without the network.
#include <gtest/gtest.h>

#include "net/id_sntp.h"
#include "rtl/datetime.h"
#include "tests/unit/net/net_test_support.h"

namespace {

rtl::TDateTime At(int year, int month, int day, int hour, int minute, int second, int ms) {
  return rtl::ComposeDateTime({year, month, day, hour, minute, second, ms});
}

constexpr double kUtc8 = -1.0 / 3.0;  // bias at UTC+8 without daylight saving

struct EncodeCase {
  const char* name;
  rtl::TDateTime local;
  double bias;
  uint32_t seconds;
  uint32_t fraction;
};
void PrintTo(const EncodeCase& c, std::ostream* os) {
  *os << c.name;
}

class EncodeNtpTimestampTest : public testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeNtpTimestampTest, GivesSecondsAndFraction) {
  const EncodeCase& c = GetParam();
  net::NtpTimestamp t = net::EncodeNtpTimestamp(c.local, c.bias);
  EXPECT_EQ(t.seconds, c.seconds);
  EXPECT_EQ(t.fraction, c.fraction);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EncodeNtpTimestampTest,
    testing::Values(
        EncodeCase{"Utc8HalfSecond", At(2020, 1, 1, 8, 0, 0, 500), kUtc8, 0xE1B65F80, 0x80000000},
        EncodeCase{"Utc0", At(2020, 1, 1, 0, 0, 0, 0), 0.0, 0xE1B65F80, 0},
        EncodeCase{"NtpOrigin", At(1900, 1, 1, 0, 0, 0, 0), 0.0, 0, 0},
        // From 2036-02-07 06:28:16 UTC on, the seconds start again from 0.
        EncodeCase{"LastSecondOfEra0", At(2036, 2, 7, 6, 28, 15, 0), 0.0, 0xFFFFFFFF, 0},
        EncodeCase{"StartOfEra1", At(2036, 2, 7, 6, 28, 16, 0), 0.0, 0, 0},
        EncodeCase{"Era1", At(2036, 2, 7, 14, 28, 17, 0), kUtc8, 1, 0},
        EncodeCase{"Era1Later", At(2100, 1, 1, 0, 0, 0, 0), 0.0, 0x7830D580, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct DecodeCase {
  const char* name;
  uint32_t seconds;
  uint32_t fraction;
  double bias;
  rtl::DateTimeParts expected;
};
void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << c.name;
}

class DecodeNtpTimestampTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeNtpTimestampTest, GivesLocalDateTimeCutToMilliseconds) {
  const DecodeCase& c = GetParam();
  rtl::TDateTime value = net::DecodeNtpTimestamp(c.seconds, c.fraction, c.bias);
  rtl::DateTimeParts p = rtl::SplitDateTime(value);
  const rtl::DateTimeParts& e = c.expected;
  EXPECT_EQ(std::tie(p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond),
            std::tie(e.year, e.month, e.day, e.hour, e.minute, e.second, e.millisecond));
  EXPECT_DOUBLE_EQ(value, rtl::ComposeDateTime(e));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecodeNtpTimestampTest,
    testing::Values(
        DecodeCase{"Utc8", 0xE1B65F80, 0, kUtc8, {2020, 1, 1, 8, 0, 0, 0}},
        DecodeCase{"Utc0", 0xE1B65F80, 0, 0.0, {2020, 1, 1, 0, 0, 0, 0}},
        DecodeCase{"HalfSecond", 0xE1B65F80, 0x80000000, kUtc8, {2020, 1, 1, 8, 0, 0, 500}},
        // The fraction is cut, never rounded up into the next second.
        DecodeCase{"AlmostASecond", 0xE1B65F80, 0xFFFFFFFF, kUtc8, {2020, 1, 1, 8, 0, 0, 999}},
        DecodeCase{"UtcMinus5", 0xE1B65F80, 0, 300.0 / 1440, {2019, 12, 31, 19, 0, 0, 0}},
        DecodeCase{"TopBitSetEarliest", 0x80000000, 0, 0.0, {1968, 1, 20, 3, 14, 8, 0}},
        DecodeCase{"LastSecondOfEra0", 0xFFFFFFFF, 0, 0.0, {2036, 2, 7, 6, 28, 15, 0}},
        // Top bit clear: the era that begins 2036-02-07 06:28:16 UTC.
        DecodeCase{"Era1FirstSecond", 0x00000000, 0, 0.0, {2036, 2, 7, 6, 28, 16, 0}},
        DecodeCase{"Era1One", 0x00000001, 0, 0.0, {2036, 2, 7, 6, 28, 17, 0}},
        DecodeCase{"Era1OneAtUtc8", 0x00000001, 0, kUtc8, {2036, 2, 7, 14, 28, 17, 0}},
        DecodeCase{"Era1Latest", 0x7FFFFFFF, 0, 0.0, {2104, 2, 26, 9, 42, 23, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NtpTimestamp, EncodeThenDecodeKeepsTheMillisecondAcrossEras) {
  for (rtl::TDateTime t : {At(1999, 12, 31, 23, 59, 59, 999), At(2020, 1, 1, 8, 0, 0, 1),
                           At(2036, 2, 7, 6, 28, 15, 999), At(2036, 2, 7, 6, 28, 16, 0),
                           At(2036, 2, 7, 6, 28, 16, 1), At(2088, 6, 30, 12, 0, 0, 123)}) {
    for (double bias : {0.0, kUtc8, 330.0 / 1440}) {
      net::NtpTimestamp ts = net::EncodeNtpTimestamp(t, bias);
      EXPECT_DOUBLE_EQ(net::DecodeNtpTimestamp(ts.seconds, ts.fraction, bias), t)
          << "date-time " << t << " bias " << bias;
    }
  }
}

TEST(NtpDifference, CountsAcrossTheEraBoundary) {
  // 0xFFFFFFFF.8 (era 0) to 0x00000000.8 (era 1) is one second, not minus 2^32 + 1.
  EXPECT_DOUBLE_EQ(net::NtpDifference({0x00000000, 0x80000000}, {0xFFFFFFFF, 0x80000000}), 1.0);
  EXPECT_DOUBLE_EQ(net::NtpDifference({0xE1B65F80, 0}, {0xE1B65F81, 0x40000000}), -1.25);
}

struct BiasCase {
  const char* name;
  platform::TimeZoneReading reading;
  double expected;
};
void PrintTo(const BiasCase& c, std::ostream* os) {
  *os << c.name;
}

class LocalUtcBiasTest : public testing::TestWithParam<BiasCase> {};

TEST_P(LocalUtcBiasTest, TakesTheBiasInForce) {
  nettest::ScriptedTimeZone zone;
  nettest::ScriptedLocale locale;
  zone.reading = GetParam().reading;
  EXPECT_DOUBLE_EQ(net::LocalUtcBias(zone, locale), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LocalUtcBiasTest,
    testing::Values(BiasCase{"NoDaylightRules", {0, -480, 0, -60, 0}, -480.0 / 1440},
                    BiasCase{"StandardTime", {1, 300, 0, -60, 0}, 300.0 / 1440},
                    BiasCase{"StandardTimeWithBias", {1, 300, 10, -60, 0}, 310.0 / 1440},
                    BiasCase{"DaylightTime", {2, 300, 0, -60, 0}, 240.0 / 1440},
                    BiasCase{"DaylightTimeEast", {2, -60, 0, -60, 0}, -120.0 / 1440}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LocalUtcBias, UnknownResultRaisesTheSystemsTextForTheLastError) {
  nettest::ScriptedTimeZone zone;
  nettest::ScriptedLocale locale;
  for (uint32_t result : {3u, 0xFFFFFFFFu}) {
    zone.reading = {result, -480, 0, -60, 87};
    try {
      net::LocalUtcBias(zone, locale);
      ADD_FAILURE() << "no exception for result " << result;
    } catch (const net::EIdException& e) {
      EXPECT_EQ(e.Message(), L"System error 87.");
    }
  }
}

TEST(SntpPacket, BytesAreBigEndianAtTheirOffsets) {
  net::SntpPacket packet;
  packet.liVnMode = 0x1B;
  packet.stratum = 1;
  packet.poll = 2;
  packet.precision = 0xEC;
  packet.rootDelay = 0x01020304;
  packet.rootDispersion = 0x05060708;
  packet.referenceId = 0x4C4F434C;
  packet.reference = {0x11111111, 0x22222222};
  packet.originate = {0x33333333, 0x44444444};
  packet.receive = {0x55555555, 0x66666666};
  packet.transmit = {0xE1B65F80, 0x80000000};
  std::string bytes = packet.ToBytes();
  ASSERT_EQ(bytes.size(), 48u);
  EXPECT_EQ(bytes.substr(0, 16),
            std::string("\x1B\x01\x02\xEC\x01\x02\x03\x04\x05\x06\x07\x08LOCL", 16));
  EXPECT_EQ(bytes.substr(40), std::string("\xE1\xB6\x5F\x80\x80\x00\x00\x00", 8));
  net::SntpPacket back = net::SntpPacket::FromBytes(reinterpret_cast<const uint8_t*>(bytes.data()));
  EXPECT_EQ(back.ToBytes(), bytes);
  EXPECT_EQ(back.originate, packet.originate);
  EXPECT_EQ(back.receive, packet.receive);
}

}  // namespace
