#pragma once
#include <string>

namespace rtl {

// UTF-8 of a wide text (UTF-16 on Windows, UTF-32 elsewhere); a lone surrogate or an invalid
// code point becomes U+FFFD, so the result is always valid UTF-8.
std::string ToUtf8(const std::wstring& text);

}  // namespace rtl
