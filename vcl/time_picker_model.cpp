#include "vcl/time_picker_model.h"

#include <algorithm>

namespace vcl {

namespace {

constexpr int kSecondsPerDay = 24 * 3600;

bool IsDigit(wchar_t ch) {
  return ch >= L'0' && ch <= L'9';
}

bool IsColonPosition(int position) {
  return position == 3 || position == 6;
}

// Left and Backspace: the previous digit, skipping a colon, not before 1.
int PreviousDigit(int position) {
  int p = position - 1;
  if (IsColonPosition(p)) --p;
  return std::max(p, 1);
}

// Right and typing: the next digit, skipping a colon, staying at 8.
int NextDigit(int position) {
  int p = position + 1;
  if (IsColonPosition(p)) ++p;
  return std::min(p, TimePickerModel::kTextLength);
}

// The digit made current by the character at a 0-based index (the one to the right of a click
// point or of the caret): past the end the last one, on a colon the digit before it.
int PositionAtIndex(int index) {
  int p = std::clamp(index, 0, TimePickerModel::kTextLength - 1) + 1;
  if (IsColonPosition(p)) --p;
  return p;
}

int ClampBoundary(int boundary) {
  return std::clamp(boundary, 0, TimePickerModel::kTextLength);
}

int TwoDigits(const std::wstring& text, int index) {
  return (text[index] - L'0') * 10 + (text[index + 1] - L'0');
}

void PutTwoDigits(std::wstring& text, int index, int value) {
  text[index] = static_cast<wchar_t>(L'0' + value / 10);
  text[index + 1] = static_cast<wchar_t>(L'0' + value % 10);
}

std::wstring FormatTime(int hours, int minutes, int seconds) {
  std::wstring text = L"00:00:00";
  PutTwoDigits(text, 0, hours);
  PutTwoDigits(text, 3, minutes);
  PutTwoDigits(text, 6, seconds);
  return text;
}

// Blanks trimmed from pasted text: ASCII white space plus the no-break and ideographic spaces
// that text copied from Chinese documents and web pages often carries.
bool IsBlank(wchar_t ch) {
  return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n' || ch == L'\v' || ch == L'\f' ||
         ch == 0x00A0 || ch == 0x3000;
}

}  // namespace

TimePickerModel::TimePickerModel() : text_(L"00:00:00") {
  SetPosition(1);
}

void TimePickerModel::SetPosition(int position) {
  position_ = position;
  anchor_ = position - 1;
  caret_ = position;
}

// The range check: the digit together with the other digit of its field as that stands.
bool TimePickerModel::DigitFits(int position, wchar_t digit) const {
  const int index = position - 1;
  const int fieldStart = index - index % 3;
  std::wstring field = text_.substr(fieldStart, 2);
  field[index - fieldStart] = digit;
  const int value = TwoDigits(field, 0);
  return value <= (fieldStart == 0 ? 23 : 59);
}

PickerOutcome TimePickerModel::WriteDigit(int position, wchar_t digit) {
  const bool changed = text_[position - 1] != digit;
  text_[position - 1] = digit;
  SetPosition(NextDigit(position));
  return {changed, false};
}

PickerOutcome TimePickerModel::ExtendSelection(int caret) {
  caret_ = ClampBoundary(caret);
  position_ = PositionAtIndex(caret_);
  return {};
}

PickerOutcome TimePickerModel::Char(wchar_t ch) {
  if (!IsDigit(ch)) return {};
  if (WholeTextSelected()) {
    // Checked where the position stands, then at position 1 where the digit goes; only the
    // second failure is told to the user.
    if (!DigitFits(position_, ch)) return {};
    if (!DigitFits(1, ch)) return {false, true};
    return WriteDigit(1, ch);
  }
  // A partial selection (made with Shift or the mouse) does not matter: the digit goes to the
  // current position as always.
  if (!DigitFits(position_, ch)) return {};
  return WriteDigit(position_, ch);
}

PickerOutcome TimePickerModel::Key(PickerKey key, bool shift) {
  switch (key) {
    case PickerKey::kLeft:
      if (shift) return ExtendSelection(caret_ - 1);
      SetPosition(PreviousDigit(position_));
      return {};
    case PickerKey::kRight:
      if (shift) return ExtendSelection(caret_ + 1);
      SetPosition(NextDigit(position_));
      return {};
    case PickerKey::kHome:
      if (shift) return ExtendSelection(0);
      SetPosition(1);
      return {};
    case PickerKey::kEnd:
      if (shift) return ExtendSelection(kTextLength);
      SetPosition(kTextLength);
      return {};
    case PickerKey::kDelete:
    case PickerKey::kBackspace: {
      if (WholeTextSelected()) {
        const bool changed = text_ != L"00:00:00";
        text_ = L"00:00:00";
        SetPosition(1);
        return {changed, false};
      }
      // Like typing, a partial selection does not matter: the current digit is cleared.
      const bool changed = text_[position_ - 1] != L'0';
      text_[position_ - 1] = L'0';
      SetPosition(key == PickerKey::kBackspace ? PreviousDigit(position_) : position_);
      return {changed, false};
    }
    case PickerKey::kUp:
      return Step(1);
    case PickerKey::kDown:
      return Step(-1);
  }
  return {};
}

// The text never leaves the HH:MM:SS form here, so the step needs no check of its length.
PickerOutcome TimePickerModel::Step(int delta) {
  if (delta == 0) return {};
  const int start = SelStart();
  const int field = start < 3 ? 0 : start < 6 ? 1 : 2;
  int hours = TwoDigits(text_, 0);
  const int minutes = TwoDigits(text_, 3);
  const int seconds = TwoDigits(text_, 6);
  std::wstring stepped;
  if (field == 0) {
    // Hours wrap on their own; minutes and seconds stay.
    hours = ((hours + delta % 24) % 24 + 24) % 24;
    stepped = FormatTime(hours, minutes, seconds);
  } else {
    // Minutes and seconds carry into the next larger field, which wraps in turn: the same as
    // moving the time of day round the clock.
    const long long unit = field == 1 ? 60 : 1;
    long long total = hours * 3600LL + minutes * 60LL + seconds;
    total = ((total + (delta % kSecondsPerDay) * unit) % kSecondsPerDay + kSecondsPerDay) %
            kSecondsPerDay;
    const int t = static_cast<int>(total);
    stepped = FormatTime(t / 3600, t / 60 % 60, t % 60);
  }
  const bool changed = stepped != text_;
  text_ = stepped;
  position_ = field * 3 + 2;
  anchor_ = field * 3;
  caret_ = field * 3 + 2;
  return {changed, false};
}

PickerOutcome TimePickerModel::Click(int characterIndex) {
  SetPosition(PositionAtIndex(characterIndex));
  return {};
}

PickerOutcome TimePickerModel::SelectRange(int anchor, int caret) {
  anchor_ = ClampBoundary(anchor);
  return ExtendSelection(caret);
}

// The current position stays: it is what the range check of the next typed digit looks at.
PickerOutcome TimePickerModel::SelectAll() {
  anchor_ = 0;
  caret_ = kTextLength;
  return {};
}

PickerOutcome TimePickerModel::FocusGained() {
  focused_ = true;
  return SelectAll();
}

// The selection is kept, as an edit keeps it, for when the focus comes back by a click.
PickerOutcome TimePickerModel::FocusLost() {
  focused_ = false;
  return {};
}

PickerOutcome TimePickerModel::Paste(std::wstring_view clipboardText) {
  std::optional<std::wstring> time = NormaliseTime(clipboardText);
  if (!time) return {false, true};
  const bool changed = *time != text_;
  text_ = std::move(*time);
  SetPosition(1);
  return {changed, false};
}

std::wstring TimePickerModel::Copy() const {
  return text_.substr(SelStart(), SelLength());
}

// With nothing selected there is nothing to cut, as in an ordinary edit: the text stays.
std::wstring TimePickerModel::Cut() {
  std::wstring copied = Copy();
  if (!copied.empty()) Key(PickerKey::kDelete);
  return copied;
}

bool TimePickerModel::SetText(std::wstring_view text) {
  std::optional<std::wstring> time = NormaliseTime(text);
  if (!time) return false;
  text_ = std::move(*time);
  SetPosition(position_);
  return true;
}

std::optional<std::wstring> TimePickerModel::NormaliseTime(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);

  // H or HH, then ":MM", then optionally ":SS"; digits are ASCII only.
  size_t i = 0;
  auto readDigits = [&](size_t count, int& value) {
    value = 0;
    for (size_t k = 0; k < count; ++k, ++i) {
      if (i >= text.size() || !IsDigit(text[i])) return false;
      value = value * 10 + (text[i] - L'0');
    }
    return true;
  };
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
  const size_t hourDigits = text.size() > 1 && IsDigit(text[1]) ? 2 : 1;
  if (!readDigits(hourDigits, hours)) return std::nullopt;
  if (i >= text.size() || text[i++] != L':') return std::nullopt;
  if (!readDigits(2, minutes)) return std::nullopt;
  if (i < text.size()) {
    if (text[i++] != L':') return std::nullopt;
    if (!readDigits(2, seconds)) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  if (hours > 23 || minutes > 59 || seconds > 59) return std::nullopt;
  return FormatTime(hours, minutes, seconds);
}

}  // namespace vcl
