#pragma once
// The text format of external skins (skin/README.md): a header line, then INI-style sections
// named like the skin sections, each with "Key = #RRGGBB" colours and "Key = 12" metrics.
// Keys that a file leaves out keep the wood skin's values.
#include <optional>
#include <string>
#include <string_view>

#include "skin/skin.h"

namespace skin {

// The first line that is neither empty nor a comment.
inline constexpr char kSkinHeader[] = "CountdownSkin 1";

// Reads a skin file (UTF-8, optional BOM, LF or CRLF). Anything it does not fully understand
// (a missing header, an unknown section or key, a key given twice, a malformed value, a metric
// out of its range) makes the file broken: nullopt. The result has no name; the caller gives it
// the name it was looked up by.
std::optional<Skin> ParseSkin(std::string_view text);

// Writes every key of a skin in the same format (ParseSkin reads it back unchanged).
std::string FormatSkin(const Skin& skin);

}  // namespace skin
