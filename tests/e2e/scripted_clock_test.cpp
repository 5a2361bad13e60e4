// The test exe's scripted clock, seen where the program shows the time: the title bar clock
// "hh:mm:ss--ddd" of every tick. (A frozen clock is covered by countdown_test.cpp.)
#include <cstdlib>

#include "tests/e2e/driver/driver.h"

namespace e2e {
namespace {

using ScriptedClockTest = E2eTest;

// Seconds of the day in a title "hh:mm:ss--ddd"; -1 when the title has another form.
int TitleSeconds(const std::wstring& title) {
  if (title.size() < 10 || title[2] != L':' || title[5] != L':' || title.substr(8, 2) != L"--") {
    return -1;
  }
  int h = _wtoi(title.substr(0, 2).c_str());
  int m = _wtoi(title.substr(3, 2).c_str());
  int s = _wtoi(title.substr(6, 2).c_str());
  return h * 3600 + m * 60 + s;
}

int NowSeconds() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
}

// Distance of two times of day, across midnight.
int DayDistance(int a, int b) {
  int d = std::abs(a - b) % 86400;
  return d > 43200 ? 86400 - d : d;
}

struct OffsetCase {
  const char* name;
  const wchar_t* line;
  int offsetSeconds;
};

class ScriptedOffsetTest : public E2eTest, public ::testing::WithParamInterface<OffsetCase> {};

TEST_P(ScriptedOffsetTest, TitleRunsAtTheRealTimePlusTheOffset) {
  App& app = Launch();
  HWND main = app.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  app.SetClock(GetParam().line);
  // Two readings in a row agree, and both follow the real clock shifted by the offset.
  int lastDistance = -1;
  EXPECT_TRUE(WaitUntil([&] {
    int shown = TitleSeconds(Text(main));
    lastDistance = shown < 0 ? -1 : DayDistance(shown, NowSeconds() + GetParam().offsetSeconds);
    return shown >= 0 && lastDistance <= 2;
  })) << "title "
      << Utf8(Text(main)) << ", " << lastDistance << " s off";
}

const OffsetCase kOffsets[] = {
    {"Real", L"real", 0},
    {"TwoHoursBack", L"offset -7200", -7200},
    {"FractionalForward", L"offset 5430.75", 5430},
};

INSTANTIATE_TEST_SUITE_P(Lines, ScriptedOffsetTest, ::testing::ValuesIn(kOffsets),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScriptedClockTest, UnreadableScriptIsRecordedAndTheRealClockRuns) {
  LaunchOptions options;
  options.clock = L"frozen yesterday";
  App& app = Launch(options);
  HWND main = app.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return !app.CallsLog().empty(); }));
  EXPECT_EQ(app.CallsLog(), std::vector<std::wstring>{L"clock.txt unreadable: frozen yesterday"});
  EXPECT_TRUE(WaitUntil([&] {
    int shown = TitleSeconds(Text(main));
    return shown >= 0 && DayDistance(shown, NowSeconds()) <= 2;
  })) << "title "
      << Utf8(Text(main));
}

}  // namespace
}  // namespace e2e
