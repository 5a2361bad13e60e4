#pragma once
#include <cstdint>
#include <string>

#include "rtl/format.h"

namespace platform {

class Locale {
 public:
  virtual ~Locale() = default;
  // The thread locale's weekday names, separators and date/time formats.
  virtual rtl::FormatSettings ReadFormatSettings() = 0;
  // The ANSI code page (GetACP); 936 and the other double-byte ones get menu access letters.
  virtual uint32_t AnsiCodePage() = 0;
  // Whether the code page is a double-byte one (it has lead bytes).
  virtual bool IsDoubleByteCodePage() = 0;
  // The system's text for an error code (FormatMessageW), without the trailing line break.
  virtual std::wstring SystemErrorText(uint32_t code) = 0;
};

}  // namespace platform
