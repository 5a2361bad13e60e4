#include "vcl/controls.h"

#include <algorithm>

#include "vcl/access_keys.h"
#include "vcl/application.h"
#include "vcl/backend.h"

namespace vcl {

// ---- TComponent ----

TComponent::TComponent(TComponent* owner, std::wstring name)
    : owner_(owner), name_(std::move(name)) {}

TComponent::~TComponent() {
  DestroyComponents();
}

void TComponent::DestroyComponents() {
  // Last created first, as the form resource's components are freed.
  while (!owned_.empty()) {
    std::unique_ptr<TComponent> last = std::move(owned_.back());
    owned_.pop_back();
    last.reset();
  }
}

void TComponent::NotifyAllLoaded() {
  for (const auto& c : owned_) {
    c->AllLoaded();
    c->NotifyAllLoaded();
  }
}

TComponent* TComponent::FindComponent(const std::wstring& name) const {
  for (const auto& c : owned_) {
    if (c->Name() == name) return c.get();
  }
  return nullptr;
}

// ---- TControl ----

TControl::TControl(TComponent* owner, std::wstring name, ControlKind kind)
    : TComponent(owner, std::move(name)), kind_(kind) {}

TControl::~TControl() {
  peer_.reset();
  if (parent_ != nullptr) parent_->RemoveControl(this);
}

void TControl::Loaded() {
  if (kind_ != ControlKind::kForm) {
    parent_ = dynamic_cast<TForm*>(Owner());
    if (parent_ != nullptr) parent_->AddControl(this);
    if (parent_ != nullptr && parent_->Loading()) return;
  }
  if (HasApplication()) peer_ = Application().GetBackend().CreatePeer(*this);
}

void TControl::PeerCreatedLate() {
  // Labels size themselves now that they can measure; the rest the peer took at creation.
  TextAssigned();
  Changed(Change::kBounds);
  if (!enabled_) Changed(Change::kEnabled);
}

void TControl::Changed(Change what) {
  ++changeCount_;
  if (peer_) peer_->Changed(what);
}

void TControl::SetCaption(const std::wstring& caption) {
  // An equal value changes nothing and repaints nothing.
  if (caption == Caption()) return;
  caption_ = caption;
  TextAssigned();
  Changed(Change::kText);
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Changed(Change::kVisible);
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed(Change::kEnabled);
}

void TControl::SetBounds(const TRect& bounds) {
  if (bounds == bounds_) return;
  bounds_ = bounds;
  Changed(Change::kBounds);
}

const TFont& TControl::Font() const {
  if (parentFont_ && parent_ != nullptr) return parent_->Font();
  return font_;
}

void TControl::SetFont(const TFont& font) {
  if (!parentFont_ && font == font_) return;
  parentFont_ = false;
  font_ = font;
  TextAssigned();
  Changed(Change::kFont);
}

void TControl::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed(Change::kColor);
}

void TControl::Click() {
  if (OnClick) {
    Application().Dispatch([this] { OnClick(this); });
  }
}

// ---- Labels ----

TsLabel::TsLabel(TComponent* owner, std::wstring name, ControlKind kind)
    : TControl(owner, std::move(name), kind) {}

void TsLabel::TextAssigned() {
  // Labels size themselves to their text; without a peer the design size stays.
  if (Peer() == nullptr) return;
  const TPoint size = Peer()->MeasureText();
  TRect bounds = BoundsRect();
  bounds.width = size.x;
  bounds.height = size.y;
  SetBounds(bounds);
}

TsWebLabel::TsWebLabel(TComponent* owner, std::wstring name)
    : TsLabel(owner, std::move(name), ControlKind::kWebLabel) {
  SetUseSkinColor(false);
}

// ---- Edits, buttons ----

TsEdit::TsEdit(TComponent* owner, std::wstring name)
    : TControl(owner, std::move(name), ControlKind::kEdit) {}

std::wstring TsEdit::Caption() const {
  return Peer() != nullptr ? Peer()->ReadText() : caption_;
}

TsButton::TsButton(TComponent* owner, std::wstring name)
    : TControl(owner, std::move(name), ControlKind::kButton) {}

TsRadioButton::TsRadioButton(TComponent* owner, std::wstring name)
    : TControl(owner, std::move(name), ControlKind::kRadioButton) {}

void TsRadioButton::PeerCreatedLate() {
  TControl::PeerCreatedLate();
  if (checked_) Changed(Change::kChecked);
}

void TsRadioButton::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Changed(Change::kChecked);
  // The radio buttons of a form form one group.
  if (checked && ParentForm() != nullptr) {
    for (TControl* sibling : ParentForm()->Controls()) {
      if (sibling != this && sibling->Kind() == ControlKind::kRadioButton) {
        static_cast<TsRadioButton*>(sibling)->SetChecked(false);
      }
    }
  }
}

