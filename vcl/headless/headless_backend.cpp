#include "vcl/headless/headless_backend.h"

#include <algorithm>

#include "vcl/access_keys.h"

namespace vcl {
namespace {

class HeadlessTimerPeer : public TimerPeer {
 public:
  HeadlessTimerPeer(HeadlessBackend& backend, TTimer& timer) : backend_(backend), timer_(timer) {
    backend_.timers.push_back(&timer_);
  }
  ~HeadlessTimerPeer() override {
    auto& t = backend_.timers;
    t.erase(std::remove(t.begin(), t.end(), &timer_), t.end());
  }
  void Update() override {}

 private:
  HeadlessBackend& backend_;
  TTimer& timer_;
};

}  // namespace

void HeadlessPeer::Changed(Change what) {
  if (what == Change::kText) text = control_.StoredCaption();
  if (what == Change::kEnabled) enabled = control_.Enabled();
  if (what == Change::kChecked && control_.Kind() == ControlKind::kRadioButton) {
    checked = static_cast<const TsRadioButton&>(control_).Checked();
  }
  ++repaints;
}

TPoint HeadlessPeer::MeasureText() const {
  // A fixed-pitch estimate: wide characters as wide as the font is high.
  const TFont& font = control_.Font();
  const int height = font.height < 0 ? -font.height : font.height;
  int width = 0;
  for (wchar_t ch : control_.StoredCaption()) width += ch < 0x2E80 ? height / 2 + 1 : height;
  return {width, height + height / 4 + 2};
}

std::unique_ptr<ControlPeer> HeadlessBackend::CreatePeer(TControl& control) {
  auto peer = std::make_unique<HeadlessPeer>(*this, control);
  peer->text = control.StoredCaption();
  return peer;
}

std::unique_ptr<TimerPeer> HeadlessBackend::CreateTimerPeer(TTimer& timer) {
  return std::make_unique<HeadlessTimerPeer>(*this, timer);
}

void HeadlessBackend::ShowBox(BoxKind kind, const std::wstring& caption, const std::wstring& text) {
  const RecordedBox box{kind, caption, text};
  boxes.push_back(box);
  ++openBoxes;
  if (whileBoxOpen) whileBoxOpen(box);
  --openBoxes;
}

void HeadlessBackend::Popup(TPopupMenu& menu, int x, int y) {
  RecordedPopup popup{{}, x, y};
  for (TMenuItem* item : menu.Items())
    popup.captions.push_back(StripAccessKeyMarker(item->Caption()));
  popups.push_back(popup);
  if (whileMenuOpen) whileMenuOpen(menu);
}

}  // namespace vcl
