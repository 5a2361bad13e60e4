// The network-time commands of the right-click menu: 获取网络时间 shows the server's time in
// Beijing time, 校正本机时间 sets the system clock from it.
#include <optional>

#include "app/unit1.h"
#include "net/id_sntp.h"
#include "platform/internet.h"
#include "vcl/application.h"

namespace app {
namespace {

constexpr uint32_t kFlagIccForceConnection = 1;  // FLAG_ICC_FORCE_CONNECTION
constexpr double kSecondsPerDay = 86400.0;
// Beijing time is UTC+8 all year round (no daylight saving).
constexpr double kBeijingShift = 8.0 / 24.0;

// The start both commands share: the connectivity check, then one exchange with the time
// server. Nothing when the check fails or no usable reply came; the user has then been told.
// Exceptions of the exchange (socket errors) go on to the error box.
std::optional<net::SntpSample> QueryTimeServer(platform::Services& services, net::TIdSNTP& sntp) {
  if (!services.internet->CheckConnection(ProbeUrl, kFlagIccForceConnection, 0)) {
    vcl::Application().ShowMessage(L"没有网络");
    return std::nullopt;
  }
  sntp.Host = TimeServerHost;
  sntp.Port = kTimeServerPort;
  const net::SntpSample sample = sntp.Exchange();
  // No reply, or one the server marked unusable, is no time: never shown, never set.
  if (!sample.usable) {
    vcl::Application().ShowMessage(L"获取网络时间失败");
    return std::nullopt;
  }
  return sample;
}

}  // namespace

// The server's transmit time is UTC; Beijing time is that plus 8 hours, whatever the computer's
// own time zone.
void TForm1::N1Click(TObject*) {
  const std::optional<net::SntpSample> sample = QueryTimeServer(services_, *IdSNTP1);
  if (!sample) return;
  const rtl::TDateTime beijing = net::NtpTimestampToUtc(sample->serverTransmit) + kBeijingShift;
  vcl::Application().ShowMessage(L"现在北京时间：" + rtl::DateTimeToStr(beijing, formatSettings_));
}

void TForm1::N2Click(TObject*) {
  const std::optional<net::SntpSample> sample = QueryTimeServer(services_, *IdSNTP1);
  if (!sample) return;
  // The offset (compensated for the round trip) is what the clock lacks, and it holds for as long
  // as the clock runs: the clock read right before the setting plus the offset is the server's
  // time now. T4 + offset would be the server's time when the reply came, and would leave the
  // clock behind by whatever passed since. SystemTime carries milliseconds, rounded here.
  const rtl::TDateTime now = platform::ToDateTime(services_.clock->UtcTime());
  const platform::SystemTime utc = platform::FromDateTime(now + sample->offset / kSecondsPerDay);
  uint32_t error = 0;
  if (!services_.internet->SetSystemTime(utc, error)) {
    vcl::Application().ShowError(L"校正本机时间失败：" + services_.locale->SystemErrorText(error));
    return;
  }
  vcl::Application().ShowMessage(L"校验本机时间完毕！");
}

}  // namespace app
