#include "vcl/time_picker_model.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vcl::PickerKey;
using vcl::PickerOutcome;
using vcl::TimePickerModel;

// One input to the model; a case runs a short list of them.
struct Input {
  enum Kind {
    kType,
    kKey,
    kShiftKey,
    kStep,
    kClick,
    kDrag,
    kSelectAll,
    kFocus,
    kBlur,
    kPaste,
    kCopy,
    kCut
  };
  Kind kind;
  std::wstring text{};  // kType: the characters; kPaste: the clipboard text
  PickerKey key = PickerKey::kLeft;
  int a = 0;  // kStep: delta; kClick: character index; kDrag: anchor
  int b = 0;  // kDrag: caret
};

Input Type(std::wstring chars) {
  return {Input::kType, std::move(chars)};
}
Input Press(PickerKey key) {
  return {Input::kKey, L"", key};
}
Input ShiftPress(PickerKey key) {
  return {Input::kShiftKey, L"", key};
}
Input Spin(int delta) {
  return {Input::kStep, L"", PickerKey::kLeft, delta};
}
Input ClickAt(int index) {
  return {Input::kClick, L"", PickerKey::kLeft, index};
}
Input Drag(int anchor, int caret) {
  return {Input::kDrag, L"", PickerKey::kLeft, anchor, caret};
}
Input PasteText(std::wstring text) {
  return {Input::kPaste, std::move(text)};
}
const Input kSelectAll{Input::kSelectAll};
const Input kFocus{Input::kFocus};
const Input kBlur{Input::kBlur};
const Input kCopy{Input::kCopy};
const Input kCut{Input::kCut};

const PickerKey kLeft = PickerKey::kLeft;
const PickerKey kRight = PickerKey::kRight;
const PickerKey kHome = PickerKey::kHome;
const PickerKey kEnd = PickerKey::kEnd;
const PickerKey kDelete = PickerKey::kDelete;
const PickerKey kBackspace = PickerKey::kBackspace;
const PickerKey kUp = PickerKey::kUp;
const PickerKey kDown = PickerKey::kDown;

// How the selection stands before the inputs: the current character (as after a click), or the
// whole text (as after the field was entered by Tab).
enum class Sel { kCurrent, kWhole };

struct Case {
  const char* name;
  std::wstring text;
  int position;
  Sel sel;
  std::vector<Input> inputs;
  std::wstring wantText;
  int wantPosition;
  int wantSelStart;
  int wantSelLength;
  bool wantBeep;              // any input of the case asked for the beep
  std::wstring wantCopied{};  // what Copy and Cut returned, joined
};

std::ostream& operator<<(std::ostream& os, const Case& c) {
  return os << c.name;
}

const std::wstring kFull = L"12:34:56";

