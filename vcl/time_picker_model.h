#pragma once
// The editing model of the time picker: its text, current position, selection and focus, and
// every rule by which keys, characters, clicks, spin buttons and the clipboard change them. It
// knows nothing of windows: the control feeds it inputs, copies its state back into the edit
// field, and turns a reported beep into MessageBeep(MB_OK).
#include <optional>
#include <string>
#include <string_view>

namespace vcl {

// The keys the picker handles itself (WM_KEYDOWN). Everything else reaches it as a character.
enum class PickerKey { kLeft, kRight, kHome, kEnd, kDelete, kBackspace, kUp, kDown };

// What an input did, for the control: redraw / notify when the text changed, beep when asked.
struct PickerOutcome {
  bool textChanged = false;
  bool beep = false;
};

class TimePickerModel {
 public:
  // The text always has this form: HH:MM:SS with hours 00-23 and minutes, seconds 00-59.
  static constexpr int kTextLength = 8;

  TimePickerModel();

  const std::wstring& Text() const { return text_; }
  // 1-based character position of the current digit: 1, 2, 4, 5, 7 or 8.
  int Position() const { return position_; }
  // The selection as an edit control holds it: 0-based start and length in characters.
  int SelStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
  int SelLength() const { return anchor_ < caret_ ? caret_ - anchor_ : anchor_ - caret_; }
  // The end of the selection that Shift with the arrow keys moves (where the edit's caret is).
  int Caret() const { return caret_; }
  bool Focused() const { return focused_; }
  // However it came about: focus, Select All, a drag or Shift+Home / Shift+End over everything.
  bool WholeTextSelected() const { return SelStart() == 0 && SelLength() == kTextLength; }

  // A character from WM_CHAR. Only the digits 0-9 can enter the text; anything else, control
  // characters included, is dropped without a sound. Backspace comes in as a key (its WM_CHAR
  // 0x08 is dropped here like the other control characters).
  PickerOutcome Char(wchar_t ch);
  // Left, Right, Home, End move the current position (from where it stands, also while the whole
  // text is selected); with shift they move the caret and extend the selection as an ordinary
  // edit does, and the current position follows the caret as a click would. A selection that is
  // not the whole text changes nothing for the other keys and for typing: they act on the current
  // position. Shift makes no difference to the other keys.
  PickerOutcome Key(PickerKey key, bool shift = false);
  // A spin-button press or Up (+1) / Down (-1): steps the field where the selection starts. A
  // spin button pressed while the field lacks the focus: the control calls FocusGained first.
  PickerOutcome Step(int delta);
  // A click without dragging; characterIndex is the 0-based index of the character to the right
  // of the click point (kTextLength or more for a click past the end).
  PickerOutcome Click(int characterIndex);
  // A mouse drag from character boundary `anchor` to `caret` (0 to kTextLength).
  PickerOutcome SelectRange(int anchor, int caret);
  // The edit menu's "Select All" (EM_SETSEL 0, -1).
  PickerOutcome SelectAll();
  PickerOutcome FocusGained();
  PickerOutcome FocusLost();
  // Ctrl+V, Shift+Insert, the menu's Paste: taken only when it reads as a time of day.
  PickerOutcome Paste(std::wstring_view clipboardText);
  // Ctrl+C, Ctrl+Insert, the menu's Copy: the selected text (empty for an empty selection).
  std::wstring Copy() const;
  // Ctrl+X, Shift+Delete, the menu's Cut: a copy followed by Delete. Never beeps. With nothing
  // selected it copies nothing and changes nothing; the control then leaves the clipboard alone.
  std::wstring Cut();
  // A programmatic set. Takes the forms that Paste takes; returns false and changes nothing
  // for any other text. The current position stays and its character is selected.
  bool SetText(std::wstring_view text);

  // Reads a time of day written H:MM:SS, HH:MM:SS, H:MM or HH:MM (seconds 00), with blanks
  // around it ignored, and returns it as HH:MM:SS; nothing for any other text.
  static std::optional<std::wstring> NormaliseTime(std::wstring_view text);

 private:
  void SetPosition(int position);
  bool DigitFits(int position, wchar_t digit) const;
  PickerOutcome WriteDigit(int position, wchar_t digit);
  PickerOutcome ExtendSelection(int caret);

  std::wstring text_;
  int position_ = 1;
  // Selection as anchor and caret boundaries (0 to kTextLength); equal for an empty selection.
  int anchor_ = 0;
  int caret_ = 1;
  bool focused_ = false;
};

}  // namespace vcl
