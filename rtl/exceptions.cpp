#include "rtl/exceptions.h"

#include "rtl/utf8.h"

#include <cstdint>
#include <utility>

namespace rtl {

Exception::Exception(std::wstring message)
    : message_(std::move(message)), narrow_(ToUtf8(message_)) {}

// The last character is compared as a UTF-16 code unit; a character outside the BMP ends in a
// low surrogate, which sorts after "." just as its code point does, so UTF-32 gives the same.
std::wstring ErrorBoxText(const std::wstring& message) {
  if (!message.empty() && static_cast<uint32_t>(message.back()) > static_cast<uint32_t>(L'.')) {
    return message + L'.';
  }
  return message;
}

}  // namespace rtl
