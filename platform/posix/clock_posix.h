#pragma once
// This machine's clock and time zone, for native programs that talk to a real time server
// (the real-server test, the query benchmark). Unit tests use scripted clocks instead.
#include "platform/clock.h"

namespace platform::posix {

class PosixClock final : public Clock {
 public:
  SystemTime LocalTime() override;
  SystemTime UtcTime() override;
};

// Reports the offset in force now as a zone without daylight-saving rules (result 0).
class PosixTimeZone final : public TimeZone {
 public:
  TimeZoneReading Read() override;
};

}  // namespace platform::posix
