#pragma once
// The time picker's spin buttons as pure rules: where the text area and the two buttons sit in
// the field, which of them a point hits, and when a held button steps. The win32 control feeds
// its mouse messages and timer ticks in and carries out the returned actions.

namespace vcl {

// The buttons' width in layout pixels (the form's scale applies, as to the field itself).
inline constexpr int kSpinButtonWidth = 18;
// A held button steps first after this long, then at every repeat interval until released.
inline constexpr unsigned kSpinFirstRepeatMs = 400;
inline constexpr unsigned kSpinRepeatMs = 100;

// A rectangle in the field's client coordinates, right and bottom exclusive.
struct PickerRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const PickerRect&) const = default;
};

// The field's client area split into the text and the button column at its right end, up
// above down.
struct PickerLayout {
  PickerRect text;
  PickerRect up;
  PickerRect down;
  // Both buttons together.
  PickerRect Buttons() const { return {up.left, up.top, down.right, down.bottom}; }
};

// Lays the field out in a client area of clientWidth x clientHeight with buttons spinWidth
// wide. A field narrower than the buttons is all buttons; the upper button takes the smaller
// half of an odd height.
PickerLayout LayOutPicker(int clientWidth, int clientHeight, int spinWidth);

enum class SpinPart { kNone, kText, kUp, kDown };

// What a point in the field's client coordinates hits; kNone outside the client area.
SpinPart HitTestPicker(const PickerLayout& layout, int x, int y);

// The step a button makes: +1 for up, -1 for down, 0 for anything else.
int SpinDelta(SpinPart part);

// One spin button held down, from the press to the release. The button steps once when it is
// released over itself; held, it also steps when the first delay has passed and then at every
// repeat interval, but only while the pointer is over it (moved off, it pauses; back on, it
// goes on).
class SpinRepeat {
 public:
  // What the control does after an event.
  struct Action {
    int step = 0;          // step the picker by this (+1, -1), or not at all (0)
    unsigned timerMs = 0;  // (re)start the repeat timer with this interval; 0: leave it
    bool stopTimer = false;
    bool operator==(const Action&) const = default;
  };

  // The left button pressed over `part`; anything but kUp and kDown, or a press while one is
  // held, does nothing.
  Action Press(SpinPart part);
  // The pointer moved; it is over `part` now.
  void Move(SpinPart over);
  // The repeat timer fired.
  Action Timer();
  // The left button released over `over`.
  Action Release(SpinPart over);
  // The press ended without a release (capture taken away, window going): no step.
  Action Cancel();

  // The button held down (kNone when none is).
  SpinPart Held() const { return held_; }
  // Whether the held button shows pressed: the pointer is over it.
  bool ShowsPressed() const { return held_ != SpinPart::kNone && over_; }

 private:
  SpinPart held_ = SpinPart::kNone;
  bool over_ = false;
  bool repeating_ = false;  // the first delay has passed
};

}  // namespace vcl
