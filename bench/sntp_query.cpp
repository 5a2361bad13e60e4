// One SNTP query per run: sntp_query HOST [PORT]. Prints the server's time (UTC), the offset and
// the round-trip delay; exits 1 when no usable reply came, 2 on a failure.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "net/id_sntp.h"
#include "platform/posix/clock_posix.h"
#include "platform/udp.h"
#include "rtl/exceptions.h"

namespace {

class PlainLocale final : public platform::Locale {
 public:
  rtl::FormatSettings ReadFormatSettings() override { return {}; }
  uint32_t AnsiCodePage() override { return 65001; }
  bool IsDoubleByteCodePage() override { return false; }
  std::wstring SystemErrorText(uint32_t code) override {
    return L"system error " + std::to_wstring(code);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s HOST [PORT]\n", argv[0]);
    return 2;
  }
  platform::posix::PosixClock clock;
  platform::posix::PosixTimeZone zone;
  PlainLocale locale;
  net::TIdSNTP client(platform::SystemUdp(), clock, zone, locale);
  client.Host = std::wstring(argv[1], argv[1] + std::string(argv[1]).size());
  if (argc > 2) client.Port = std::atoi(argv[2]);
  try {
    net::SntpSample sample = client.Exchange();
    if (!sample.usable) {
      std::puts("no usable reply");
      return 1;
    }
    rtl::DateTimeParts t = rtl::SplitDateTime(net::NtpTimestampToUtc(sample.serverTransmit));
    std::printf("%04d-%02d-%02d %02d:%02d:%02d.%03d UTC offset %+.6f s delay %.6f s\n", t.year,
                t.month, t.day, t.hour, t.minute, t.second, t.millisecond, sample.offset,
                sample.delay);
    return 0;
  } catch (const rtl::Exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 2;
  }
}
