#include "vcl/access_keys.h"

namespace vcl {
namespace {

int LetterIndex(wchar_t ch) {
  const wchar_t upper = (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - L'a' + L'A') : ch;
  for (int i = 0; kAccessKeyLetters[i] != 0; ++i) {
    if (kAccessKeyLetters[i] == upper) return i;
  }
  return -1;
}

// The index of the character marked with "&", or -1.
int MarkedLetter(const std::wstring& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] == L'&') {
      ++i;  // "&&" is a literal ampersand
      continue;
    }
    return LetterIndex(caption[i + 1]);
  }
  return -2;
}

}  // namespace

std::vector<std::wstring> AssignAccessKeys(const std::vector<std::wstring>& captions,
                                           bool doubleByteCodePage) {
  constexpr int kLetterCount = static_cast<int>(sizeof(kAccessKeyLetters) / sizeof(wchar_t)) - 1;
  std::vector<bool> used(kLetterCount, false);
  std::vector<std::wstring> result = captions;
  std::vector<bool> needsKey(captions.size(), false);
  for (size_t i = 0; i < captions.size(); ++i) {
    const int marked = MarkedLetter(captions[i]);
    if (marked >= 0) used[marked] = true;
    // Separators and empty captions take no key.
    needsKey[i] = marked == -2 && !captions[i].empty() && captions[i] != L"-";
  }
  // First the items that hold a free letter take their first one, from the top down.
  for (size_t n = 0; n < captions.size(); ++n) {
    if (!needsKey[n]) continue;
    std::wstring& caption = result[n];
    for (size_t i = 0; i < caption.size(); ++i) {
      const int index = LetterIndex(caption[i]);
      if (index >= 0 && !used[index]) {
        used[index] = true;
        caption.insert(i, 1, L'&');
        needsKey[n] = false;
        break;
      }
    }
  }
  // Then, on a double-byte code page, the rest get a letter from the end of the list, handed
  // out from the last item upward.
  for (size_t n = captions.size(); doubleByteCodePage && n-- > 0;) {
    if (!needsKey[n]) continue;
    for (int index = kLetterCount - 1; index >= 0; --index) {
      if (!used[index]) {
        used[index] = true;
        result[n] += L"(&";
        result[n] += kAccessKeyLetters[index];
        result[n] += L')';
        break;
      }
    }
  }
  return result;
}

std::wstring StripAccessKeyMarker(const std::wstring& caption) {
  std::wstring shown;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&' && i + 1 < caption.size()) {
      ++i;
    }
    shown += caption[i];
  }
  return shown;
}

}  // namespace vcl
