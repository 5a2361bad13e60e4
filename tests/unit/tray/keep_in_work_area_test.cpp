// "显示" places the window at 807, 436 with 248 x 111 where that lies wholly inside a work
// area, and otherwise at the nearest place inside the work area of the monitor nearest to it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/app/form_fixture.h"
#include "vcl/screen.h"

namespace {

using vcl::TMonitorInfo;
using vcl::TRect;

constexpr TRect kFixed{807, 436, 248, 111};

// A monitor with a taskbar of `taskbar` pixels along its bottom edge.
TMonitorInfo Monitor(int left, int top, int width, int height, int taskbar = 30) {
  return {{left, top, width, height}, {left, top, width, height - taskbar}};
}

struct Placement {
  const char* name;
  std::vector<TMonitorInfo> monitors;
  TRect wanted;
  TRect placed;
};

const Placement kPlacements[] = {
    {"FitsOnFullHd", {Monitor(0, 0, 1920, 1080)}, kFixed, kFixed},
    {"FitsExactlyToTheEdges", {Monitor(0, 0, 1055, 577)}, kFixed, kFixed},
    {"OnePixelTooNarrow", {Monitor(0, 0, 1054, 577)}, kFixed, {806, 436, 248, 111}},
    {"OnePixelTooLow", {Monitor(0, 0, 1055, 576)}, kFixed, {807, 435, 248, 111}},
    {"Desktop800x600", {Monitor(0, 0, 800, 600)}, kFixed, {552, 436, 248, 111}},
    {"Desktop1024x700", {Monitor(0, 0, 1024, 700)}, kFixed, {776, 436, 248, 111}},
    {"Desktop640x480", {Monitor(0, 0, 640, 480)}, kFixed, {392, 339, 248, 111}},
    // A taskbar at the top or the left moves the work area's origin.
    {"TaskbarOnTop", {{{0, 0, 800, 600}, {0, 40, 800, 560}}}, kFixed, {552, 436, 248, 111}},
    {"TaskbarAtTheLeft",
     {{{0, 0, 800, 600}, {60, 0, 740, 600}}},
     {10, 10, 248, 111},
     {60, 10, 248, 111}},
    // Smaller than the window: the top-left corner, with the caption, stays inside.
    {"WorkAreaSmallerThanTheWindow", {Monitor(0, 0, 200, 100)}, kFixed, {0, 0, 248, 111}},
    // Inside a second monitor's work area: used as it is.
    {"OnTheSecondMonitor", {Monitor(0, 0, 800, 600), Monitor(800, 0, 1280, 1024)}, kFixed, kFixed},
    // Across two monitors: into the work area of the monitor that holds the corner.
    {"AcrossTwoMonitors",
     {Monitor(0, 0, 1000, 768), Monitor(1000, 0, 1000, 768)},
     kFixed,
     {752, 436, 248, 111}},
    // Below a low monitor beside a high one: the low monitor is the nearer.
    {"InTheGapBelowALowMonitor",
     {Monitor(0, 0, 1920, 1080), Monitor(-800, 0, 800, 400)},
     {-500, 500, 248, 111},
     {-500, 259, 248, 111}},
    {"InTheGapNearerTheHighMonitor",
     {Monitor(0, 0, 1920, 1080), Monitor(-800, 0, 800, 400)},
     {-50, 900, 248, 111},
     {0, 900, 248, 111}},
    {"LeftOfEveryMonitor", {Monitor(0, 0, 800, 600)}, {-1000, 100, 248, 111}, {0, 100, 248, 111}},
    // A stale work area reaching past its monitor (after the display shrank) counts only
    // within the monitor.
    {"StaleWorkAreaPastTheMonitor",
     {{{0, 0, 800, 480}, {0, 0, 1024, 680}}},
     kFixed,
     {552, 369, 248, 111}},
    {"StaleWorkAreaOutsideTheMonitor",
     {{{0, 0, 800, 600}, {900, 0, 100, 100}}},
     kFixed,
     {552, 436, 248, 111}},
    {"NoMonitorsKnown", {}, kFixed, kFixed},
};

class KeepInWorkAreaTest : public ::testing::TestWithParam<Placement> {};

TEST_P(KeepInWorkAreaTest, Places) {
  EXPECT_EQ(vcl::KeepInWorkArea(GetParam().wanted, GetParam().monitors), GetParam().placed);
}

INSTANTIATE_TEST_SUITE_P(Table, KeepInWorkAreaTest, ::testing::ValuesIn(kPlacements),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NearestMonitorTest, ByContainmentThenDistance) {
  const std::vector<TMonitorInfo> monitors{Monitor(0, 0, 800, 600), Monitor(800, 0, 800, 600),
                                           Monitor(0, 600, 800, 600)};
  EXPECT_EQ(vcl::NearestMonitor(monitors, {799, 599}), 0);
  EXPECT_EQ(vcl::NearestMonitor(monitors, {800, 0}), 1);
  EXPECT_EQ(vcl::NearestMonitor(monitors, {10, 600}), 2);
  EXPECT_EQ(vcl::NearestMonitor(monitors, {2000, 100}), 1);
  EXPECT_EQ(vcl::NearestMonitor(monitors, {100, 5000}), 2);
  // Equally far from two: the first listed (the primary comes first) wins.
  EXPECT_EQ(vcl::NearestMonitor(monitors, {900, 700}), 1);
  EXPECT_EQ(vcl::NearestMonitor({}, {0, 0}), -1);
}

// The handler asks the monitors at the moment it runs.
class ShowCommandTest : public app::testing::FormTest {};

TEST_F(ShowCommandTest, ShowsTheWindowInsideASmallDesktop) {
  backend_->shell.monitors = {Monitor(0, 0, 800, 600)};
  form_->N3->Click();
  EXPECT_EQ(backend_->shell.formOuterBounds, (TRect{552, 436, 248, 111}));
  backend_->shell.monitors = {Monitor(0, 0, 1280, 1024)};
  form_->N3->Click();
  EXPECT_EQ(backend_->shell.formOuterBounds, kFixed);
  EXPECT_EQ(backend_->shell.calls.back(), L"ShowWindow Form1 SW_RESTORE");
}

}  // namespace
