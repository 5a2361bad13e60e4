// Checks the strict integer conversion against a second, independently written reading of its
// rules: both must agree on acceptance and on the value, and a refusal must name the whole text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "rtl/exceptions.h"
#include "rtl/format.h"

namespace {

// The rules, read as a grammar over the text: blanks* [sign] (dec+ | prefix hex+), int32 range.
std::optional<int32_t> Reference(const std::wstring& text) {
  std::wstring rest = text.substr(std::min(text.find_first_not_of(L' '), text.size()));
  bool negative = false;
  if (!rest.empty() && (rest[0] == L'+' || rest[0] == L'-')) {
    negative = rest[0] == L'-';
    rest.erase(0, 1);
  }
  std::wstring digits;
  bool hex = false;
  for (const wchar_t* prefix : {L"0x", L"0X", L"$", L"x", L"X"}) {
    const std::wstring p(prefix);
    if (rest.compare(0, p.size(), p) == 0) {
      hex = true;
      digits = rest.substr(p.size());
      break;
    }
  }
  if (!hex) digits = rest;
  if (digits.empty()) return std::nullopt;
  const std::wstring allowed = hex ? L"0123456789abcdefABCDEF" : L"0123456789";
  if (digits.find_first_not_of(allowed) != std::wstring::npos) return std::nullopt;
  // Leading zeros carry no value; more than 10 significant digits never fit.
  const size_t first = digits.find_first_not_of(L'0');
  const std::wstring significant = first == std::wstring::npos ? L"0" : digits.substr(first);
  if (significant.size() > 10) return std::nullopt;
  const std::string narrow(significant.begin(), significant.end());
  long long value = std::strtoll(narrow.c_str(), nullptr, hex ? 16 : 10);
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Bytes map to a small alphabet most of the time so accepted texts are common; the rest pass
  // as raw code units to cover every character.
  static const wchar_t kAlphabet[] = L" +-$xX0123456789aAfFgG:\t";
  std::wstring text;
  for (size_t i = 0; i < size; ++i) {
    const uint8_t b = data[i];
    if (b < 0xC0) {
      text += kAlphabet[b % (sizeof(kAlphabet) / sizeof(wchar_t) - 1)];
    } else if (b < 0xF0 || i + 1 >= size) {
      text += static_cast<wchar_t>(b);
    } else {
      text += static_cast<wchar_t>(0x100 * data[i + 1] + b);
      ++i;
    }
  }
  const std::optional<int32_t> want = Reference(text);
  try {
    const int32_t got = rtl::StrToInt(text);
    if (!want || *want != got) std::abort();
  } catch (const rtl::EConvertError& e) {
    if (want) std::abort();
    if (e.Message() != L"'" + text + L"' is not a valid integer value") std::abort();
  }
  return 0;
}