// clang-format off
const Case kCases[] = {
  // name, start text, position, selection, inputs,
  //   -> text, position, selection start, selection length, beep
  // Typing and the range check.
  {"TypedDigitsFillFromPosition1", L"00:00:00", 1, Sel::kCurrent, {Type(L"123045")},
    L"12:30:45", 8, 7, 1, false},
  {"DigitAtPosition8StaysThere", L"12:30:45", 8, Sel::kCurrent, {Type(L"9")},
    L"12:30:49", 8, 7, 1, false},
  {"DigitAtPosition2MovesPastColon", L"00:00:00", 2, Sel::kCurrent, {Type(L"5")},
    L"05:00:00", 4, 3, 1, false},
  {"SixToNineDroppedAtPosition4", L"00:00:00", 4, Sel::kCurrent, {Type(L"6789")},
    L"00:00:00", 4, 3, 1, false},
  {"SixToNineDroppedAtPosition7", L"00:00:00", 7, Sel::kCurrent, {Type(L"6789")},
    L"00:00:00", 7, 6, 1, false},
  {"TwoDroppedBeforeNineHours", L"09:00:00", 1, Sel::kCurrent, {Type(L"2")},
    L"09:00:00", 1, 0, 1, false},
  {"OneAcceptedBeforeNineHours", L"09:00:00", 1, Sel::kCurrent, {Type(L"1")},
    L"19:00:00", 2, 1, 1, false},
  {"HoursSecondDigitAtMost3After2", L"20:00:00", 2, Sel::kCurrent, {Type(L"4"), Type(L"3")},
    L"23:00:00", 4, 3, 1, false},
  {"MinutesSecondDigitTakesAny", L"00:50:00", 5, Sel::kCurrent, {Type(L"9")},
    L"00:59:00", 7, 6, 1, false},
  {"SecondsTensUpTo5", L"00:00:00", 7, Sel::kCurrent, {Type(L"5")},
    L"00:00:50", 8, 7, 1, false},
  {"PrintableNonDigitsDropped", kFull, 4, Sel::kCurrent,
    {Type(L"a :\r.+-\x3000\xFF11\x0663")}, kFull, 4, 3, 1, false},
  {"ControlCharactersDropped", kFull, 4, Sel::kCurrent,
    {Type(std::wstring(L"\x1B\x01\x03\x08\x09\x0A\x16\x18\x7F\x85\0", 11))},
    kFull, 4, 3, 1, false},
  {"SurrogatesDropped", kFull, 4, Sel::kCurrent, {Type(L"\xD83D\xDE00")},
    kFull, 4, 3, 1, false},

  // Typing while the whole text is selected: checked at the position, then at position 1.
  {"WholeSelectedDigitGoesToPosition1", L"00:00:00", 1, Sel::kWhole, {Type(L"1")},
    L"10:00:00", 2, 1, 1, false},
  {"WholeSelectedFromSecondsGoesToPosition1", kFull, 7, Sel::kWhole, {Type(L"2")},
    L"22:34:56", 2, 1, 1, false},
  {"WholeSelectedFailingFirstCheckIsSilent", kFull, 4, Sel::kWhole, {Type(L"7")},
    kFull, 4, 0, 8, false},
  {"WholeSelectedFailingOnlySecondCheckBeeps", kFull, 4, Sel::kWhole, {Type(L"5")},
    kFull, 4, 0, 8, true},
  {"WholeSelectedAtPosition1FailingIsSilent", L"09:00:00", 1, Sel::kWhole, {Type(L"2")},
    L"09:00:00", 1, 0, 8, false},
  {"WholeSelectedNonDigitKeepsSelection", kFull, 4, Sel::kWhole, {Type(L"x\x1B")},
    kFull, 4, 0, 8, false},

  // Moving.
  {"LeftSkipsColon", kFull, 4, Sel::kCurrent, {Press(kLeft)}, kFull, 2, 1, 1, false},
  {"LeftFrom7", kFull, 7, Sel::kCurrent, {Press(kLeft)}, kFull, 5, 4, 1, false},
  {"LeftStopsAt1", kFull, 1, Sel::kCurrent, {Press(kLeft)}, kFull, 1, 0, 1, false},
  {"RightSkipsColon", kFull, 5, Sel::kCurrent, {Press(kRight)}, kFull, 7, 6, 1, false},
  {"RightStopsAt8", kFull, 8, Sel::kCurrent, {Press(kRight)}, kFull, 8, 7, 1, false},
  {"RightWalksEveryDigit", kFull, 1, Sel::kCurrent,
    {Press(kRight), Press(kRight), Press(kRight), Press(kRight)}, kFull, 7, 6, 1, false},
  {"HomeGoesTo1", kFull, 5, Sel::kCurrent, {Press(kHome)}, kFull, 1, 0, 1, false},
  {"EndGoesTo8", kFull, 2, Sel::kCurrent, {Press(kEnd)}, kFull, 8, 7, 1, false},
  {"LeftWithWholeSelectedMovesFromPosition", kFull, 4, Sel::kWhole, {Press(kLeft)},
    kFull, 2, 1, 1, false},
  {"EndWithWholeSelected", kFull, 1, Sel::kWhole, {Press(kEnd)}, kFull, 8, 7, 1, false},

  // Delete and Backspace.
  {"DeleteWritesZeroAndStays", kFull, 5, Sel::kCurrent, {Press(kDelete)},
    L"12:30:56", 5, 4, 1, false},
  {"DeleteOnZeroChangesNothing", L"10:00:00", 2, Sel::kCurrent, {Press(kDelete)},
    L"10:00:00", 2, 1, 1, false},
  {"BackspaceWritesZeroAndMovesLeft", kFull, 4, Sel::kCurrent, {Press(kBackspace)},
    L"12:04:56", 2, 1, 1, false},
  {"BackspaceAt1StaysAt1", kFull, 1, Sel::kCurrent, {Press(kBackspace)},
    L"02:34:56", 1, 0, 1, false},
  {"DeleteWithWholeSelectedClears", kFull, 5, Sel::kWhole, {Press(kDelete)},
    L"00:00:00", 1, 0, 1, false},
  {"BackspaceWithWholeSelectedClears", kFull, 8, Sel::kWhole, {Press(kBackspace)},
    L"00:00:00", 1, 0, 1, false},

  // Shift selects as in an edit; the caret starts at the end of the current character.
  {"ShiftRightOverColon", kFull, 1, Sel::kCurrent, {ShiftPress(kRight), ShiftPress(kRight)},
    kFull, 4, 0, 3, false},
  {"ShiftRightOntoColonKeepsDigitBefore", kFull, 1, Sel::kCurrent, {ShiftPress(kRight)},
    kFull, 2, 0, 2, false},
  {"ShiftLeftFirstEmptiesThenSelectsBack", kFull, 5, Sel::kCurrent,
    {ShiftPress(kLeft), ShiftPress(kLeft)}, kFull, 4, 3, 1, false},
  {"ShiftLeftStopsAtStart", kFull, 1, Sel::kCurrent, {ShiftPress(kLeft), ShiftPress(kLeft)},
    kFull, 1, 0, 0, false},
  {"ShiftHomeSelectsToStart", kFull, 5, Sel::kCurrent, {ShiftPress(kHome)},
    kFull, 1, 0, 4, false},
  {"ShiftEndSelectsToEnd", kFull, 4, Sel::kCurrent, {ShiftPress(kEnd)}, kFull, 8, 3, 5, false},
  {"ShiftEndFrom1SelectsAllAndDeleteClears", kFull, 1, Sel::kCurrent,
    {ShiftPress(kEnd), Press(kDelete)}, L"00:00:00", 1, 0, 1, false},
  {"ShiftEndFrom1SelectsAllAndTypingUsesWholeRule", kFull, 1, Sel::kCurrent,
    {ShiftPress(kEnd), Type(L"3")}, kFull, 8, 0, 8, true},
  {"ShiftSelectionThenDigitTypesAtPosition", kFull, 4, Sel::kCurrent,
    {ShiftPress(kRight), Type(L"7")}, L"12:37:56", 7, 6, 1, false},
  {"ShiftSelectionThenDeleteClearsCurrentDigit", kFull, 1, Sel::kCurrent,
    {ShiftPress(kRight), ShiftPress(kRight), Press(kDelete)}, L"12:04:56", 4, 3, 1, false},
  {"PlainArrowEndsShiftSelection", kFull, 1, Sel::kCurrent,
    {ShiftPress(kRight), ShiftPress(kRight), Press(kRight)}, kFull, 5, 4, 1, false},
  {"ShiftWithWholeSelectedMovesCaretFromEnd", kFull, 1, Sel::kWhole, {ShiftPress(kLeft)},
    kFull, 8, 0, 7, false},

  // Stepping.
  {"HoursDownWrapsTo23", L"00:00:00", 1, Sel::kCurrent, {Press(kDown)},
    L"23:00:00", 2, 0, 2, false},
  {"HoursUpWrapsTo0AndLeavesTheRest", L"23:15:30", 2, Sel::kCurrent, {Press(kUp)},
    L"00:15:30", 2, 0, 2, false},
  {"SecondsDownBorrowsThroughEveryField", L"00:00:00", 8, Sel::kCurrent, {Press(kDown)},
    L"23:59:59", 8, 6, 2, false},
  {"MinutesUpCarriesIntoHours", L"00:59:00", 4, Sel::kCurrent, {Press(kUp)},
    L"01:00:00", 5, 3, 2, false},
  {"MinutesDownBorrowsFromHours", L"05:00:30", 5, Sel::kCurrent, {Press(kDown)},
    L"04:59:30", 5, 3, 2, false},
  {"MinutesUpWrapsTheDay", L"23:59:10", 4, Sel::kCurrent, {Press(kUp)},
    L"00:00:10", 5, 3, 2, false},
  {"SecondsUpCarriesTwice", L"00:59:59", 7, Sel::kCurrent, {Spin(1)},
    L"01:00:00", 8, 6, 2, false},
  {"SpinUpAtEndOfDay", L"23:59:59", 7, Sel::kCurrent, {Spin(1)}, L"00:00:00", 8, 6, 2, false},
  {"SpinDownAtStartOfDay", L"00:00:00", 8, Sel::kCurrent, {Spin(-1)},
    L"23:59:59", 8, 6, 2, false},
  {"RepeatedStepsStayOnField", L"00:00:58", 8, Sel::kCurrent, {Spin(1), Spin(1), Spin(1)},
    L"00:01:01", 8, 6, 2, false},
  {"WholeSelectedStepsHours", kFull, 8, Sel::kWhole, {Press(kUp)}, L"13:34:56", 2, 0, 2, false},
  {"FieldChosenBySelectionStartNotPosition", kFull, 1, Sel::kCurrent, {Drag(2, 7), Press(kUp)},
    L"13:34:56", 2, 0, 2, false},
  {"SixthCharacterChoosesMinutes", kFull, 1, Sel::kCurrent, {Drag(5, 8), Press(kUp)},
    L"12:35:56", 5, 3, 2, false},
  {"EmptySelectionAtEndChoosesSeconds", kFull, 8, Sel::kCurrent,
    {Drag(8, 8), Press(kDown)}, L"12:34:55", 8, 6, 2, false},
  {"TypingAfterStepGoesToSecondDigit", L"00:00:00", 1, Sel::kCurrent, {Press(kUp), Type(L"3")},
    L"03:00:00", 4, 3, 1, false},

  // Clicks and mouse selection.
  {"ClickOnDigit", kFull, 1, Sel::kCurrent, {ClickAt(4)}, kFull, 5, 4, 1, false},
  {"ClickOnColonTakesDigitBefore", kFull, 1, Sel::kCurrent, {ClickAt(5)}, kFull, 5, 4, 1, false},
  {"ClickPastEndTakes8", kFull, 1, Sel::kCurrent, {ClickAt(8)}, kFull, 8, 7, 1, false},
  {"ClickFarPastEndTakes8", kFull, 1, Sel::kCurrent, {ClickAt(1000)}, kFull, 8, 7, 1, false},
  {"ClickBeforeStartTakes1", kFull, 5, Sel::kCurrent, {ClickAt(-3)}, kFull, 1, 0, 1, false},
  {"ClickEndsWholeSelection", kFull, 1, Sel::kWhole, {ClickAt(6)}, kFull, 7, 6, 1, false},
  {"DragRightToLeft", kFull, 1, Sel::kCurrent, {Drag(7, 3)}, kFull, 4, 3, 4, false},
  {"DragIsClamped", kFull, 1, Sel::kCurrent, {Drag(-5, 99)}, kFull, 8, 0, 8, false},

  // Focus.
  {"FocusSelectsWholeTextKeepingPosition", kFull, 5, Sel::kCurrent, {kBlur, kFocus},
    kFull, 5, 0, 8, false},
  {"FocusLostKeepsSelection", kFull, 5, Sel::kCurrent, {ShiftPress(kHome), kBlur},
    kFull, 1, 0, 4, false},
  {"SelectAllKeepsPosition", kFull, 7, Sel::kCurrent, {kSelectAll}, kFull, 7, 0, 8, false},

  // Paste: a time of day or nothing.
  {"PasteFullTime", kFull, 5, Sel::kCurrent, {PasteText(L"07:08:09")},
    L"07:08:09", 1, 0, 1, false},
  {"PasteSingleDigitHourWithSeconds", kFull, 5, Sel::kCurrent, {PasteText(L"7:05:09")},
    L"07:05:09", 1, 0, 1, false},
  {"PasteWithoutSeconds", kFull, 8, Sel::kWhole, {PasteText(L"23:59")},
    L"23:59:00", 1, 0, 1, false},
  {"PasteSingleDigitHourWithoutSeconds", kFull, 2, Sel::kCurrent, {PasteText(L"0:00")},
    L"00:00:00", 1, 0, 1, false},
  {"PasteTrimsBlanks", kFull, 2, Sel::kCurrent, {PasteText(L" \t\x3000" L"8:30\xA0\r\n")},
    L"08:30:00", 1, 0, 1, false},
  {"PasteOfSameTextStillMovesTo1", kFull, 8, Sel::kCurrent, {PasteText(kFull)},
    kFull, 1, 0, 1, false},
  {"PasteHours24Refused", kFull, 5, Sel::kCurrent, {PasteText(L"24:00:00")},
    kFull, 5, 4, 1, true},
  {"PasteMinutes60Refused", kFull, 5, Sel::kCurrent, {PasteText(L"12:60:00")},
    kFull, 5, 4, 1, true},
  {"PasteSeconds60Refused", kFull, 5, Sel::kCurrent, {PasteText(L"12:00:60")},
    kFull, 5, 4, 1, true},
  {"PasteRefusedKeepsWholeSelection", kFull, 5, Sel::kWhole, {PasteText(L"hello")},
    kFull, 5, 0, 8, true},
  {"PasteEmptyRefused", kFull, 5, Sel::kCurrent, {PasteText(L"")}, kFull, 5, 4, 1, true},
  {"PasteBlanksOnlyRefused", kFull, 5, Sel::kCurrent, {PasteText(L"  \r\n")},
    kFull, 5, 4, 1, true},
  {"PasteOfOddFormsRefused", kFull, 5, Sel::kCurrent,
    {PasteText(L"1:2:3"), PasteText(L"12:3"), PasteText(L"12:30:"), PasteText(L"123:00:00"),
     PasteText(L"12:30:45:00"), PasteText(L"12.30.45"), PasteText(L"12 : 30"),
     PasteText(L"+1:00"), PasteText(L"-1:00"), PasteText(L"12:30:45x"), PasteText(L":30"),
     PasteText(L"\xFF11\xFF12:30"), PasteText(std::wstring(L"12:30\0", 6)),
     PasteText(L"12:30:4 5"), PasteText(L"0012:30")},
    kFull, 5, 4, 1, true},

  // Copy and Cut.
  {"CopyCurrentCharacter", kFull, 4, Sel::kCurrent, {kCopy}, kFull, 4, 3, 1, false, L"3"},
  {"CopyWholeText", kFull, 4, Sel::kWhole, {kCopy}, kFull, 4, 0, 8, false, kFull},
  {"CopySteppedField", kFull, 4, Sel::kCurrent, {Press(kUp), kCopy},
    L"12:35:56", 5, 3, 2, false, L"35"},
  {"CopyShiftSelection", kFull, 2, Sel::kCurrent, {ShiftPress(kEnd), kCopy},
    kFull, 8, 1, 7, false, L"2:34:56"},
  {"CutCurrentCharacterWritesZero", kFull, 5, Sel::kCurrent, {kCut},
    L"12:30:56", 5, 4, 1, false, L"4"},
  {"CutWholeTextClears", kFull, 5, Sel::kWhole, {kCut}, L"00:00:00", 1, 0, 1, false, kFull},
  {"CutEmptySelectionDoesNothing", kFull, 5, Sel::kCurrent, {ShiftPress(kLeft), kCut},
    kFull, 5, 4, 0, false, L""},
};
// clang-format on