void TsRadioButton::Click() {
  SetChecked(true);
  TControl::Click();
}

// ---- Time picker ----

TsTimePicker::TsTimePicker(TComponent* owner, std::wstring name)
    : TControl(owner, std::move(name), ControlKind::kTimePicker) {
  caption_ = model_.Text();
}

void TsTimePicker::TextAssigned() {
  // Only a valid time of day reaches the text; anything else keeps the shown value.
  if (!model_.SetText(caption_)) caption_ = model_.Text();
}

void TsTimePicker::AssignRawText(const std::wstring& text) {
  if (text == caption_) return;
  caption_ = text;
  Changed(Change::kText);
}

void TsTimePicker::ModelChanged(bool textChanged) {
  caption_ = model_.Text();
  Changed(textChanged ? Change::kText : Change::kSelection);
}

// ---- TTimer ----

TTimer::TTimer(TComponent* owner, std::wstring name) : TComponent(owner, std::move(name)) {
  if (HasApplication()) peer_ = Application().GetBackend().CreateTimerPeer(*this);
}

TTimer::~TTimer() = default;

void TTimer::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  Update();
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Update();
}

void TTimer::Update() {
  if (peer_) peer_->Update();
}

void TTimer::Fire() {
  if (enabled_ && OnTimer) {
    Application().Dispatch([this] { OnTimer(this); });
  }
}

// ---- Menus ----

TMenuItem::TMenuItem(TComponent* owner, std::wstring name, std::wstring caption)
    : TComponent(owner, std::move(name)), caption_(std::move(caption)) {}

void TMenuItem::Click() {
  if (OnClick) {
    Application().Dispatch([this] { OnClick(this); });
  }
}

TPopupMenu::TPopupMenu(TComponent* owner, std::wstring name) : TComponent(owner, std::move(name)) {}

TMenuItem* TPopupMenu::Add(std::wstring name, std::wstring caption) {
  TMenuItem* item = Create<TMenuItem>(std::move(name), std::move(caption));
  items_.push_back(item);
  return item;
}

void TPopupMenu::PrepareAccessKeys() {
  if (accessKeysDone_) return;
  accessKeysDone_ = true;
  std::vector<std::wstring> captions;
  for (TMenuItem* item : items_) captions.push_back(item->Caption());
  captions = AssignAccessKeys(captions, Application().GetBackend().IsDoubleByteCodePage());
  for (size_t i = 0; i < items_.size(); ++i) items_[i]->SetCaption(captions[i]);
}

void TPopupMenu::Popup(int x, int y) {
  PrepareAccessKeys();
  Application().GetBackend().Popup(*this, x, y);
}

// ---- TForm ----

TForm::TForm(TComponent* owner, std::wstring name)
    : TControl(owner, std::move(name), ControlKind::kForm) {
  SetVisible(false);
  // The form's font is its own; every control with ParentFont uses it.
  SetFont(TFont{});
  SetColor(clBtnFace);
  Loaded();
}

TForm::~TForm() {
  // Components go before the window that shows them.
  DestroyComponents();
}

void TForm::AddControl(TControl* control) {
  controls_.push_back(control);
}

void TForm::RemoveControl(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

void TForm::SetClientSize(int width, int height) {
  TRect bounds = BoundsRect();
  bounds.width = width;
  bounds.height = height;
  SetBounds(bounds);
}

void TForm::EndLoading() {
  if (!loading_) return;
  loading_ = false;
  if (!HasApplication()) return;
  for (TControl* control : controls_) {
    if (control->peer_) continue;
    control->peer_ = Application().GetBackend().CreatePeer(*control);
    if (control->peer_) control->PeerCreatedLate();
  }
}

void TForm::DoCreate() {
  EndLoading();
  NotifyAllLoaded();
  if (OnCreate) {
    Application().Dispatch([this] { OnCreate(this); });
  }
}

void TForm::Show() {
  SetVisible(true);
}

void TForm::Close() {
  SetVisible(false);
  if (HasApplication() && Application().MainForm() == this) Application().Terminate();
}

void TForm::ContextPopup(int screenX, int screenY) {
  if (popupMenu_ != nullptr) popupMenu_->Popup(screenX, screenY);
}

void TForm::MouseUp(const TMouseEvent& event) {
  if (OnMouseUp) {
    Application().Dispatch(
        [this, event] { OnMouseUp(this, event.button, event.shift, event.x, event.y); });
  }
}

TControl* TForm::FocusedControl() const {
  for (TControl* control : controls_) {
    if (control->Peer() != nullptr && control->Peer()->Focused()) return control;
  }
  return nullptr;
}

}  // namespace vcl
