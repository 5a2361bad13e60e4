#pragma once
// The real backend: every control is a window of its own carrying its text, so the test
// driver and screen readers can read it.
#include <windows.h>

#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "vcl/backend.h"
#include "vcl/scaling.h"
#include "vcl/win32/handles.h"

namespace vcl {

std::unique_ptr<Backend> CreateWin32Backend(HINSTANCE instance, int showCommand);

namespace win32 {

class FormPeer;

// The window of a control (nullptr without one).
HWND WindowOf(const TControl& control);
// A fresh child-window id.
HMENU NextControlId();
// The colour as a COLORREF (system colours resolved).
COLORREF ToColorRef(TColor color);
// Opens a popup menu with its top-left corner at a screen point and returns, once it has
// closed, the chosen item (nullptr: none). The caller makes `owner` the foreground window.
TMenuItem* TrackMenu(TPopupMenu& menu, HWND owner, int x, int y);

// Shared by the form and its child peers.
class ChildPeerBase : public ControlPeer {
 public:
  ChildPeerBase(FormPeer& form, TControl& control) : form_(form), control_(control) {}
  ~ChildPeerBase() override;
  HWND Window() const { return window_.Get(); }
  TControl& Control() const { return control_; }
  FormPeer& Form() const { return form_; }
  std::wstring ReadText() const override;
  TPoint MeasureText() const override;
  bool Focused() const override { return GetFocus() == window_.Get(); }
  void SetFocus() override { ::SetFocus(window_.Get()); }
  void Changed(Change what) override;
  // Places the window from the control's layout bounds at the form's scale.
  void Place();
  // The control's layout bounds in the form's client pixels.
  RECT ScaledBounds() const;
  void ApplyFont();

 protected:
  FormPeer& form_;
  TControl& control_;
  UniqueWindow window_;
};

class FormPeer : public ControlPeer {
 public:
  FormPeer(HINSTANCE instance, HWND owner, TForm& form);
  ~FormPeer() override;
  HWND Window() const { return window_.Get(); }
  TForm& Form() const { return form_; }
  void Changed(Change what) override;
  std::wstring ReadText() const override;
  TPoint MeasureText() const override { return {0, 0}; }
  bool Focused() const override { return GetFocus() == window_.Get(); }
  void SetFocus() override { ::SetFocus(window_.Get()); }

  const LayoutScale& Scale() const { return scale_; }
  int Dpi() const { return dpi_; }
  // The font of a control at the current scale (cached).
  HFONT FontFor(const TFont& font, bool isFormFont = false);
  // Paints the client-area layer under a rectangle: the background and the label texts that
  // fall into it, in creation order. Used by the form and by every label window.
  void PaintLayer(HDC dc, const RECT& clientArea);
  // Invalidates a client rectangle and the label windows it touches.
  void InvalidateLabels(const RECT& clientArea, const TControl* except);
  void Register(ChildPeerBase* peer) { children_.push_back(peer); }
  void Unregister(ChildPeerBase* peer);
  HBRUSH BackgroundBrush();
  // A memory DC for measuring text: no window DC (and no trip to the window manager) per label.
  HDC MeasureDc();
  // Until the form first shows, changes need no repainting: the first show paints everything.
  bool Hidden() const { return !IsWindowVisible(window_.Get()); }
  // A skin change reaches a hidden form when it next shows: applying it to a window nobody
  // sees would only be done again (the program sets its skin three times while loading).
  void MarkSkinPending() { skinPending_ = true; }
  void ApplyPendingSkin();
  // First showing: centred on the primary screen when asked.
  void ShowFirstTime(int showCommand);
  void SetFocusedChild(HWND child) { lastFocus_ = child; }
  void RestoreFocus();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void UpdateScale(int dpi);
  void ApplyClientSize();
  ChildPeerBase* PeerOf(HWND child) const;

  TForm& form_;
  UniqueWindow window_;
  int dpi_ = 96;
  LayoutScale scale_;
  std::map<std::tuple<std::wstring, int, bool>, UniqueFont> fonts_;
  std::vector<ChildPeerBase*> children_;
  UniqueBrush background_;
  UniqueBrush editBrush_;
  UniqueMemoryDc measureDc_;
  bool shown_ = false;
  bool skinPending_ = false;
  bool focusPlaced_ = false;
  HWND lastFocus_ = nullptr;
};

}  // namespace win32
}  // namespace vcl
