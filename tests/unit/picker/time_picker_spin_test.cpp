#include "vcl/time_picker_spin.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using vcl::HitTestPicker;
using vcl::LayOutPicker;
using vcl::PickerRect;
using vcl::SpinPart;
using vcl::SpinRepeat;

// ---- layout and hit-testing ----------------------------------------------------------------

TEST(PickerLayout, ButtonsSitInsideTheRightEndUpAboveDown) {
  const struct {
    const char* name;
    int width, height, spin;
    PickerRect text, up, down;
  } cases[] = {
      // The field at 96 DPI: 105 x 21 with a 2-pixel client edge leaves 101 x 17.
      {"96 dpi", 101, 17, 18, {0, 0, 83, 17}, {83, 0, 101, 8}, {83, 8, 101, 17}},
      {"even height", 101, 18, 18, {0, 0, 83, 18}, {83, 0, 101, 9}, {83, 9, 101, 18}},
      {"144 dpi", 153, 27, 27, {0, 0, 126, 27}, {126, 0, 153, 13}, {126, 13, 153, 27}},
      {"narrower than the buttons", 10, 17, 18, {0, 0, 0, 17}, {0, 0, 10, 8}, {0, 8, 10, 17}},
      {"no buttons", 50, 17, 0, {0, 0, 50, 17}, {50, 0, 50, 8}, {50, 8, 50, 17}},
      {"empty", 0, 0, 18, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const vcl::PickerLayout layout = LayOutPicker(c.width, c.height, c.spin);
    EXPECT_EQ(layout.text, c.text) << c.name;
    EXPECT_EQ(layout.up, c.up) << c.name;
    EXPECT_EQ(layout.down, c.down) << c.name;
    // The parts tile the client area: the text ends where the buttons begin.
    EXPECT_EQ(layout.text.right, layout.up.left) << c.name;
    EXPECT_EQ(layout.up.bottom, layout.down.top) << c.name;
    EXPECT_EQ(layout.Buttons().Width(), std::min(c.spin, c.width)) << c.name;
  }
}

TEST(PickerLayout, HitTestFindsTheTextAndEachButtonUpToTheirEdges) {
  const vcl::PickerLayout layout = LayOutPicker(101, 17, 18);
  const struct {
    int x, y;
    SpinPart part;
  } cases[] = {
      {0, 0, SpinPart::kText},   {82, 16, SpinPart::kText},  {40, 8, SpinPart::kText},
      {83, 0, SpinPart::kUp},    {100, 7, SpinPart::kUp},    {92, 3, SpinPart::kUp},
      {83, 8, SpinPart::kDown},  {100, 16, SpinPart::kDown}, {92, 12, SpinPart::kDown},
      {101, 4, SpinPart::kNone}, {92, 17, SpinPart::kNone},  {-1, 5, SpinPart::kNone},
      {50, -1, SpinPart::kNone}, {92, -3, SpinPart::kNone},  {200, 200, SpinPart::kNone},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HitTestPicker(layout, c.x, c.y), c.part) << c.x << "," << c.y;
  }
}

TEST(PickerLayout, OnlyTheButtonsStep) {
  EXPECT_EQ(vcl::SpinDelta(SpinPart::kUp), 1);
  EXPECT_EQ(vcl::SpinDelta(SpinPart::kDown), -1);
  EXPECT_EQ(vcl::SpinDelta(SpinPart::kText), 0);
  EXPECT_EQ(vcl::SpinDelta(SpinPart::kNone), 0);
}

// ---- the held button -----------------------------------------------------------------------

// Mouse events at given times; the simulated timer fires as the returned actions arm it, the
// way SetTimer does (arming again restarts the period, KillTimer stops it).
struct Event {
  unsigned at;  // ms after the start
  enum Kind { kPress, kMove, kRelease, kCancel } kind;
  SpinPart part = SpinPart::kUp;
};

struct SimulatedRun {
  std::vector<unsigned> stepTimes;
  int total = 0;  // sum of the steps
  bool timerLeftRunning = false;
};

SimulatedRun Simulate(const std::vector<Event>& events) {
  SpinRepeat repeat;
  SimulatedRun run;
  std::optional<unsigned> nextTick;
  unsigned period = 0;
  auto apply = [&](const SpinRepeat::Action& action, unsigned now) {
    if (action.step != 0) {
      run.stepTimes.push_back(now);
      run.total += action.step;
    }
    if (action.stopTimer) nextTick.reset();
    if (action.timerMs != 0) {
      period = action.timerMs;
      nextTick = now + period;
    }
  };
  for (const Event& e : events) {
    while (nextTick && *nextTick <= e.at) {
      const unsigned now = *nextTick;
      nextTick = now + period;
      apply(repeat.Timer(), now);
    }
    switch (e.kind) {
      case Event::kPress:
        apply(repeat.Press(e.part), e.at);
        break;
      case Event::kMove:
        repeat.Move(e.part);
        break;
      case Event::kRelease:
        apply(repeat.Release(e.part), e.at);
        break;
      case Event::kCancel:
        apply(repeat.Cancel(), e.at);
        break;
    }
  }
  run.timerLeftRunning = nextTick.has_value();
  return run;
}

