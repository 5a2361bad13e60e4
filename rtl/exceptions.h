#pragma once
// Exception types of the program. Every message is UTF-16 text shown as is by the error box.
#include <exception>
#include <string>

namespace rtl {

class Exception : public std::exception {
 public:
  explicit Exception(std::wstring message);
  const std::wstring& Message() const noexcept { return message_; }
  // ASCII rendering for diagnostics only; the UI always uses Message().
  const char* what() const noexcept override { return narrow_.c_str(); }

 private:
  std::wstring message_;
  std::string narrow_;
};

// Failed integer or date-time conversion.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// The error box's text: a full stop is appended when the last character sorts after ".".
std::wstring ErrorBoxText(const std::wstring& message);

}  // namespace rtl
