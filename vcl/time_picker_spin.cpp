#include "vcl/time_picker_spin.h"

#include <algorithm>

namespace vcl {

PickerLayout LayOutPicker(int clientWidth, int clientHeight, int spinWidth) {
  const int width = std::max(clientWidth, 0);
  const int height = std::max(clientHeight, 0);
  const int buttonsLeft = std::max(width - std::max(spinWidth, 0), 0);
  const int middle = height / 2;
  PickerLayout layout;
  layout.text = {0, 0, buttonsLeft, height};
  layout.up = {buttonsLeft, 0, width, middle};
  layout.down = {buttonsLeft, middle, width, height};
  return layout;
}

SpinPart HitTestPicker(const PickerLayout& layout, int x, int y) {
  if (layout.up.Contains(x, y)) return SpinPart::kUp;
  if (layout.down.Contains(x, y)) return SpinPart::kDown;
  if (layout.text.Contains(x, y)) return SpinPart::kText;
  return SpinPart::kNone;
}

int SpinDelta(SpinPart part) {
  switch (part) {
    case SpinPart::kUp:
      return 1;
    case SpinPart::kDown:
      return -1;
    default:
      return 0;
  }
}

SpinRepeat::Action SpinRepeat::Press(SpinPart part) {
  if (held_ != SpinPart::kNone || SpinDelta(part) == 0) return {};
  held_ = part;
  over_ = true;
  repeating_ = false;
  return {0, kSpinFirstRepeatMs, false};
}

void SpinRepeat::Move(SpinPart over) {
  if (held_ != SpinPart::kNone) over_ = over == held_;
}

SpinRepeat::Action SpinRepeat::Timer() {
  if (held_ == SpinPart::kNone) return {0, 0, true};  // a tick left over from a release
  Action action;
  if (over_) action.step = SpinDelta(held_);
  if (!repeating_) {
    repeating_ = true;
    action.timerMs = kSpinRepeatMs;
  }
  return action;
}

SpinRepeat::Action SpinRepeat::Release(SpinPart over) {
  if (held_ == SpinPart::kNone) return {};
  const int step = over == held_ ? SpinDelta(held_) : 0;
  held_ = SpinPart::kNone;
  over_ = false;
  repeating_ = false;
  return {step, 0, true};
}

SpinRepeat::Action SpinRepeat::Cancel() {
  if (held_ == SpinPart::kNone) return {};
  held_ = SpinPart::kNone;
  over_ = false;
  repeating_ = false;
  return {0, 0, true};
}

}  // namespace vcl