TEST(SpinRepeat, StepsOnReleaseAndWhileHeldAfter400ThenEvery100Ms) {
  using E = Event;
  const SpinPart up = SpinPart::kUp, down = SpinPart::kDown, text = SpinPart::kText;
  const struct {
    const char* name;
    std::vector<Event> events;
    std::vector<unsigned> stepTimes;
    int total;
  } cases[] = {
      {"a click steps once on release", {{0, E::kPress, up}, {80, E::kRelease, up}}, {80}, 1},
      {"down steps down", {{0, E::kPress, down}, {80, E::kRelease, down}}, {80}, -1},
      {"released just before the first delay",
       {{0, E::kPress, up}, {399, E::kRelease, up}},
       {399},
       1},
      {"held to the first delay", {{0, E::kPress, up}, {450, E::kRelease, up}}, {400, 450}, 2},
      {"held a second",
       {{0, E::kPress, down}, {1000, E::kRelease, down}},
       {400, 500, 600, 700, 800, 900, 1000, 1000},
       -8},
      {"released off the button: no step on release",
       {{0, E::kPress, up}, {50, E::kMove, text}, {60, E::kRelease, text}},
       {},
       0},
      {"released over the other button: no step",
       {{0, E::kPress, up}, {50, E::kMove, down}, {60, E::kRelease, down}},
       {},
       0},
      {"moved off and back before the release",
       {{0, E::kPress, up},
        {50, E::kMove, SpinPart::kNone},
        {70, E::kMove, up},
        {90, E::kRelease, up}},
       {90},
       1},
      {"held, paused off the button, resumed on it",
       {{0, E::kPress, up}, {550, E::kMove, text}, {750, E::kMove, up}, {850, E::kRelease, up}},
       {400, 500, 800, 850},
       4},
      {"a press on the text area is not a button",
       {{0, E::kPress, text}, {500, E::kRelease, text}},
       {},
       0},
      {"capture lost while held: no further step",
       {{0, E::kPress, up}, {420, E::kCancel, up}, {900, E::kRelease, up}},
       {400},
       1},
      {"a second press while held is ignored",
       {{0, E::kPress, up}, {30, E::kPress, down}, {60, E::kRelease, up}},
       {60},
       1},
      {"two clicks step twice",
       {{0, E::kPress, up}, {50, E::kRelease, up}, {100, E::kPress, up}, {150, E::kRelease, up}},
       {50, 150},
       2},
  };
  for (const auto& c : cases) {
    const SimulatedRun run = Simulate(c.events);
    EXPECT_EQ(run.stepTimes, c.stepTimes) << c.name;
    EXPECT_EQ(run.total, c.total) << c.name;
    EXPECT_FALSE(run.timerLeftRunning) << c.name;
  }
}

TEST(SpinRepeat, ShowsPressedOnlyWhileThePointerIsOverTheHeldButton) {
  SpinRepeat repeat;
  EXPECT_EQ(repeat.Held(), SpinPart::kNone);
  EXPECT_FALSE(repeat.ShowsPressed());
  EXPECT_EQ(repeat.Press(SpinPart::kDown).timerMs, vcl::kSpinFirstRepeatMs);
  EXPECT_EQ(repeat.Held(), SpinPart::kDown);
  EXPECT_TRUE(repeat.ShowsPressed());
  repeat.Move(SpinPart::kUp);
  EXPECT_FALSE(repeat.ShowsPressed());
  EXPECT_EQ(repeat.Held(), SpinPart::kDown);
  repeat.Move(SpinPart::kDown);
  EXPECT_TRUE(repeat.ShowsPressed());
  EXPECT_TRUE(repeat.Release(SpinPart::kDown).stopTimer);
  EXPECT_EQ(repeat.Held(), SpinPart::kNone);
  EXPECT_FALSE(repeat.ShowsPressed());
  // A tick that was already queued when the button came up stops the timer and steps nothing.
  EXPECT_EQ(repeat.Timer(), (SpinRepeat::Action{0, 0, true}));
  EXPECT_EQ(repeat.Release(SpinPart::kDown), SpinRepeat::Action{});
  EXPECT_EQ(repeat.Cancel(), SpinRepeat::Action{});
}

}  // namespace
