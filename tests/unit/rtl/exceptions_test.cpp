#include "rtl/exceptions.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ErrorBoxText, FullStopOnlyAfterCharactersSortingAfterIt) {
  struct Case {
    std::wstring message;
    std::wstring want;
  };
  const Case cases[] = {
      {L"'8 ' is not a valid integer value", L"'8 ' is not a valid integer value."},
      {L"Host not found.", L"Host not found."},         // "." itself: nothing added
      {L"ends with a slash/", L"ends with a slash/."},  // "/" is the next character after "."
      {L"ends with a comma,", L"ends with a comma,"},
      {L"ends with a dash-", L"ends with a dash-"},
      {L"ends with a space ", L"ends with a space "},
      {L"ends with a bracket)", L"ends with a bracket)"},
      {L"digits 0", L"digits 0."},
      {L"校验本机时间完毕！", L"校验本机时间完毕！."},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.want, rtl::ErrorBoxText(c.message));
}

TEST(Exception, KeepsMessageAndRendersUtf8ForDiagnostics) {
  try {
    throw rtl::EConvertError(L"'ab' 不是 valid");
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(L"'ab' 不是 valid", e.Message());
    EXPECT_STREQ("'ab' \xE4\xB8\x8D\xE6\x98\xAF valid", e.what());
  }
  // A lone surrogate still gives valid UTF-8 (U+FFFD) instead of broken bytes.
  const std::wstring lone(1, static_cast<wchar_t>(0xD800));
  EXPECT_STREQ("x\xEF\xBF\xBD", rtl::Exception(L"x" + lone).what());
}

}  // namespace
