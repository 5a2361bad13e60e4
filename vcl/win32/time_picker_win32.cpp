#include "vcl/win32/time_picker_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <exception>
#include <optional>
#include <string>

#include "skin/win32/painters.h"
#include "vcl/application.h"
#include "vcl/skin_manager.h"
#include "vcl/time_picker_spin.h"
#include "vcl/win32/subclass.h"

namespace vcl::win32 {
namespace {

constexpr UINT_PTR kEditSubclass = 0x54504B52;  // "TPKR"
constexpr UINT_PTR kRepeatTimer = 1;

// No exception crosses a window procedure: the application's error box reports it.
template <class Body>
LRESULT Guarded(Body&& body) {
  try {
    return body();
  } catch (const std::exception& error) {
    if (HasApplication()) Application().ShowException(error);
    return 0;
  }
}

// ---- clipboard ---------------------------------------------------------------------------

// Another program may hold the clipboard for a moment; a few short tries ride that out.
bool OpenClipboardFor(HWND owner) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(10);
  }
  return false;
}

void PutOnClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboardFor(owner)) return;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* target = GlobalLock(memory)) {
      std::memcpy(target, text.c_str(), bytes);
      GlobalUnlock(memory);
      // The clipboard owns the memory once it took it.
      if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

// The clipboard's text; empty when it holds none. Reads no further than the memory block, so
// text that another program left without its terminating zero is still read safely.
std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboardFor(owner)) return text;
  if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* source = static_cast<const wchar_t*>(GlobalLock(memory))) {
      const size_t capacity = GlobalSize(memory) / sizeof(wchar_t);
      text.assign(source, wcsnlen(source, capacity));
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return text;
}

// ---- painting ----------------------------------------------------------------------------

// One spin button: the skin's "SPEEDBUTTON_SMALL" look while a skin is in force, the system's
// scroll arrow otherwise.
void PaintSpinButton(HDC dc, const RECT& rect, int dpi, bool up, skin::win32::ButtonState state) {
  if (const std::shared_ptr<const skin::Skin> skin = ActiveSkin()) {
    skin::win32::PaintSpinButton(
        dc, rect, dpi, skin->speedButton,
        up ? skin::win32::SpinDirection::kUp : skin::win32::SpinDirection::kDown, state);
    return;
  }
  UINT flags = up ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
  if (state == skin::win32::ButtonState::kPressed) flags |= DFCS_PUSHED;
  if (state == skin::win32::ButtonState::kHot) flags |= DFCS_HOT;
  if (state == skin::win32::ButtonState::kDisabled) flags |= DFCS_INACTIVE;
  RECT area = rect;
  DrawFrameControl(dc, &area, DFC_SCROLL, flags);
}

RECT ToRect(const PickerRect& r) {
  return {r.left, r.top, r.right, r.bottom};
}

// ---- the control -------------------------------------------------------------------------

