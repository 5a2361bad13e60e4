#pragma once
// The user's locale settings as Windows gives them for the thread's locale.
#include "platform/locale.h"

namespace platform {

// The process's one Windows locale reader (a function-local static).
Locale& Win32Locale();

}  // namespace platform
