#pragma once
// A clock the end-to-end test driver sets through clock.txt in the script folder:
//   real                              the real clock
//   offset <seconds>                  the real clock shifted (fractional, negative allowed)
//   frozen YYYY-MM-DD HH:MM:SS[.mmm]  a fixed local time
// The file is read again whenever its size or write time changes.
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace platform::scripted {

struct ClockScript {
  enum class Mode { kReal, kOffset, kFrozen };
  Mode mode = Mode::kReal;
  int64_t offsetTicks = 0;  // 100 ns units, for kOffset
  SYSTEMTIME frozenLocal{};
};

// Parses the first line of clock.txt; nullopt when it is none of the three forms.
std::optional<ClockScript> ParseClockScript(std::string_view text);

class ScriptedClock final : public Clock {
 public:
  // scriptDir may be empty: then this is the real clock.
  ScriptedClock(std::wstring scriptDir, Clock& real);
  SystemTime LocalTime() override;
  SystemTime UtcTime() override;

 private:
  ClockScript Current();

  std::wstring path_;
  Clock& real_;
  std::mutex mutex_;
  bool haveStamp_ = false;
  FILETIME stampTime_{};
  DWORD stampSize_ = 0;
  ClockScript script_;
};

}  // namespace platform::scripted
