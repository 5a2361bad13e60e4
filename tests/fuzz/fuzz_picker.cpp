// Random sequences of keys, characters, clicks, drags, spin presses, focus changes and clipboard
// commands fed to the time picker's model. After every step the text must still read HH:MM:SS
// with valid fields, the position must be on a digit and the selection inside the text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "vcl/time_picker_model.h"

namespace {

using vcl::PickerKey;
using vcl::PickerOutcome;
using vcl::TimePickerModel;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return pos_ >= size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  wchar_t Wide() {
    const unsigned lo = Byte();
    return static_cast<wchar_t>(lo | static_cast<unsigned>(Byte()) << 8);
  }
  int Small() { return static_cast<int8_t>(Byte()); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

[[noreturn]] void Fail(const char* what, const TimePickerModel& m) {
  std::fprintf(stderr, "picker invariant broken: %s\ntext:", what);
  for (wchar_t ch : m.Text()) std::fprintf(stderr, " %04x", static_cast<unsigned>(ch));
  std::fprintf(stderr, "\nposition %d, selection %d+%d, caret %d\n", m.Position(), m.SelStart(),
               m.SelLength(), m.Caret());
  std::abort();
}

#define CHECK(cond)              \
  do {                           \
    if (!(cond)) Fail(#cond, m); \
  } while (false)

int Field(const std::wstring& t, int i) {
  return (t[i] - L'0') * 10 + (t[i + 1] - L'0');
}

bool WellFormed(const std::wstring& t) {
  if (t.size() != 8 || t[2] != L':' || t[5] != L':') return false;
  for (int i : {0, 1, 3, 4, 6, 7}) {
    if (t[i] < L'0' || t[i] > L'9') return false;
  }
  return Field(t, 0) <= 23 && Field(t, 3) <= 59 && Field(t, 6) <= 59;
}

// Short clipboard texts, mostly from the characters a time is made of so that some pass.
std::wstring ClipText(Reader& r) {
  static const wchar_t kAlphabet[] = L"0123456789::: \t\r\n";
  const int length = r.Byte() % 14;
  std::wstring s;
  for (int i = 0; i < length; ++i) {
    const uint8_t b = r.Byte();
    s += (b & 0x80) ? r.Wide() : kAlphabet[b % (sizeof(kAlphabet) / sizeof(wchar_t) - 1)];
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader r(data, size);
  TimePickerModel m;
  while (!r.Empty()) {
    const std::wstring before = m.Text();
    const int positionBefore = m.Position();
    const int selStartBefore = m.SelStart();
    const int selLengthBefore = m.SelLength();
    const bool wholeBefore = m.WholeTextSelected();
    PickerOutcome out{};
    bool beepAllowed = false;
    bool ignored = false;  // an input that must change nothing at all
    bool reported = true;  // the input returns a PickerOutcome to check
    const uint8_t op = r.Byte();
    switch (op % 15) {
      case 0:
      case 1: {
        const wchar_t ch = static_cast<wchar_t>(L'0' + r.Byte() % 10);
        out = m.Char(ch);
        beepAllowed = wholeBefore;
        break;
      }
      case 2: {
        const wchar_t ch = r.Wide();
        out = m.Char(ch);
        beepAllowed = wholeBefore;
        ignored = ch < L'0' || ch > L'9';
        break;
      }
      case 3: {
        const int b = r.Byte() % 0x21;
        out = m.Char(static_cast<wchar_t>(b == 0x20 ? 0x7F : b));
        ignored = true;
        break;
      }
      case 4:
      case 5: {
        const uint8_t b = r.Byte();
        out = m.Key(static_cast<PickerKey>(b % 8), (b & 0x80) != 0);
        break;
      }
      case 6:
        out = m.Step((r.Byte() & 1) ? 1 : -1);
        CHECK(m.SelLength() == 2 && m.Position() == m.SelStart() + 2);
        break;
      case 7:
        out = m.Click(r.Small());
        CHECK(m.SelLength() == 1 && m.Position() == m.SelStart() + 1);
        break;
      case 8: {
        const int anchor = r.Small();
        out = m.SelectRange(anchor, r.Small());
        break;
      }
      case 9:
        out = m.SelectAll();
        CHECK(m.WholeTextSelected());
        break;
      case 10:
        out = (r.Byte() & 1) ? m.FocusGained() : m.FocusLost();
        break;
      case 11: {
        const std::wstring clip = ClipText(r);
        out = m.Paste(clip);
        beepAllowed = true;
        const auto normal = TimePickerModel::NormaliseTime(clip);
        CHECK(out.beep == !normal.has_value());
        if (normal) CHECK(m.Text() == *normal && m.Position() == 1);
        break;
      }
      case 12: {
        const std::wstring copied = m.Copy();
        CHECK(copied == before.substr(selStartBefore, selLengthBefore));
        ignored = true;
        break;
      }
      case 13: {
        const std::wstring cut = m.Cut();
        reported = false;
        CHECK(cut == before.substr(selStartBefore, selLengthBefore));
        if (cut.empty()) CHECK(m.Text() == before);
        break;
      }
      case 14: {
        // A step and the opposite one undo each other, on whichever field the selection chose.
        const int delta = (r.Byte() & 1) ? 1 : -1;
        const PickerOutcome there = m.Step(delta);
        const std::wstring stepped = m.Text();
        const PickerOutcome back = m.Step(-delta);
        CHECK(there.textChanged && back.textChanged && stepped != before);
        CHECK(m.Text() == before);
        break;
      }
    }

    CHECK(WellFormed(m.Text()));
    const int p = m.Position();
    CHECK(p >= 1 && p <= 8 && p != 3 && p != 6);
    CHECK(m.SelStart() >= 0 && m.SelLength() >= 0 && m.SelStart() + m.SelLength() <= 8);
    CHECK(m.Caret() >= 0 && m.Caret() <= 8);
    if (reported) CHECK(out.textChanged == (m.Text() != before));
    CHECK(!out.beep || beepAllowed);
    CHECK(!out.beep || m.Text() == before);
    if (ignored) {
      CHECK(m.Text() == before && m.Position() == positionBefore &&
            m.SelStart() == selStartBefore && m.SelLength() == selLengthBefore);
    }
  }
  return 0;
}
