#pragma once
#include "platform/internet.h"

namespace platform::win32 {

// WinInet's connectivity check and kernel32's SetSystemTime.
Internet& Win32Internet();

}  // namespace platform::win32
