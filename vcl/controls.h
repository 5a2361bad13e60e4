#pragma once
// The small class library the form is written against: components with an owner, controls that
// keep their own state (text, bounds, font, visibility), a timer, popup menus and the form. The
// state lives here; a backend peer (real window or headless recorder) mirrors it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vcl/time_picker_model.h"
#include "vcl/types.h"

namespace vcl {

class Backend;
class ControlPeer;
class TimerPeer;
class TForm;
class TApplication;

class TObject {
 public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

class TComponent : public TObject {
 public:
  TComponent(TComponent* owner, std::wstring name);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::wstring& Name() const { return name_; }
  TComponent* Owner() const { return owner_; }

  // Creates a component owned by this one; it is destroyed with its owner, last created first.
  template <class T, class... Args>
  T* Create(Args&&... args) {
    auto component = std::make_unique<T>(this, std::forward<Args>(args)...);
    T* raw = component.get();
    owned_.push_back(std::move(component));
    static_cast<TComponent*>(raw)->Loaded();
    return raw;
  }
  TComponent* FindComponent(const std::wstring& name) const;
  // Tells the owned components, in creation order and depth first, that every component of
  // the form exists (AllLoaded).
  void NotifyAllLoaded();

 protected:
  // Runs once the component has been constructed and attached to its owner.
  virtual void Loaded() {}
  // Runs once every component of the form has been created and loaded, before OnCreate.
  virtual void AllLoaded() {}
  void DestroyComponents();

 private:
  TComponent* owner_;
  std::wstring name_;
  std::vector<std::unique_ptr<TComponent>> owned_;
};

enum class ControlKind { kLabel, kWebLabel, kEdit, kButton, kRadioButton, kTimePicker, kForm };

// What changed on a control, so a peer redraws only that.
enum class Change { kText, kVisible, kBounds, kFont, kColor, kChecked, kEnabled, kSelection };

class TControl : public TComponent {
 public:
  TControl(TComponent* owner, std::wstring name, ControlKind kind);
  ~TControl() override;

  ControlKind Kind() const { return kind_; }
  TForm* ParentForm() const { return parent_; }
  ControlPeer* Peer() const { return peer_.get(); }

  // Caption of labels, buttons and the form; the text of edits and the time picker.
  virtual std::wstring Caption() const { return caption_; }
  // The caption last assigned by the program (for peers that show it).
  const std::wstring& StoredCaption() const { return caption_; }
  void SetCaption(const std::wstring& caption);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Position and size in 96-DPI pixels, relative to the parent's client area.
  const TRect& BoundsRect() const { return bounds_; }
  void SetBounds(const TRect& bounds);
  // The control's own font; with ParentFont the form's font is used instead.
  const TFont& Font() const;
  void SetFont(const TFont& font);
  bool ParentFont() const { return parentFont_; }
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  // Position in the tab order, -1 for controls that cannot take the focus.
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int order) { tabOrder_ = order; }
  const std::wstring& SkinSection() const { return skinSection_; }
  void SetSkinSection(std::wstring section) { skinSection_ = std::move(section); }

  TNotifyEvent OnClick;
  // Runs OnClick through the application's dispatch (errors reach the error box).
  virtual void Click();

  // Number of changes that reached the peer; tests use it to see that equal values repaint
  // nothing.
  int ChangeCount() const { return changeCount_; }

 protected:
  void Loaded() override;
  void Changed(Change what);
  virtual void TextAssigned() {}
  // The peer was created after the control's settings were made (a form being loaded): passes
  // on what the peer does not take at its creation.
  virtual void PeerCreatedLate();

  std::wstring caption_;

 private:
  friend class TForm;
  ControlKind kind_;
  TForm* parent_ = nullptr;
  std::unique_ptr<ControlPeer> peer_;
  bool visible_ = true;
  bool enabled_ = true;
  TRect bounds_;
  TFont font_;
  bool parentFont_ = true;
  TColor color_ = clNone;
  int tabOrder_ = -1;
  std::wstring skinSection_;
  int changeCount_ = 0;
};

// A transparent label sized to its text.
class TsLabel : public TControl {
 public:
  TsLabel(TComponent* owner, std::wstring name, ControlKind kind = ControlKind::kLabel);
  // With a skin active the skin gives the text colour; otherwise Font().color.
  bool UseSkinColor() const { return useSkinColor_; }
  void SetUseSkinColor(bool use) { useSkinColor_ = use; }

 protected:
  void TextAssigned() override;

