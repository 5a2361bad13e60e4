#pragma once
#include <string>
#include <vector>

namespace vcl {

// The letters a menu item may take as its access key, in the order they are handed out from.
inline constexpr wchar_t kAccessKeyLetters[] = L"1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Gives every menu item without an access key ("&x") one. An item whose caption holds a free
// letter or digit takes its first one; otherwise, on a double-byte ANSI code page only, a free
// letter from the end of kAccessKeyLetters is appended in parentheses. Items are served from
// the last one upward, so the last item gets the last letter.
std::vector<std::wstring> AssignAccessKeys(const std::vector<std::wstring>& captions,
                                           bool doubleByteCodePage);

// The caption as the menu shows it: "&&" becomes "&" and a single "&" disappears.
std::wstring StripAccessKeyMarker(const std::wstring& caption);

}  // namespace vcl