class PickerCase : public testing::TestWithParam<Case> {};

TEST_P(PickerCase, Runs) {
  const Case& c = GetParam();
  TimePickerModel m;
  ASSERT_TRUE(m.SetText(c.text));
  m.FocusGained();
  m.Click(c.position - 1);
  if (c.sel == Sel::kWhole) {
    m.FocusLost();
    m.FocusGained();
  }
  ASSERT_EQ(m.Position(), c.position);

  bool beeped = false;
  std::wstring copied;
  auto apply = [&](PickerOutcome outcome, const std::wstring& before) {
    beeped = beeped || outcome.beep;
    EXPECT_EQ(outcome.textChanged, m.Text() != before) << "textChanged misreported";
    if (outcome.beep) {
      EXPECT_EQ(m.Text(), before) << "a refused input changed the text";
    }
  };
  for (const Input& in : c.inputs) {
    const std::wstring before = m.Text();
    switch (in.kind) {
      case Input::kType:
        for (wchar_t ch : in.text) {
          const std::wstring beforeChar = m.Text();
          apply(m.Char(ch), beforeChar);
        }
        break;
      case Input::kKey:
        apply(m.Key(in.key), before);
        break;
      case Input::kShiftKey:
        apply(m.Key(in.key, true), before);
        break;
      case Input::kStep:
        apply(m.Step(in.a), before);
        break;
      case Input::kClick:
        apply(m.Click(in.a), before);
        break;
      case Input::kDrag:
        apply(m.SelectRange(in.a, in.b), before);
        break;
      case Input::kSelectAll:
        apply(m.SelectAll(), before);
        break;
      case Input::kFocus:
        apply(m.FocusGained(), before);
        break;
      case Input::kBlur:
        apply(m.FocusLost(), before);
        break;
      case Input::kPaste:
        apply(m.Paste(in.text), before);
        break;
      case Input::kCopy:
        copied += m.Copy();
        break;
      case Input::kCut:
        copied += m.Cut();
        break;
    }
  }
  EXPECT_EQ(m.Text(), c.wantText);
  EXPECT_EQ(m.Position(), c.wantPosition);
  EXPECT_EQ(m.SelStart(), c.wantSelStart);
  EXPECT_EQ(m.SelLength(), c.wantSelLength);
  EXPECT_EQ(beeped, c.wantBeep);
  EXPECT_EQ(copied, c.wantCopied);
}

