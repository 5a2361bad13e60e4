// The message box and the error box in the skin: a modal dialog of the system's dialog class
// ("#32770") built from a template in memory, laid out like a message box (the stop icon of the
// error box, the text in the static with id 0xFFFF, one OK button), with the skinned frame.
// DialogBoxIndirectParam disables the owner and runs the nested loop in which timers tick.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "skin/win32/painters.h"
#include "vcl/win32/handles.h"
#include "vcl/win32/skin_internal.h"
#include "vcl/win32/skin_win32.h"
#include "vcl/win32/subclass.h"

namespace vcl::win32 {
namespace {

using skin::Scale;

constexpr WORD kTextId = 0xFFFF;  // as in the system's message box
constexpr WORD kIconId = 0x0014;
constexpr UINT_PTR kBoxSubclass = 0x534B4258;  // "SKBX"

struct BoxParams {
  BoxKind kind;
  std::wstring caption;
  std::wstring text;
  std::shared_ptr<const skin::Skin> skin;
  UniqueFont font;
  UniqueBrush client;
  UniqueIcon icon;
  int dpi = 96;
  int bandTop = 0;  // where the button band begins (client coordinates)
};

// A dialog template in memory: DLGTEMPLATE and its items, each on a DWORD boundary.
class TemplateWriter {
 public:
  void Dialog(DWORD style, WORD items, const std::wstring& title) {
    Dword(style);
    Dword(0);  // extended style
    Word(items);
    Word(0);  // x, y, cx, cy: set at WM_INITDIALOG
    Word(0);
    Word(0);
    Word(0);
    Word(0);  // no menu
    Word(0);  // the system's dialog class
    String(title);
  }
  void Item(DWORD style, WORD id, WORD classAtom, const std::wstring& text) {
    Align();
    Dword(style);
    Dword(0);
    Word(0);
    Word(0);
    Word(1);
    Word(1);
    Word(id);
    Word(0xFFFF);
    Word(classAtom);
    String(text);
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Word(WORD w) { words_.push_back(w); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void String(const std::wstring& s) {
    for (wchar_t c : s) Word(static_cast<WORD>(c));
    Word(0);
  }
  void Align() {
    if (words_.size() % 2 != 0) Word(0);
  }
  std::vector<WORD> words_;
};

void PaintBoxClient(HWND dialog, HDC dc, const BoxParams& box) {
  RECT client{};
  GetClientRect(dialog, &client);
  skinning::PaintBuffered(dc, client, [&](HDC memory) {
    FillRect(memory, &client, box.client.Get());
    // The button sits on a band a shade darker, as in the system's message boxes.
    const skin::FormSection& form = box.skin->form;
    RECT band{client.left, box.bandTop, client.right, client.bottom};
    UniqueBrush bandBrush(
        CreateSolidBrush(skin::win32::ToColorRef(skin::Mix(form.client, form.woodDark, 0.10))));
    FillRect(memory, &band, bandBrush.Get());
    RECT line{client.left, box.bandTop, client.right, box.bandTop + std::max(1, Scale(1, box.dpi))};
    UniqueBrush lineBrush(
        CreateSolidBrush(skin::win32::ToColorRef(skin::Mix(form.client, form.woodDark, 0.30))));
    FillRect(memory, &line, lineBrush.Get());
  });
}

void LayOut(HWND dialog, BoxParams& box) {
  const int dpi = box.dpi;
  HWND text = GetDlgItem(dialog, kTextId);
  HWND icon = GetDlgItem(dialog, kIconId);
  HWND ok = GetDlgItem(dialog, IDOK);

  RECT textRect{0, 0, Scale(420, dpi), 0};
  {
    WindowDc dc(dialog);
    SelectObjectGuard font(dc.Get(), box.font.Get());
    DrawTextW(dc.Get(), box.text.c_str(), static_cast<int>(box.text.size()), &textRect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  }
  const int textWidth = textRect.right, textHeight = std::max<int>(textRect.bottom, 1);
  const int margin = Scale(18, dpi);
  const bool hasIcon = icon != nullptr;
  const int iconSize = hasIcon ? Scale(32, dpi) : 0;
  const int textLeft = margin + (hasIcon ? iconSize + Scale(12, dpi) : 0);
  const int contentHeight = std::max(textHeight, iconSize);
  const int buttonWidth = Scale(80, dpi), buttonHeight = Scale(26, dpi);
  const int clientWidth =
      std::max({textLeft + textWidth + margin, buttonWidth + 2 * margin, Scale(200, dpi)});
  box.bandTop = margin + contentHeight + Scale(14, dpi);
  const int buttonTop = box.bandTop + Scale(10, dpi);
  const int clientHeight = buttonTop + buttonHeight + Scale(10, dpi);

  const int textTop = margin + (contentHeight - textHeight) / 2;
  SetWindowPos(text, nullptr, textLeft, textTop, textWidth, textHeight, SWP_NOZORDER);
  if (hasIcon) {
    SetWindowPos(icon, nullptr, margin, margin + (contentHeight - iconSize) / 2, iconSize, iconSize,
                 SWP_NOZORDER);
  }
  SetWindowPos(ok, nullptr, (clientWidth - buttonWidth) / 2, buttonTop, buttonWidth, buttonHeight,
               SWP_NOZORDER);

  RECT outer{0, 0, clientWidth, clientHeight};
  if (!SkinAdjustWindowRect(dialog, outer, dpi)) {
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  }
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  // Centred on the primary screen, as every box of the program.
  SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

LRESULT CALLBACK BoxFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
  LRESULT result = 0;
  const skinning::DefaultProc callDefault = [window](UINT m, WPARAM w, LPARAM l) {
    return DefSubclass(window, m, w, l);
  };
  if (skinning::SkinFrameMessage(window, message, wParam, lParam, result, callDefault)) {
    return result;
  }
  if (message == WM_NCDESTROY) {
    skinning::DisableSkinFrame(window);
    RemoveSubclass(window, BoxFrameProc, kBoxSubclass);
  }
  return DefSubclass(window, message, wParam, lParam);
}

INT_PTR Answer(HWND dialog, LRESULT result) {
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR CALLBACK BoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* box = reinterpret_cast<BoxParams*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    box->dpi = WindowDpi(dialog);
    box->font.Reset(skin::win32::CreateSkinFont(-12, box->dpi, false));
    box->client.Reset(CreateSolidBrush(skin::win32::ToColorRef(box->skin->form.client)));
    for (HWND child : {GetDlgItem(dialog, kTextId), GetDlgItem(dialog, IDOK)}) {
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(box->font.Get()), FALSE);
    }
    if (HWND icon = GetDlgItem(dialog, kIconId)) {
      const int size = Scale(32, box->dpi);
      box->icon.Reset(static_cast<HICON>(
          LoadImageW(nullptr, MAKEINTRESOURCEW(32513) /* IDI_HAND */, IMAGE_ICON, size, size, 0)));
      SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(box->icon.Get()), 0);
    }
    skinning::SkinPushButton(GetDlgItem(dialog, IDOK));
    skinning::EnableSkinFrame(dialog, {false, true}, false);
    SetSubclass(dialog, BoxFrameProc, kBoxSubclass, 0);
    SendMessageW(dialog, DM_SETDEFID, IDOK, 0);
    LayOut(dialog, *box);
    SetFocus(GetDlgItem(dialog, IDOK));
    if (box->kind == BoxKind::kError) MessageBeep(MB_ICONHAND);
    return FALSE;  // the focus is set
  }
  auto* box = reinterpret_cast<BoxParams*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (box == nullptr) return FALSE;
  switch (message) {
    case WM_ERASEBKGND:
      return Answer(dialog, 1);  // WM_PAINT covers the whole client area
    case WM_PAINT: {
      PaintDc dc(dialog);
      PaintBoxClient(dialog, dc.Get(), *box);
      return Answer(dialog, 0);
    }
    case WM_PRINTCLIENT:
      PaintBoxClient(dialog, reinterpret_cast<HDC>(wParam), *box);
      return Answer(dialog, 0);
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(box->client.Get());
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, skin::win32::ToColorRef(box->skin->form.labelText));
      SetBkColor(dc, skin::win32::ToColorRef(box->skin->form.client));
      return reinterpret_cast<INT_PTR>(box->client.Get());
    }
    case WM_DRAWITEM:
      if (skinning::DrawSkinnedControl(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), *box->skin,
                                       box->dpi)) {
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(dialog, IDOK);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool ShowSkinnedBox(HWND owner, BoxKind kind, const std::wstring& caption,
                    const std::wstring& text) {
  BoxParams box;
  box.skin = ActiveSkin();
  if (!box.skin) return false;
  box.kind = kind;
  box.caption = caption;
  box.text = text;
  const bool error = kind == BoxKind::kError;
  TemplateWriter writer;
  writer.Dialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND,
                error ? 3 : 2, caption);
  if (error) writer.Item(WS_CHILD | WS_VISIBLE | SS_ICON, kIconId, 0x0082, L"");
  writer.Item(WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kTextId, 0x0082, text);
  writer.Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 0x0080, L"OK");
  // Should the dialog fail to come up, the caller shows the standard box instead.
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), writer.Get(), owner, BoxProc,
                                 reinterpret_cast<LPARAM>(&box)) != -1;
}

}  // namespace vcl::win32
