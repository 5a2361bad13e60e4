// The skin on a form and its controls: the frame (through the skin provider), the push button
// and the radio buttons owner-drawn ("DIALOG", "RADIOBUTTON"), the edits' borders ("EDIT"), the
// client colour and the labels' text colour. Taking the skin off restores the standard look.
#include <windows.h>

#include <commctrl.h>

#include <map>
#include <memory>

#include "skin/win32/painters.h"
#include "vcl/win32/handles.h"
#include "vcl/win32/skin_internal.h"
#include "vcl/win32/skin_win32.h"
#include "vcl/win32/subclass.h"
#include "vcl/win32/win32_backend.h"

namespace vcl::win32 {
namespace {

constexpr UINT_PTR kControlSubclass = 0x534B4354;  // "SKCT"
constexpr wchar_t kFormClassName[] = L"TForm1";

enum class SkinnedKind { kPush, kRadio, kEdit };

struct SkinnedControl {
  SkinnedKind kind;
  LONG_PTR originalType = 0;  // the button type before it became owner-drawn
  bool checked = false;       // radio buttons keep their check state here while owner-drawn
  bool isDefault = false;     // the dialog manager's default-button state of a push button
  bool hot = false;
  bool leaveTracked = false;
};

std::map<HWND, std::unique_ptr<SkinnedControl>> gControls;

SkinnedControl* Skinned(HWND window) {
  auto found = gControls.find(window);
  return found == gControls.end() ? nullptr : found->second.get();
}

std::wstring TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

// The field colour the parent gives an edit (WM_CTLCOLOREDIT), as for its client area.
skin::Rgb FieldColour(HWND edit, HDC dc) {
  HWND parent = GetParent(edit);
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(parent != nullptr ? parent : edit,
                                                     WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(edit)));
  LOGBRUSH info{};
  if (brush != nullptr && GetObjectW(brush, sizeof(info), &info) == sizeof(info) &&
      info.lbStyle == BS_SOLID) {
    return skin::win32::FromColorRef(info.lbColor);
  }
  return skin::win32::FromColorRef(GetSysColor(COLOR_WINDOW));
}

// The edit's border, in window coordinates of `dc` (a window DC or a WM_PRINT target).
void PaintEditFrame(HWND edit, HDC dc) {
  const std::shared_ptr<const skin::Skin> skin = ActiveSkin();
  if (!skin) return;
  RECT window{};
  GetWindowRect(edit, &window);
  RECT client{};
  GetClientRect(edit, &client);
  MapWindowPoints(edit, nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -window.left, -window.top);
  OffsetRect(&window, -window.left, -window.top);
  if (EqualRect(&window, &client)) return;
  skin::win32::PaintEditBorder(dc, window, client, skin->edit, FieldColour(edit, dc),
                               GetFocus() == edit);
}

void PaintEditFrame(HWND edit) {
  skinning::WholeWindowDc dc(edit);
  if (dc.Get() != nullptr) PaintEditFrame(edit, dc.Get());
}

void TrackLeave(HWND window, SkinnedControl& control) {
  if (control.leaveTracked) return;
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
  control.leaveTracked = TrackMouseEvent(&track) != FALSE;
}

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR data) {
  auto* control = reinterpret_cast<SkinnedControl*>(data);
  if (message == WM_NCDESTROY) {
    RemoveSubclass(window, ControlProc, kControlSubclass);
    gControls.erase(window);  // frees `control`
    return DefSubclass(window, message, wParam, lParam);
  }
  if (control->kind == SkinnedKind::kEdit) {
    switch (message) {
      case WM_NCPAINT:
        PaintEditFrame(window);
        return 0;
      case WM_SETFOCUS:
      case WM_KILLFOCUS: {
        const LRESULT result = DefSubclass(window, message, wParam, lParam);
        // The border shows the focus; it is drawn with the window's next paint (when the
        // window is just being shown, with the frame it paints anyway).
        RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE);
        return result;
      }
      case WM_PRINT: {
        const LRESULT result = DefSubclass(window, message, wParam, lParam);
        if (lParam & PRF_NONCLIENT) PaintEditFrame(window, reinterpret_cast<HDC>(wParam));
        return result;
      }
      default:
        return DefSubclass(window, message, wParam, lParam);
    }
  }

  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_DRAWITEM paints every pixel
    case WM_MOUSEMOVE:
      if (!control->hot) {
        control->hot = true;
        InvalidateRect(window, nullptr, FALSE);
      }
      TrackLeave(window, *control);
      break;
    case WM_MOUSELEAVE:
      control->leaveTracked = false;
      if (control->hot) {
        control->hot = false;
        InvalidateRect(window, nullptr, FALSE);
      }
      break;
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button reports a quick second click as a double-click only; a push
      // button takes it as the click it is.
      if (control->kind == SkinnedKind::kPush) {
        return DefSubclass(window, WM_LBUTTONDOWN, wParam, lParam);
      }
      break;
    case WM_GETDLGCODE:
      if (control->kind == SkinnedKind::kRadio) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      return DLGC_BUTTON | (control->isDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE: {
      // The dialog manager moves the default-button style between push buttons; the button
      // stays owner-drawn and remembers it.
      if (control->kind == SkinnedKind::kPush) {
        control->isDefault = (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
      }
      const WPARAM style = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
      return DefSubclass(window, message, style, lParam);
    }
    case BM_GETCHECK:
      if (control->kind == SkinnedKind::kRadio) {
        return control->checked ? BST_CHECKED : BST_UNCHECKED;
      }
      break;
    case BM_SETCHECK:
      if (control->kind == SkinnedKind::kRadio) {
        const bool checked = wParam == BST_CHECKED;
        if (checked != control->checked) {
          control->checked = checked;
          InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
      }
      break;
    case BM_GETSTATE: {
      LRESULT state = DefSubclass(window, message, wParam, lParam);
      if (control->checked) state |= BST_CHECKED;
      if (control->hot) state |= BST_HOT;
      return state;
    }
    case WM_UPDATEUISTATE: {
      const LRESULT result = DefSubclass(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, FALSE);
      return result;
    }
    default:
      break;
  }
  return DefSubclass(window, message, wParam, lParam);
}

LONG_PTR ButtonType(HWND window) {
  return GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK;
}

void SkinButton(HWND window, SkinnedKind kind) {
  if (window == nullptr || Skinned(window) != nullptr) return;
  auto control = std::make_unique<SkinnedControl>();
  control->kind = kind;
  control->originalType = ButtonType(window);
  control->isDefault = control->originalType == BS_DEFPUSHBUTTON;
  control->checked = SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
  SkinnedControl* raw = control.get();
  gControls[window] = std::move(control);
  SetSubclass(window, ControlProc, kControlSubclass, reinterpret_cast<DWORD_PTR>(raw));
  SendMessageW(window, BM_SETSTYLE, BS_OWNERDRAW, TRUE);
}

void UnskinControl(HWND window) {
  SkinnedControl* control = Skinned(window);
  if (control == nullptr) return;
  const SkinnedKind kind = control->kind;
  const LONG_PTR type = control->originalType;
  const bool checked = control->checked;
  RemoveSubclass(window, ControlProc, kControlSubclass);
  gControls.erase(window);
  if (kind == SkinnedKind::kEdit) {
    skinning::RefreshFrame(window);
    return;
  }
  SendMessageW(window, BM_SETSTYLE, static_cast<WPARAM>(type), TRUE);
  if (kind == SkinnedKind::kRadio) {
    SendMessageW(window, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

bool IsEdit(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return lstrcmpiW(name, WC_EDITW) == 0;
}

// Enumeration callbacks (stdcall on 32-bit Windows, so no lambdas).
BOOL CALLBACK CollectEdits(HWND child, LPARAM list) {
  if (IsEdit(child)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

BOOL CALLBACK CollectForms(HWND window, LPARAM list) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (std::wstring(name) == kFormClassName) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  }
  return TRUE;
}

void ApplyToForm(FormPeer& peer, bool skinned) {
  HWND window = peer.Window();
  TForm& form = peer.Form();
  if (skinned && HasSkinProvider(form)) {
    const bool minimize = (GetWindowLongPtrW(window, GWL_STYLE) & WS_MINIMIZEBOX) != 0;
    skinning::EnableSkinFrame(window, {minimize, true}, true);
  } else {
    skinning::DisableSkinFrame(window);
  }
  skinning::RefreshFrame(window);
  // The client size stays; the outer size follows the frame.
  peer.Changed(Change::kBounds);

  for (TControl* control : form.Controls()) {
    HWND child = WindowOf(*control);
    if (child == nullptr) continue;
    if (!skinned) {
      UnskinControl(child);
    } else if (control->Kind() == ControlKind::kButton) {
      SkinButton(child, SkinnedKind::kPush);
    } else if (control->Kind() == ControlKind::kRadioButton) {
      SkinButton(child, SkinnedKind::kRadio);
    }
  }
  // Every edit field, the time picker's included, wherever it sits.
  std::vector<HWND> edits;
  EnumChildWindows(window, CollectEdits, reinterpret_cast<LPARAM>(&edits));
  for (HWND edit : edits) {
    if (skinned) {
      SkinEditBorder(edit);
    } else {
      UnskinControl(edit);
    }
  }
  peer.Changed(Change::kColor);
  if (IsWindowVisible(window)) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
}

void DrawRadio(const DRAWITEMSTRUCT& item, const skin::Skin& skin, int dpi, bool checked,
               bool hot) {
  skin::win32::ButtonState state = skin::win32::ButtonState::kNormal;
  if (item.itemState & ODS_DISABLED) {
    state = skin::win32::ButtonState::kDisabled;
  } else if (item.itemState & ODS_SELECTED) {
    state = skin::win32::ButtonState::kPressed;
  } else if (hot) {
    state = skin::win32::ButtonState::kHot;
  }
  const bool focusRect =
      (item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0;
  auto font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
  const std::wstring text = TextOf(item.hwndItem);
  skinning::PaintBuffered(item.hDC, item.rcItem, [&](HDC dc) {
    skin::win32::PaintRadioButton(dc, item.rcItem, dpi, skin.radio, skin.form.client, checked,
                                  state, focusRect, text, font,
                                  (item.itemState & ODS_NOACCEL) != 0);
  });
}

}  // namespace

namespace skinning {

void SkinPushButton(HWND button) {
  SkinButton(button, SkinnedKind::kPush);
}

bool DrawSkinnedControl(const DRAWITEMSTRUCT& item, const skin::Skin& skin, int dpi) {
  SkinnedControl* control = item.CtlType == ODT_BUTTON ? Skinned(item.hwndItem) : nullptr;
  if (control == nullptr) return false;
  if (control->kind == SkinnedKind::kRadio) {
    DrawRadio(item, skin, dpi, control->checked, control->hot);
    return true;
  }
  if (control->kind != SkinnedKind::kPush) return false;
  skin::win32::ButtonState state = skin::win32::ButtonState::kNormal;
  if (item.itemState & ODS_DISABLED) {
    state = skin::win32::ButtonState::kDisabled;
  } else if (item.itemState & ODS_SELECTED) {
    state = skin::win32::ButtonState::kPressed;
  } else if (control->hot) {
    state = skin::win32::ButtonState::kHot;
  }
  auto font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
  const std::wstring text = TextOf(item.hwndItem);
  PaintBuffered(item.hDC, item.rcItem, [&](HDC dc) {
    skin::win32::PaintPushButton(dc, item.rcItem, dpi, skin.button, skin.form.client, state,
                                 (item.itemState & ODS_FOCUS) != 0, text, font,
                                 (item.itemState & ODS_NOACCEL) != 0);
  });
  return true;
}

}  // namespace skinning

void ApplySkinToWindows() {
  const bool skinned = ActiveSkin() != nullptr;
  std::vector<HWND> forms;
  EnumThreadWindows(GetCurrentThreadId(), CollectForms, reinterpret_cast<LPARAM>(&forms));
  for (HWND window : forms) {
    // The form's window procedure keeps its peer here (set at WM_NCCREATE).
    auto* peer = reinterpret_cast<FormPeer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (peer == nullptr || peer->Window() != window) continue;
    if (peer->Hidden()) {
      peer->MarkSkinPending();
    } else {
      ApplyToForm(*peer, skinned);
    }
  }
}

void ApplySkinToForm(FormPeer& form) {
  ApplyToForm(form, ActiveSkin() != nullptr);
}

bool SkinFormMessage(FormPeer& form, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND window = form.Window();
  const skinning::DefaultProc callDefault = [window](UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcW(window, m, w, l);
  };
  if (skinning::SkinFrameMessage(window, message, wParam, lParam, result, callDefault)) {
    return true;
  }
  if (message != WM_DRAWITEM) return false;
  const std::shared_ptr<const skin::Skin> skin = ActiveSkin();
  if (!skin || !skinning::DrawSkinnedControl(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam),
                                             *skin, form.Dpi())) {
    return false;
  }
  result = TRUE;
  return true;
}

COLORREF SkinClientColor(COLORREF standard) {
  const std::shared_ptr<const skin::Skin> skin = ActiveSkin();
  return skin ? skin::win32::ToColorRef(skin->form.client) : standard;
}

COLORREF SkinLabelColor(const TControl& label, COLORREF standard) {
  const std::shared_ptr<const skin::Skin> skin = ActiveSkin();
  if (!skin) return standard;
  if (label.Kind() != ControlKind::kLabel && label.Kind() != ControlKind::kWebLabel) {
    return standard;
  }
  // Web labels keep their blue: UseSkinColor is off for them.
  if (!static_cast<const TsLabel&>(label).UseSkinColor()) return standard;
  return skin::win32::ToColorRef(skin->form.labelText);
}

void SkinEditBorder(HWND edit) {
  if (edit == nullptr || !ActiveSkin() || Skinned(edit) != nullptr) return;
  auto control = std::make_unique<SkinnedControl>();
  control->kind = SkinnedKind::kEdit;
  SkinnedControl* raw = control.get();
  gControls[edit] = std::move(control);
  SetSubclass(edit, ControlProc, kControlSubclass, reinterpret_cast<DWORD_PTR>(raw));
  // The border keeps its width: only a shown edit needs it drawn again now.
  if (IsWindowVisible(edit)) skinning::RefreshFrame(edit);
}

}  // namespace vcl::win32