INSTANTIATE_TEST_SUITE_P(TimePickerModel, PickerCase, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(TimePickerModelTest, StartsAtMidnightWithFirstDigitSelectedAndNoFocus) {
  TimePickerModel m;
  EXPECT_EQ(m.Text(), L"00:00:00");
  EXPECT_EQ(m.Position(), 1);
  EXPECT_EQ(m.SelStart(), 0);
  EXPECT_EQ(m.SelLength(), 1);
  EXPECT_FALSE(m.Focused());
  m.FocusGained();
  EXPECT_TRUE(m.Focused());
  EXPECT_TRUE(m.WholeTextSelected());
  m.FocusLost();
  EXPECT_FALSE(m.Focused());
}

TEST(TimePickerModelTest, SetTextTakesTimesAndRefusesTheRest) {
  TimePickerModel m;
  m.Click(6);
  EXPECT_TRUE(m.SetText(L"9:15"));
  EXPECT_EQ(m.Text(), L"09:15:00");
  EXPECT_EQ(m.Position(), 7);
  EXPECT_EQ(m.SelStart(), 6);
  EXPECT_EQ(m.SelLength(), 1);
  for (const wchar_t* bad : {L"25:00:00", L"", L"abc", L"12:34:5"}) {
    EXPECT_FALSE(m.SetText(bad)) << bad;
    EXPECT_EQ(m.Text(), L"09:15:00");
  }
}

TEST(TimePickerModelTest, NormaliseTimeReadsEveryAcceptedForm) {
  EXPECT_EQ(TimePickerModel::NormaliseTime(L"0:00"), L"00:00:00");
  EXPECT_EQ(TimePickerModel::NormaliseTime(L"9:59:59"), L"09:59:59");
  EXPECT_EQ(TimePickerModel::NormaliseTime(L"23:59:59"), L"23:59:59");
  EXPECT_EQ(TimePickerModel::NormaliseTime(L"\n05:06\t"), L"05:06:00");
  EXPECT_EQ(TimePickerModel::NormaliseTime(L"5:6"), std::nullopt);
  EXPECT_EQ(TimePickerModel::NormaliseTime(L"99:00"), std::nullopt);
}

// A step and the opposite step come back to the same text, for every field and start time:
// the carry and the wrap-around undo each other.
TEST(TimePickerModelTest, StepUpThenDownRestoresEveryTime) {
  for (int t = 0; t < 24 * 3600; t += 997) {
    wchar_t buf[9];
    std::swprintf(buf, 9, L"%02d:%02d:%02d", t / 3600, t / 60 % 60, t % 60);
    for (int index : {0, 3, 6}) {
      TimePickerModel m;
      ASSERT_TRUE(m.SetText(buf));
      m.Click(index);
      m.Step(1);
      m.Step(-1);
      EXPECT_EQ(m.Text(), buf) << "field at " << index;
    }
  }
}

}  // namespace
