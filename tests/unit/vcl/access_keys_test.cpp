#include "vcl/access_keys.h"

#include <gtest/gtest.h>

namespace vcl {
namespace {

struct AccessKeyCase {
  const char* name;
  std::vector<std::wstring> captions;
  bool doubleByte;
  std::vector<std::wstring> expected;
  // Names the case in test listings instead of dumping its bytes.
  friend void PrintTo(const AccessKeyCase& c, std::ostream* os) { *os << c.name; }
};

class AccessKeysTest : public ::testing::TestWithParam<AccessKeyCase> {};

TEST_P(AccessKeysTest, Assigns) {
  EXPECT_EQ(AssignAccessKeys(GetParam().captions, GetParam().doubleByte), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Menus, AccessKeysTest,
    ::testing::Values(
        AccessKeyCase{"WindowMenuOnCodePage936",
                      {L"获取网络时间", L"校正本机时间", L"退出"},
                      true,
                      {L"获取网络时间(&X)", L"校正本机时间(&Y)", L"退出(&Z)"}},
        AccessKeyCase{
            "TrayMenuOnCodePage936", {L"显示", L"退出"}, true, {L"显示(&Y)", L"退出(&Z)"}},
        AccessKeyCase{"SingleByteCodePageAddsNothingToChinese",
                      {L"显示", L"退出"},
                      false,
                      {L"显示", L"退出"}},
        AccessKeyCase{"LettersOfTheCaptionComeFirst",
                      {L"Open", L"Options", L"退出"},
                      true,
                      {L"&Open", L"O&ptions", L"退出(&Z)"}},
        AccessKeyCase{"ExistingKeyIsKeptAndReserved",
                      {L"显示(&Z)", L"退出"},
                      true,
                      {L"显示(&Z)", L"退出(&Y)"}},
        AccessKeyCase{"LiteralAmpersandIsNoKey", {L"A&&B", L"-"}, false, {L"&A&&B", L"-"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StripAccessKeyMarker, ShowsTheCaptionAsTheMenuDoes) {
  EXPECT_EQ(StripAccessKeyMarker(L"退出(&Z)"), L"退出(Z)");
  EXPECT_EQ(StripAccessKeyMarker(L"A&&B"), L"A&B");
  EXPECT_EQ(StripAccessKeyMarker(L"plain"), L"plain");
}

}  // namespace
}  // namespace vcl