 private:
  bool useSkinColor_ = true;
};

// A link-style label: hand pointer, no address set, so a click does nothing.
class TsWebLabel : public TsLabel {
 public:
  TsWebLabel(TComponent* owner, std::wstring name);
};

class TsEdit : public TControl {
 public:
  TsEdit(TComponent* owner, std::wstring name);
  // The live text of the edit field.
  std::wstring Caption() const override;
};

class TsButton : public TControl {
 public:
  TsButton(TComponent* owner, std::wstring name);
};

class TsRadioButton : public TControl {
 public:
  TsRadioButton(TComponent* owner, std::wstring name);
  bool Checked() const { return checked_; }
  // Checking one clears the other radio buttons of the same form.
  void SetChecked(bool checked);
  void Click() override;

 protected:
  void PeerCreatedLate() override;

 private:
  bool checked_ = false;
};

class TsTimePicker : public TControl {
 public:
  TsTimePicker(TComponent* owner, std::wstring name);
  // The text exactly as displayed.
  std::wstring Text() const { return caption_; }
  // Puts a text into the field as is, bypassing the editing rules, as another program writing
  // into the edit could; the engine must cope with whatever the field holds.
  void AssignRawText(const std::wstring& text);
  TimePickerModel& Model() { return model_; }
  // Tells the peer that the model changed (text and/or selection).
  void ModelChanged(bool textChanged);

 protected:
  void TextAssigned() override;

 private:
  TimePickerModel model_;
};

class TTimer : public TComponent {
 public:
  TTimer(TComponent* owner, std::wstring name);
  ~TTimer() override;
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  TNotifyEvent OnTimer;
  // One tick, through the application's dispatch.
  void Fire();

 private:
  void Update();
  unsigned interval_ = 1000;
  bool enabled_ = true;
  std::unique_ptr<TimerPeer> peer_;
};

class TMenuItem : public TComponent {
 public:
  TMenuItem(TComponent* owner, std::wstring name, std::wstring caption);
  // The caption with "&" before the access letter, as the menu shows it.
  const std::wstring& Caption() const { return caption_; }
  void SetCaption(std::wstring caption) { caption_ = std::move(caption); }
  TNotifyEvent OnClick;
  void Click();

 private:
  std::wstring caption_;
};

class TPopupMenu : public TComponent {
 public:
  TPopupMenu(TComponent* owner, std::wstring name);
  TMenuItem* Add(std::wstring name, std::wstring caption);
  const std::vector<TMenuItem*>& Items() const { return items_; }
  // Gives every item its access letter, once, before the menu is first shown.
  void PrepareAccessKeys();
  // Opens the menu at a screen point; returns once it has closed (and the item's handler ran).
  void Popup(int x, int y);

 private:
  std::vector<TMenuItem*> items_;
  bool accessKeysDone_ = false;
};

enum class TPosition { poDesigned, poScreenCenter };

struct TMouseEvent {
  TMouseButton button;
  TShiftState shift;
  int x;
  int y;
};

class TForm : public TControl {
 public:
  TForm(TComponent* owner, std::wstring name);
  ~TForm() override;

  // Controls in creation order (the form's resource order).
  const std::vector<TControl*>& Controls() const { return controls_; }
  int ClientWidth() const { return BoundsRect().width; }
  int ClientHeight() const { return BoundsRect().height; }
  void SetClientSize(int width, int height);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }

  TNotifyEvent OnCreate;
  std::function<void(TObject*, TMouseButton, TShiftState, int, int)> OnMouseUp;
  // The system's settings changed (WM_SETTINGCHANGE): locale-dependent texts are read again.
  std::function<void()> OnSettingChange;

  // While a form reads its components, its controls get their windows only at the end, each
  // with its final settings at once (DoCreate ends the loading).
  void BeginLoading() { loading_ = true; }
  bool Loading() const { return loading_; }
  // Tells the components that the whole form is loaded, then runs OnCreate; called by the
  // application once the form's construction has completed.
  void DoCreate();
  void Show();
  // Closes the form; closing the main form ends the application.
  void Close();
  // A right-click at a screen point on the form or one of its controls.
  void ContextPopup(int screenX, int screenY);
  void MouseUp(const TMouseEvent& event);
  TControl* FocusedControl() const;

 private:
  friend class TControl;
  void AddControl(TControl* control);
  void RemoveControl(TControl* control);
  void EndLoading();
  std::vector<TControl*> controls_;
  bool loading_ = false;
  TPosition position_ = TPosition::poDesigned;
  TPopupMenu* popupMenu_ = nullptr;
};

}  // namespace vcl
