#pragma once
#include "platform/power.h"

namespace platform::scripted {

// Records every call in calls.log instead of making it, so no test ends a session. When the
// script folder holds exitwindows-fails.txt, ExitWindowsEx fails with ERROR_PRIVILEGE_NOT_HELD.
Power& RecordingPower();

}  // namespace platform::scripted
