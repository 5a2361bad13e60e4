#include <gtest/gtest.h>

#include <string>

#include "rtl/exceptions.h"
#include "rtl/format.h"

namespace {

TEST(StrToInt, AcceptedTexts) {
  struct Case {
    std::wstring text;
    int32_t want;
  };
  const Case cases[] = {
      {L"08", 8},  // a leading zero is not octal
      {L" 8", 8},
      {L"+8", 8},
      {L"-1", -1},
      {L"$A", 10},
      {L"xA", 10},
      {L"XA", 10},
      {L"0xA", 10},
      {L"0XA", 10},
      {L"$a", 10},
      {L"0x1f", 31},
      {L"-$A", -10},
      {L"+0x10", 16},
      {L"   -08", -8},
      {L"0", 0},
      {L"00", 0},
      {L"-0", 0},
      {L"0000000000000000000042", 42},
      {L"2147483647", 2147483647},
      {L"-2147483648", INT32_MIN},
      {L"$7FFFFFFF", 2147483647},
      {L"-$80000000", INT32_MIN},
      {L"$000000000001", 1},
  };
  for (const auto& c : cases) {
    try {
      EXPECT_EQ(c.want, rtl::StrToInt(c.text)) << std::string(c.text.begin(), c.text.end());
    } catch (const rtl::Exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

TEST(StrToInt, RefusedTextsNameTheWholeText) {
  const std::wstring cases[] = {
      L"8 ",
      L"ab",
      L"1:",
      L"",
      L"   ",
      L"$",
      L"0x",
      L"+",
      L"-",
      L"x",
      L"+ 8",
      L"--1",
      L"+-1",
      L"1 2",
      L"\t8",
      L"8\n",
      L"$g",
      L"0x0x1",
      L"$$1",
      L"1e3",
      L"0b1",
      L"1.0",
      L"\x0668",  // Arabic-Indic digit 8
      L"\xFF18",  // fullwidth 8
      L"2147483648",
      L"-2147483649",
      L"$80000000",
      L"$FFFFFFFF",
      L"-$80000001",
      L"99999999999999999999999",
      L"$FFFFFFFFFFFFFFFFF",
  };
  for (const auto& text : cases) {
    try {
      const int32_t value = rtl::StrToInt(text);
      ADD_FAILURE() << "accepted '" << std::string(text.begin(), text.end()) << "' as " << value;
    } catch (const rtl::EConvertError& e) {
      EXPECT_EQ(L"'" + text + L"' is not a valid integer value", e.Message());
    }
  }
}

TEST(IntToStr, DecimalWithoutLeadingZeros) {
  EXPECT_EQ(L"0", rtl::IntToStr(0));
  EXPECT_EQ(L"125", rtl::IntToStr(125));
  EXPECT_EQ(L"-1", rtl::IntToStr(-1));
  EXPECT_EQ(L"-9223372036854775808", rtl::IntToStr(INT64_MIN));
}

}  // namespace
