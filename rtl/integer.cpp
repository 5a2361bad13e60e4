#include <cstdint>
#include <string>

#include "rtl/exceptions.h"
#include "rtl/format.h"

namespace rtl {

namespace {

int DigitValue(wchar_t c, int base) {
  int value = -1;
  if (c >= L'0' && c <= L'9') {
    value = c - L'0';
  } else if (c >= L'a' && c <= L'f') {
    value = c - L'a' + 10;
  } else if (c >= L'A' && c <= L'F') {
    value = c - L'A' + 10;
  }
  return value < base ? value : -1;
}

}  // namespace

// Both bases must give a value within int32 once the sign is applied ("$80000000" fails,
// "-$80000000" is the smallest int32); hexadecimal digits are a magnitude, not a bit pattern.
int32_t StrToInt(const std::wstring& text) {
  auto fail = [&text]() -> int32_t {
    throw EConvertError(L"'" + text + L"' is not a valid integer value");
  };
  size_t i = 0;
  while (i < text.size() && text[i] == L' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && (text[i] == L'$' || text[i] == L'x' || text[i] == L'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == L'0' &&
             (text[i + 1] == L'x' || text[i + 1] == L'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return fail();
  const int64_t limit = negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) return fail();
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return fail();
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

std::wstring IntToStr(int64_t value) {
  return std::to_wstring(value);
}

}  // namespace rtl
