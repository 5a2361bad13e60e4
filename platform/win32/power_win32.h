#pragma once
#include "platform/power.h"

namespace platform::win32 {

Power& Win32Power();

}  // namespace platform::win32