// A standard edit field, subclassed so that characters, keys, clicks, drags, focus and the
// clipboard commands (its own menu's included) all go through the editing model, which then
// writes the text and selection back. The spin buttons are a child window at the field's right
// end; the edit's right margin keeps the text clear of them.
class TimePickerPeer : public ChildPeerBase {
 public:
  TimePickerPeer(FormPeer& form, TsTimePicker& picker)
      : ChildPeerBase(form, picker), picker_(picker) {
    RegisterSpinClass();
    window_.Reset(CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_EDITW, picker.Text().c_str(),
        WS_CHILD | (picker.Visible() ? WS_VISIBLE : 0) | WS_TABSTOP | WS_CLIPCHILDREN | ES_LEFT, 0,
        0, 0, 0, form.Window(), NextControlId(), nullptr, nullptr));
    SetSubclass(window_.Get(), EditProc, kEditSubclass, reinterpret_cast<DWORD_PTR>(this));
    spin_.Reset(CreateWindowExW(0, kTimePickerSpinClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                window_.Get(), nullptr, GetModuleHandleW(nullptr), this));
    Mirror();
  }

  ~TimePickerPeer() override {
    if (spin_) SetWindowLongPtrW(spin_.Get(), GWLP_USERDATA, 0);
    RemoveSubclass(window_.Get(), EditProc, kEditSubclass);
  }

  // The text exactly as displayed.
  std::wstring ReadText() const override { return picker_.Text(); }

  void Changed(Change what) override {
    switch (what) {
      case Change::kText:
        mirroring_ = true;
        SetWindowTextW(window_.Get(), picker_.Text().c_str());
        mirroring_ = false;
        Mirror();
        return;
      case Change::kSelection:
        Mirror();
        return;
      case Change::kEnabled:
      case Change::kColor:
        ChildPeerBase::Changed(what);
        if (spin_) InvalidateRect(spin_.Get(), nullptr, FALSE);
        return;
      default:
        ChildPeerBase::Changed(what);
        return;
    }
  }

 private:
  static void RegisterSpinClass() {
    static const bool registered = [] {
      WNDCLASSEXW spin{};
      spin.cbSize = sizeof(spin);
      spin.lpfnWndProc = SpinProc;
      spin.hInstance = GetModuleHandleW(nullptr);
      spin.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      spin.lpszClassName = kTimePickerSpinClass;
      return RegisterClassExW(&spin) != 0;
    }();
    (void)registered;
  }

  TimePickerModel& Model() { return picker_.Model(); }

  // Copies the model's selection into the edit: the anchor first, so the caret stands where
  // Shift with an arrow key left it.
  void Mirror() {
    TimePickerModel& model = Model();
    const int start = model.SelStart();
    const int end = start + model.SelLength();
    const int anchor = model.Caret() == start ? end : start;
    mirroring_ = true;
    SendMessageW(window_.Get(), EM_SETSEL, static_cast<WPARAM>(anchor),
                 static_cast<LPARAM>(model.Caret()));
    mirroring_ = false;
  }

  void Apply(const PickerOutcome& outcome) {
    picker_.ModelChanged(outcome.textChanged);
    if (outcome.beep) MessageBeep(MB_OK);
  }

  // ---- clipboard commands ----

  void Copy() {
    const std::wstring selected = Model().Copy();
    if (!selected.empty()) PutOnClipboard(window_.Get(), selected);
  }

  void Cut() {
    const std::wstring before = Model().Text();
    const std::wstring cut = Model().Cut();
    if (!cut.empty()) PutOnClipboard(window_.Get(), cut);
    Apply({Model().Text() != before, false});
  }

  void Paste() { Apply(Model().Paste(ClipboardText(window_.Get()))); }

  // ---- layout ----

  int SpinWidth() const { return form_.Scale().Apply(kSpinButtonWidth); }

  PickerLayout Layout() const {
    RECT client{};
    GetClientRect(window_.Get(), &client);
    return LayOutPicker(client.right, client.bottom, SpinWidth());
  }

  // The buttons at the right end and the text ending before them; again after every change of
  // size or font (the edit sets its margins anew from each font).
  void LayOutChildren() {
    const PickerLayout layout = Layout();
    SendMessageW(window_.Get(), EM_SETMARGINS, EC_RIGHTMARGIN,
                 MAKELPARAM(0, layout.Buttons().Width()));
    if (spin_) {
      const PickerRect b = layout.Buttons();
      SetWindowPos(spin_.Get(), nullptr, b.left, b.top, b.Width(), b.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(spin_.Get(), nullptr, FALSE);
    }
  }

  // The 0-based index of the character to the right of a point in the edit's client area
  // (the nearest character boundary, as the edit places its caret).
  int CharacterAt(LPARAM point) const {
    const LRESULT found = SendMessageW(window_.Get(), EM_CHARFROMPOS, 0, point);
    return static_cast<int>(LOWORD(found));
  }

  void FocusField() {
    if (GetFocus() != window_.Get()) ::SetFocus(window_.Get());
  }

  // ---- the edit field ----

  static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
      RemoveSubclass(window, EditProc, kEditSubclass);
      return DefSubclass(window, message, wParam, lParam);
    }
    auto* self = reinterpret_cast<TimePickerPeer*>(data);
    return Guarded([&] { return self->EditMessage(window, message, wParam, lParam); });
  }

  LRESULT EditMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TimePickerModel& model = Model();
    switch (message) {
      case WM_GETDLGCODE:
        // Arrows and characters are the field's; Tab and Enter stay with the dialog manager.
        // The focus handling selects the text, so the dialog manager need not.
        return (DefSubclass(window, message, wParam, lParam) | DLGC_WANTARROWS | DLGC_WANTCHARS) &
               ~static_cast<LRESULT>(DLGC_HASSETSEL);
      case WM_CHAR:
        switch (wParam) {
          case 0x03:  // Ctrl+C
            Copy();
            return 0;
          case 0x16:  // Ctrl+V
            Paste();
            return 0;
          case 0x18:  // Ctrl+X
            Cut();
            return 0;
          default:
            // The model drops every character but the digits, control characters included.
            Apply(model.Char(static_cast<wchar_t>(wParam)));
            return 0;
        }
      case WM_IME_CHAR:
        Apply(model.Char(static_cast<wchar_t>(wParam)));
        return 0;
      case WM_IME_STARTCOMPOSITION:
      case WM_IME_COMPOSITION:
      case WM_IME_ENDCOMPOSITION:
        // Not the edit's own handling, which would write the composed text straight in: the
        // default one hands the result over as WM_IME_CHAR.
        return DefWindowProcW(window, message, wParam, lParam);
      case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam));
        return 0;  // nothing reaches the edit's own key handling, which would edit the text
      case WM_SYSKEYDOWN:
        if (wParam == VK_BACK) return 0;  // Alt+Backspace, the edit's undo
        break;
      case WM_COPY:
        Copy();
        return 0;
      case WM_CUT:
        Cut();
        return 0;
      case WM_PASTE:
        Paste();
        return 0;
      case WM_CLEAR:
        Apply(model.Key(PickerKey::kDelete));
        return 0;
      case EM_REPLACESEL:
        // Text put in from outside is taken as a paste would take it.
        Apply(model.Paste(lParam != 0 ? reinterpret_cast<const wchar_t*>(lParam) : L""));
        return 0;
      case WM_UNDO:
      case EM_UNDO:
      case EM_CANUNDO:
        return FALSE;  // every change goes through the model, which keeps no undo
      case EM_SETSEL:
        if (mirroring_) break;
        OnSelect(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
      case WM_SETFOCUS: {
        const LRESULT result = DefSubclass(window, message, wParam, lParam);
        Apply(model.FocusGained());
        return result;
      }
      case WM_KILLFOCUS:
        Apply(model.FocusLost());
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        FocusField();
        SetCapture(window);
        selecting_ = true;
        dragged_ = false;
        dragAnchor_ = CharacterAt(lParam);
        return 0;
      case WM_MOUSEMOVE:
        if (selecting_) {
          const int caret = CharacterAt(lParam);
          if (dragged_ || caret != dragAnchor_) {
            dragged_ = true;
            Apply(model.SelectRange(dragAnchor_, caret));
          }
          return 0;
        }
        break;
      case WM_LBUTTONUP:
        if (selecting_) {
          selecting_ = false;
          ReleaseCapture();
          if (!dragged_) Apply(model.Click(dragAnchor_));
          return 0;
        }
        break;
      case WM_CAPTURECHANGED:
        selecting_ = false;
        break;
      case WM_SIZE:
      case WM_SETFONT: {
        const LRESULT result = DefSubclass(window, message, wParam, lParam);
        LayOutChildren();
        return result;
      }
      case WM_ENABLE:
        if (spin_) InvalidateRect(spin_.Get(), nullptr, FALSE);
        break;
      default:
        break;
    }
    return DefSubclass(window, message, wParam, lParam);
  }

  void OnKeyDown(UINT key) {
    TimePickerModel& model = Model();
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
      case VK_INSERT:
        if (control && !shift) Copy();
        if (shift && !control) Paste();
        return;
      case VK_DELETE:
        if (shift && !control) {
          Cut();
        } else {
          Apply(model.Key(PickerKey::kDelete));
        }
        return;
      case VK_LEFT:
        Apply(model.Key(PickerKey::kLeft, shift));
        return;
      case VK_RIGHT:
        Apply(model.Key(PickerKey::kRight, shift));
        return;
      case VK_HOME:
        Apply(model.Key(PickerKey::kHome, shift));
        return;
      case VK_END:
        Apply(model.Key(PickerKey::kEnd, shift));
        return;
      case VK_BACK:
        Apply(model.Key(PickerKey::kBackspace, shift));
        return;
      case VK_UP:
        Apply(model.Key(PickerKey::kUp, shift));
        return;
      case VK_DOWN:
        Apply(model.Key(PickerKey::kDown, shift));
        return;
      default:
        return;
    }
  }

  // EM_SETSEL from outside: the menu's Select All (0, -1) or another program's selection.
  void OnSelect(int start, int end) {
    TimePickerModel& model = Model();
    if (start == 0 && end == -1) {
      Apply(model.SelectAll());
      return;
    }
    if (start < 0) {
      Mirror();  // "no selection" has no place in the picker: the model's stays
      return;
    }
    const int last = TimePickerModel::kTextLength;
    Apply(model.SelectRange(std::min(start, last), end < 0 ? last : std::min(end, last)));
  }

  // ---- the spin buttons ----

  static LRESULT CALLBACK SpinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TimePickerPeer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return Guarded([&] { return self->SpinMessage(window, message, wParam, lParam); });
  }

  // What a point in the spin window's client area hits, in the field's terms.
  SpinPart SpinHit(LPARAM point) const {
    const PickerLayout layout = Layout();
    const PickerRect b = layout.Buttons();
    return HitTestPicker(layout, static_cast<short>(LOWORD(point)) + b.left,
                         static_cast<short>(HIWORD(point)) + b.top);
  }

  void Carry(HWND spin, const SpinRepeat::Action& action) {
    if (action.stopTimer) KillTimer(spin, kRepeatTimer);
    if (action.timerMs != 0) SetTimer(spin, kRepeatTimer, action.timerMs, nullptr);
    if (action.step != 0) Apply(Model().Step(action.step));
  }

  LRESULT SpinMessage(HWND spin, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_LBUTTONDOWN: {
        const SpinPart part = SpinHit(lParam);
        if (SpinDelta(part) == 0 || repeat_.Held() != SpinPart::kNone) return 0;
        // The field takes the focus first, which selects its whole text: the first step then
        // acts on the hours.
        FocusField();
        SetCapture(spin);
        Carry(spin, repeat_.Press(part));
        InvalidateRect(spin, nullptr, FALSE);
        return 0;
      }
      case WM_MOUSEMOVE: {
        const SpinPart over = SpinHit(lParam);
        if (repeat_.Held() != SpinPart::kNone) {
          const bool before = repeat_.ShowsPressed();
          repeat_.Move(over);
          if (before != repeat_.ShowsPressed()) InvalidateRect(spin, nullptr, FALSE);
        } else if (over != hot_) {
          hot_ = over;
          InvalidateRect(spin, nullptr, FALSE);
        }
        if (!leaveTracked_) {
          TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, spin, 0};
          leaveTracked_ = TrackMouseEvent(&track) != FALSE;
        }
        return 0;
      }
      case WM_MOUSELEAVE:
        leaveTracked_ = false;
        if (hot_ != SpinPart::kNone) {
          hot_ = SpinPart::kNone;
          InvalidateRect(spin, nullptr, FALSE);
        }
        return 0;
      case WM_LBUTTONUP: {
        if (repeat_.Held() == SpinPart::kNone) return 0;
        const SpinPart over = SpinHit(lParam);
        const SpinRepeat::Action action = repeat_.Release(over);
        ReleaseCapture();
        hot_ = over;
        InvalidateRect(spin, nullptr, FALSE);
        Carry(spin, action);
        return 0;
      }
      case WM_CAPTURECHANGED:
        if (repeat_.Held() != SpinPart::kNone) {
          Carry(spin, repeat_.Cancel());
          InvalidateRect(spin, nullptr, FALSE);
        }
        return 0;
      case WM_TIMER:
        if (wParam == kRepeatTimer) {
          Carry(spin, repeat_.Timer());
          return 0;
        }
        break;
      case WM_ERASEBKGND:
        return 1;  // the painting covers every pixel
      case WM_PAINT: {
        PaintDc dc(spin);
        PaintSpin(dc.Get());
        return 0;
      }
      case WM_PRINTCLIENT:
        PaintSpin(reinterpret_cast<HDC>(wParam));
        return 0;
      case WM_DESTROY:
        KillTimer(spin, kRepeatTimer);
        break;
      default:
        break;
    }
    return DefWindowProcW(spin, message, wParam, lParam);
  }

  skin::win32::ButtonState StateOf(SpinPart part) const {
    if (!IsWindowEnabled(window_.Get())) return skin::win32::ButtonState::kDisabled;
    if (repeat_.Held() == part && repeat_.ShowsPressed()) {
      return skin::win32::ButtonState::kPressed;
    }
    if (repeat_.Held() == SpinPart::kNone && hot_ == part) return skin::win32::ButtonState::kHot;
    return skin::win32::ButtonState::kNormal;
  }

  // Both buttons through one back buffer, in the spin window's coordinates.
  void PaintSpin(HDC target) {
    const PickerLayout layout = Layout();
    const PickerRect b = layout.Buttons();
    if (b.Width() <= 0 || b.Height() <= 0) return;
    UniqueMemoryDc memory(CreateCompatibleDC(target));
    UniqueBitmap bitmap(CreateCompatibleBitmap(target, b.Width(), b.Height()));
    {
      SelectObjectGuard select(memory.Get(), bitmap.Get());
      RECT up = ToRect(layout.up);
      RECT down = ToRect(layout.down);
      OffsetRect(&up, -b.left, -b.top);
      OffsetRect(&down, -b.left, -b.top);
      PaintSpinButton(memory.Get(), up, form_.Dpi(), true, StateOf(SpinPart::kUp));
      PaintSpinButton(memory.Get(), down, form_.Dpi(), false, StateOf(SpinPart::kDown));
      BitBlt(target, 0, 0, b.Width(), b.Height(), memory.Get(), 0, 0, SRCCOPY);
    }
  }

  TsTimePicker& picker_;
  UniqueWindow spin_;
  SpinRepeat repeat_;
  SpinPart hot_ = SpinPart::kNone;
  bool leaveTracked_ = false;
  // Set while the model's state is being written into the edit, whose EM_SETSEL then is ours.
  bool mirroring_ = false;
  // A left-button press in the text: a click unless the pointer crosses a character boundary.
  bool selecting_ = false;
  bool dragged_ = false;
  int dragAnchor_ = 0;
};

}  // namespace

std::unique_ptr<ChildPeerBase> CreateTimePickerPeer(FormPeer& form, TsTimePicker& picker) {
  return std::make_unique<TimePickerPeer>(form, picker);
}

}  // namespace vcl::win32
