#pragma once
// The network-time commands' system services: the connectivity check and setting the clock.
#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace platform {

class Internet {
 public:
  virtual ~Internet() = default;
  // InternetCheckConnectionW(url, flags, reserved) != 0.
  virtual bool CheckConnection(const std::wstring& url, uint32_t flags, uint32_t reserved) = 0;
  // SetSystemTime (UTC); false with the system's error code on failure.
  virtual bool SetSystemTime(const SystemTime& utc, uint32_t& error) = 0;
};

}  // namespace platform
