#pragma once
// Windows' own services, as one set: the shipped exe uses it as it is, the test exe replaces the
// ones it scripts.
#include "platform/services.h"

namespace platform::win32 {

// Every real service this platform has; the objects live for the whole process.
Services RealServices();

}  // namespace platform::win32
