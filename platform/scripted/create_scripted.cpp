// The test exe's services: Windows itself, except what the end-to-end driver scripts through
// the script folder (tests/e2e/README.md).
#include "platform/scripted/clock_scripted.h"
#include "platform/scripted/internet_scripted.h"
#include "platform/scripted/power_scripted.h"
#include "platform/scripted/record.h"
#include "platform/services.h"
#include "platform/win32/real_services.h"

namespace platform {

Services& ProcessServices() {
  static Services services = [] {
    Services s = win32::RealServices();
    static scripted::ScriptedClock clock(scripted::ScriptDir(), *s.clock);
    s.clock = &clock;
    s.power = &scripted::RecordingPower();
    s.internet = &scripted::ScriptedInternet();
    s.udp = &scripted::RedirectedUdp(*s.udp);
    return s;
  }();
  return services;
}

}  // namespace platform
