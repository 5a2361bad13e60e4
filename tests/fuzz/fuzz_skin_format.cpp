// External skin files come from whatever sits beside the exe: reading one never crashes, and a
// file that is taken reads back the same after being written out again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "skin/skin_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<skin::Skin> skin = skin::ParseSkin(text);
  if (!skin) return 0;
  const std::string written = skin::FormatSkin(*skin);
  const std::optional<skin::Skin> again = skin::ParseSkin(written);
  if (!again || skin::FormatSkin(*again) != written) __builtin_trap();
  return 0;
}
