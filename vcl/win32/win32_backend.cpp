#include "vcl/win32/win32_backend.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>

#include <cstring>

#include "vcl/access_keys.h"
#include "vcl/application.h"
#include "vcl/win32/back_buffer.h"
#include "vcl/win32/paint_counter.h"
#include "vcl/win32/screen_win32.h"
#include "vcl/win32/skin_win32.h"
#include "vcl/win32/system_function.h"
#include "vcl/win32/time_picker_win32.h"
#include "vcl/win32/tray_win32.h"

namespace vcl {
namespace win32 {
namespace {

constexpr wchar_t kApplicationClass[] = L"TApplication";
constexpr wchar_t kFormClass[] = L"TForm1";
constexpr wchar_t kLabelClass[] = L"TsLabel";
constexpr wchar_t kUtilityClass[] = L"TPUtilWindow";

HINSTANCE gInstance = nullptr;

RECT AdjustedWindowRect(RECT client, DWORD style, DWORD exStyle, int dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi =
      SystemFunction<AdjustForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
  if (adjustForDpi != nullptr) {
    adjustForDpi(&client, style, FALSE, exStyle, static_cast<UINT>(dpi));
  } else {
    AdjustWindowRectEx(&client, style, FALSE, exStyle);
  }
  return client;
}

template <class T>
T* InstanceFromCreate(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// No exception crosses a window procedure: the application's error box reports it.
template <class Body>
LRESULT Guarded(Body&& body, LRESULT onError = 0) {
  try {
    return body();
  } catch (const std::exception& error) {
    if (HasApplication()) Application().ShowException(error);
    return onError;
  }
}

}  // namespace

// Distinct ids, so that IsDialogMessage's default-button logic never confuses two controls.
HMENU NextControlId() {
  static UINT_PTR id = 100;
  return reinterpret_cast<HMENU>(++id);
}

namespace {

bool IsLabel(const TControl& control) {
  return control.Kind() == ControlKind::kLabel || control.Kind() == ControlKind::kWebLabel;
}

}  // namespace

COLORREF ToColorRef(TColor color) {
  if (IsSystemColor(color)) return GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0xFFFFFF);
}

HWND WindowOf(const TControl& control) {
  if (control.Peer() == nullptr) return nullptr;
  if (control.Kind() == ControlKind::kForm) {
    return static_cast<FormPeer*>(control.Peer())->Window();
  }
  return static_cast<ChildPeerBase*>(control.Peer())->Window();
}

// ---- Child controls ----

ChildPeerBase::~ChildPeerBase() {
  form_.Unregister(this);
}

std::wstring ChildPeerBase::ReadText() const {
  const int length = GetWindowTextLengthW(window_.Get());
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window_.Get(), text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

TPoint ChildPeerBase::MeasureText() const {
  HDC dc = form_.MeasureDc();
  SelectObjectGuard font(dc, form_.FontFor(control_.Font()));
  const std::wstring& text = control_.StoredCaption();
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const LayoutScale& scale = form_.Scale();
  return {scale.Unapply(size.cx), scale.Unapply(metrics.tmHeight)};
}

RECT ChildPeerBase::ScaledBounds() const {
  const LayoutScale& scale = form_.Scale();
  const TRect& b = control_.BoundsRect();
  return {scale.Apply(b.left), scale.Apply(b.top), scale.Apply(b.Right()), scale.Apply(b.Bottom())};
}

void ChildPeerBase::Place() {
  const RECT r = ScaledBounds();
  SetWindowPos(window_.Get(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void ChildPeerBase::ApplyFont() {
  SendMessageW(window_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(form_.FontFor(control_.Font())),
               FALSE);
}

void ChildPeerBase::Changed(Change what) {
  HWND window = window_.Get();
  const RECT scaled = ScaledBounds();
  switch (what) {
    case Change::kText: {
      const std::wstring before = ReadText();
      const std::wstring& now = control_.StoredCaption();
      SetWindowTextW(window, now.c_str());
      if (IsLabel(control_) && !form_.Hidden()) {
        // Only what follows the unchanged beginning of the text is drawn again (a second
        // ticking by repaints its digits, not the whole label nor the labels it overlaps).
        size_t common = 0;
        while (common < before.size() && common < now.size() && before[common] == now[common]) {
          ++common;
        }
        SIZE prefix{0, 0};
        {
          HDC dc = form_.MeasureDc();
          SelectObjectGuard font(dc, form_.FontFor(control_.Font()));
          GetTextExtentPoint32W(dc, now.c_str(), static_cast<int>(common), &prefix);
        }
        RECT changed = scaled;
        // A glyph may overhang its advance by a pixel or two.
        changed.left = std::min<LONG>(scaled.right, scaled.left + std::max<LONG>(0, prefix.cx - 2));
        RECT local = changed;
        OffsetRect(&local, -scaled.left, -scaled.top);
        InvalidateRect(window, &local, FALSE);
        form_.InvalidateLabels(changed, &control_);
      }
      break;
    }
    case Change::kVisible:
      // While the form is hidden only a change of the window's own flag matters.
      if (((GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0) != control_.Visible() ||
          !form_.Hidden()) {
        ShowWindow(window, control_.Visible() ? SW_SHOWNA : SW_HIDE);
      }
      break;
    case Change::kBounds: {
      RECT old{};
      GetWindowRect(window, &old);
      MapWindowPoints(nullptr, form_.Window(), reinterpret_cast<POINT*>(&old), 2);
      if (EqualRect(&old, &scaled)) break;
      Place();
      if (!form_.Hidden()) {
        // The part of the old place the control no longer covers shows the form again.
        HRGN uncovered = CreateRectRgnIndirect(&old);
        HRGN covered = CreateRectRgnIndirect(&scaled);
        if (CombineRgn(uncovered, uncovered, covered, RGN_DIFF) != NULLREGION) {
          InvalidateRgn(form_.Window(), uncovered, FALSE);
          RECT box{};
          GetRgnBox(uncovered, &box);
          form_.InvalidateLabels(box, &control_);
        }
        DeleteObject(covered);
        DeleteObject(uncovered);
        InvalidateRect(window, nullptr, FALSE);
      }
      break;
    }
    case Change::kFont:
      ApplyFont();
      if (!form_.Hidden()) InvalidateRect(window, nullptr, FALSE);
      break;
    case Change::kColor:
      if (!form_.Hidden()) InvalidateRect(window, nullptr, FALSE);
      break;
    case Change::kChecked:
      SendMessageW(window, BM_SETCHECK,
                   static_cast<TsRadioButton&>(control_).Checked() ? BST_CHECKED : BST_UNCHECKED,
                   0);
      break;
    case Change::kEnabled:
      EnableWindow(window, control_.Enabled());
      break;
    case Change::kSelection:
      break;
  }
}

namespace {

class LabelPeer : public ChildPeerBase {
 public:
  LabelPeer(FormPeer& form, TControl& control) : ChildPeerBase(form, control) {
    const RECT r = ScaledBounds();
    window_.Reset(CreateWindowExW(0, kLabelClass, control.StoredCaption().c_str(),
                                  WS_CHILD | (control.Visible() ? WS_VISIBLE : 0), r.left, r.top,
                                  r.right - r.left, r.bottom - r.top, form.Window(), nullptr,
                                  gInstance, this));
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = InstanceFromCreate<LabelPeer>(window, message, lParam);
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_NCPAINT:
        return 0;  // no border, no scroll bars: nothing outside the client area to draw
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return Guarded([&] {
          self->Paint(message == WM_PAINT ? nullptr : reinterpret_cast<HDC>(wParam));
          return LRESULT{0};
        });
      case WM_SETCURSOR:
        // Link-style labels show the hand; no address is set, so a click does nothing.
        if (self->control_.Kind() == ControlKind::kWebLabel) {
          SetCursor(LoadCursorW(nullptr, IDC_HAND));
          return TRUE;
        }
        break;
      case WM_NCHITTEST:
        return HTCLIENT;
      default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

 private:
  void Paint(HDC target) {
    RECT client{};
    GetClientRect(window_.Get(), &client);
    RECT area = client;
    MapWindowPoints(window_.Get(), form_.Window(), reinterpret_cast<POINT*>(&area), 2);
    auto draw = [&](HDC dc) {
      PaintBuffered(dc, client, [&](HDC memory) {
        // The layer is drawn in the form's coordinates.
        OffsetViewportOrgEx(memory, -area.left, -area.top, nullptr);
        form_.PaintLayer(memory, area);
      });
    };
    if (target != nullptr) {
      draw(target);
    } else {
      PaintDc dc(window_.Get());
      draw(dc.Get());
    }
  }
};

class StandardPeer : public ChildPeerBase {
 public:
  StandardPeer(FormPeer& form, TControl& control, const wchar_t* windowClass, DWORD style,
               DWORD exStyle)
      : ChildPeerBase(form, control) {
    const RECT r = ScaledBounds();
    window_.Reset(CreateWindowExW(exStyle, windowClass, control.StoredCaption().c_str(),
                                  WS_CHILD | (control.Visible() ? WS_VISIBLE : 0) | style, r.left,
                                  r.top, r.right - r.left, r.bottom - r.top, form.Window(),
                                  NextControlId(), gInstance, nullptr));
  }
};

}  // namespace

// ---- The form ----

FormPeer::FormPeer(HINSTANCE instance, HWND owner, TForm& form) : form_(form) {
  constexpr DWORD kStyle =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  window_.Reset(CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, L"", kStyle, CW_USEDEFAULT,
                                CW_USEDEFAULT, 0, 0, owner, nullptr, instance, this));
  UpdateScale(WindowDpi(window_.Get()));
}

FormPeer::~FormPeer() = default;

void FormPeer::UpdateScale(int dpi) {
  dpi_ = dpi;
  // The form's own font follows the DPI; its text height decides the layout's factor.
  TFont probe = form_.Font();
  const int height = ScaleFontHeight(probe.height, dpi);
  UniqueFont font(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_DONTCARE, probe.name.c_str()));
  SelectObjectGuard select(MeasureDc(), font.Get());
  TEXTMETRICW metrics{};
  GetTextMetricsW(MeasureDc(), &metrics);
  scale_ = FormLayoutScale(metrics.tmHeight);
  fonts_.clear();
}

HFONT FormPeer::FontFor(const TFont& font, bool isFormFont) {
  const int height = isFormFont ? ScaleFontHeight(font.height, dpi_)
                                : scale_.Apply(ScaleFontHeight(font.height, 96));
  const auto key = std::make_tuple(font.name, height, font.bold);
  auto found = fonts_.find(key);
  if (found == fonts_.end()) {
    UniqueFont created(CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                   FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                   font.name.c_str()));
    found = fonts_.emplace(key, std::move(created)).first;
  }
  return found->second.Get();
}

HDC FormPeer::MeasureDc() {
  if (!measureDc_) measureDc_.Reset(CreateCompatibleDC(nullptr));
  return measureDc_.Get();
}

HBRUSH FormPeer::BackgroundBrush() {
  if (!background_) {
    background_.Reset(CreateSolidBrush(SkinClientColor(ToColorRef(form_.Color()))));
  }
  return background_.Get();
}

void FormPeer::PaintLayer(HDC dc, const RECT& area) {
  FillRect(dc, &area, BackgroundBrush());
  SetBkMode(dc, TRANSPARENT);
  for (TControl* control : form_.Controls()) {
    if (!IsLabel(*control) || !control->Visible()) continue;
    const TRect& b = control->BoundsRect();
    RECT rect{scale_.Apply(b.left), scale_.Apply(b.top), scale_.Apply(b.Right()),
              scale_.Apply(b.Bottom())};
    RECT overlap{};
    if (!IntersectRect(&overlap, &rect, &area)) continue;
    SelectObjectGuard font(dc, FontFor(control->Font()));
    SetTextColor(dc, SkinLabelColor(*control, ToColorRef(control->Font().color)));
    const std::wstring& text = control->StoredCaption();
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  }
}

void FormPeer::InvalidateLabels(const RECT& area, const TControl* except) {
  for (ChildPeerBase* child : children_) {
    if (&child->Control() == except || !IsLabel(child->Control())) continue;
    RECT rect{};
    GetWindowRect(child->Window(), &rect);
    MapWindowPoints(nullptr, window_.Get(), reinterpret_cast<POINT*>(&rect), 2);
    RECT overlap{};
    if (IntersectRect(&overlap, &rect, &area)) {
      OffsetRect(&overlap, -rect.left, -rect.top);
      InvalidateRect(child->Window(), &overlap, FALSE);
    }
  }
}

void FormPeer::Unregister(ChildPeerBase* peer) {
  std::erase(children_, peer);
  if (lastFocus_ == peer->Window()) lastFocus_ = nullptr;
}

ChildPeerBase* FormPeer::PeerOf(HWND child) const {
  for (ChildPeerBase* peer : children_) {
    if (peer->Window() == child) return peer;
  }
  return nullptr;
}

std::wstring FormPeer::ReadText() const {
  return form_.StoredCaption();
}

void FormPeer::ApplyClientSize() {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window_.Get(), GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window_.Get(), GWL_EXSTYLE));
  const RECT client{0, 0, scale_.Apply(form_.ClientWidth()), scale_.Apply(form_.ClientHeight())};
  RECT outer = client;
  if (!SkinAdjustWindowRect(window_.Get(), outer, dpi_)) {
    outer = AdjustedWindowRect(client, style, exStyle, dpi_);
  }
  SetWindowPos(window_.Get(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormPeer::Changed(Change what) {
  switch (what) {
    case Change::kText:
      SetWindowTextW(window_.Get(), form_.StoredCaption().c_str());
      break;
    case Change::kBounds:
      ApplyClientSize();
      break;
    case Change::kVisible:
      if (form_.Visible()) {
        ShowWindow(window_.Get(), SW_SHOW);
      } else {
        ShowWindow(window_.Get(), SW_HIDE);
      }
      break;
    case Change::kColor:
      background_.Reset();
      InvalidateRect(window_.Get(), nullptr, FALSE);
      break;
    case Change::kFont:
      UpdateScale(dpi_);
      break;
    default:
      break;
  }
}

void FormPeer::ApplyPendingSkin() {
  if (!skinPending_) return;
  skinPending_ = false;
  ApplySkinToForm(*this);
}

void FormPeer::ShowFirstTime(int showCommand) {
  if (shown_) return;
  shown_ = true;
  // The frame's size decides where the centred window goes.
  ApplyPendingSkin();
  // Windowed controls above all labels; among the labels a later one lies above an earlier.
  const auto& controls = form_.Controls();
  for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
    if (IsLabel(**it)) {
      SetWindowPos(WindowOf(**it), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
  }
  if (form_.Position() == TPosition::poScreenCenter) {
    RECT outer{};
    GetWindowRect(window_.Get(), &outer);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window_.Get(), nullptr, left, top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (showCommand == SW_HIDE) return;
  form_.SetVisible(true);
  ShowWindow(window_.Get(), showCommand);
  UpdateWindow(window_.Get());
}

void FormPeer::RestoreFocus() {
  if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
    ::SetFocus(lastFocus_);
    return;
  }
  // First activation: the first control in tab order that can take the focus.
  TControl* first = nullptr;
  for (TControl* control : form_.Controls()) {
    if (control->TabOrder() < 0 || !control->Visible() || !control->Enabled()) continue;
    if (first == nullptr || control->TabOrder() < first->TabOrder()) first = control;
  }
  if (first != nullptr) ::SetFocus(WindowOf(*first));
}

LRESULT CALLBACK FormPeer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = InstanceFromCreate<FormPeer>(window, message, lParam);
  if (self == nullptr || self->window_.Get() == nullptr) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return Guarded([&] {
    if (message == WM_SHOWWINDOW && wParam != FALSE) self->ApplyPendingSkin();
    LRESULT skinned = 0;
    if (SkinFormMessage(*self, message, wParam, lParam, skinned)) return skinned;
    return self->Handle(message, wParam, lParam);
  });
}

LRESULT FormPeer::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_.Get();
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PaintDc dc(window);
      const RECT& area = dc.Area();
      PaintBuffered(dc.Get(), area, [&](HDC memory) { PaintLayer(memory, area); });
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client{};
      GetClientRect(window, &client);
      PaintLayer(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      ChildPeerBase* peer = PeerOf(reinterpret_cast<HWND>(lParam));
      if (peer != nullptr && peer->Control().Color() != clNone && message != WM_CTLCOLORBTN) {
        const COLORREF color = ToColorRef(peer->Control().Color());
        if (!editBrush_) editBrush_.Reset(CreateSolidBrush(color));
        SetBkColor(dc, color);
        SetTextColor(dc, ToColorRef(peer->Control().Font().color));
        return reinterpret_cast<LRESULT>(editBrush_.Get());
      }
      SetBkColor(dc, SkinClientColor(ToColorRef(form_.Color())));
      if (peer != nullptr) SetTextColor(dc, ToColorRef(peer->Control().Font().color));
      return reinterpret_cast<LRESULT>(BackgroundBrush());
    }
    case WM_COMMAND:
      if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
        if (ChildPeerBase* peer = PeerOf(reinterpret_cast<HWND>(lParam))) peer->Control().Click();
      }
      return 0;
    case WM_CONTEXTMENU: {
      POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (lParam == -1) GetCursorPos(&at);
      form_.ContextPopup(at.x, at.y);
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      TShiftState shift;
      shift.shift = (wParam & MK_SHIFT) != 0;
      shift.ctrl = (wParam & MK_CONTROL) != 0;
      const TMouseButton button = message == WM_LBUTTONUP   ? TMouseButton::mbLeft
                                  : message == WM_RBUTTONUP ? TMouseButton::mbRight
                                                            : TMouseButton::mbMiddle;
      form_.MouseUp({button, shift, scale_.Unapply(static_cast<short>(LOWORD(lParam))),
                     scale_.Unapply(static_cast<short>(HIWORD(lParam)))});
      break;  // the default handling turns a right button release into WM_CONTEXTMENU
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) {
          // The picker's edit field is a child of the picker window.
          while (GetParent(focus) != window) focus = GetParent(focus);
          lastFocus_ = focus;
        }
      } else {
        RestoreFocus();
      }
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_CLOSE:
      form_.Close();
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
          Application().Minimize();
          return 0;
        case SC_RESTORE:
          if (Application().IsMinimized()) {
            Application().Restore();
            return 0;
          }
          break;
        default:
          break;
      }
      break;
    case WM_SETTINGCHANGE:
      if (form_.OnSettingChange) form_.OnSettingChange();
      break;
    case WM_DPICHANGED: {
      UpdateScale(HIWORD(wParam));
      for (ChildPeerBase* child : children_) {
        child->ApplyFont();
        child->Place();
      }
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      ApplyClientSize();
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// ---- Menus ----

TMenuItem* TrackMenu(TPopupMenu& menu, HWND owner, int x, int y) {
  if (ActiveSkin()) return TrackSkinnedMenu(menu, owner, x, y);
  UniqueMenu handle(CreatePopupMenu());
  const auto& items = menu.Items();
  for (size_t i = 0; i < items.size(); ++i) {
    AppendMenuW(handle.Get(), MF_STRING, i + 1, items[i]->Caption().c_str());
  }
  const int chosen = static_cast<int>(
      TrackPopupMenu(handle.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                     x, y, 0, owner, nullptr));
  if (chosen > 0 && static_cast<size_t>(chosen) <= items.size()) return items[chosen - 1];
  return nullptr;
}

// ---- Timers ----

namespace {

class Win32Backend;

class TimerPeerImpl : public TimerPeer {
 public:
  TimerPeerImpl(HWND window, TTimer& timer, std::vector<TimerPeerImpl*>& registry)
      : window_(window), timer_(timer), registry_(registry) {
    id_ = ++lastId_;
    registry_.push_back(this);
    Update();
  }
  ~TimerPeerImpl() override {
    KillTimer(window_, id_);
    std::erase(registry_, this);
  }
  void Update() override {
    KillTimer(window_, id_);
    if (timer_.Enabled() && timer_.Interval() > 0) {
      SetTimer(window_, id_, timer_.Interval(), nullptr);
    }
  }
  UINT_PTR Id() const { return id_; }
  TTimer& Timer() const { return timer_; }

 private:
  static inline UINT_PTR lastId_ = 0;
  HWND window_;
  TTimer& timer_;
  std::vector<TimerPeerImpl*>& registry_;
  UINT_PTR id_;
};

// Centres each message box on the primary screen as it is activated.
HHOOK gCentreHook = nullptr;

LRESULT CALLBACK CentreBoxHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    GetClassNameW(box, className, 16);
    if (std::wcscmp(className, L"#32770") == 0) {
      RECT rect{};
      GetWindowRect(box, &rect);
      const int width = rect.right - rect.left, height = rect.bottom - rect.top;
      SetWindowPos(box, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      UnhookWindowsHookEx(gCentreHook);
      gCentreHook = nullptr;
      return 0;
    }
  }
  return CallNextHookEx(gCentreHook, code, wParam, lParam);
}

class Win32Backend : public Backend {
 public:
  Win32Backend(HINSTANCE instance, int showCommand) : showCommand_(showCommand) {
    gInstance = instance;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterClasses(instance);
    // The hidden application window: zero size, carries the taskbar button, owns the form.
    application_.Reset(
        CreateWindowExW(0, kApplicationClass, L"",
                        WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                        GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                        nullptr, nullptr, instance, this));
    // The taskbar button shows the application window's own icons, large and small.
    const auto iconOfSize = [instance](int metric) {
      return static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON,
                                           GetSystemMetrics(metric), GetSystemMetrics(metric),
                                           LR_SHARED));
    };
    SendMessageW(application_.Get(), WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(iconOfSize(SM_CXICON)));
    SendMessageW(application_.Get(), WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(iconOfSize(SM_CXSMICON)));
    utility_.Reset(CreateWindowExW(0, kUtilityClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   instance, this));
  }

  std::unique_ptr<ControlPeer> CreatePeer(TControl& control) override {
    if (control.Kind() == ControlKind::kForm) {
      auto formPeer =
          std::make_unique<FormPeer>(gInstance, application_.Get(), static_cast<TForm&>(control));
      CountPaints(formPeer->Window());
      return formPeer;
    }
    auto* form = control.ParentForm() != nullptr
                     ? static_cast<FormPeer*>(control.ParentForm()->Peer())
                     : nullptr;
    if (form == nullptr) return nullptr;
    std::unique_ptr<ChildPeerBase> peer;
    switch (control.Kind()) {
      case ControlKind::kLabel:
      case ControlKind::kWebLabel:
        peer = std::make_unique<LabelPeer>(*form, control);
        break;
      case ControlKind::kEdit:
        peer = std::make_unique<StandardPeer>(*form, control, WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL,
                                              WS_EX_CLIENTEDGE);
        break;
      case ControlKind::kButton:
        peer = std::make_unique<StandardPeer>(*form, control, WC_BUTTONW,
                                              WS_TABSTOP | BS_PUSHBUTTON, 0);
        break;
      case ControlKind::kRadioButton:
        peer = std::make_unique<StandardPeer>(*form, control, WC_BUTTONW,
                                              WS_TABSTOP | BS_RADIOBUTTON, 0);
        break;
      case ControlKind::kTimePicker:
        peer = CreateTimePickerPeer(*form, static_cast<TsTimePicker&>(control));
        break;
      case ControlKind::kForm:
        break;
    }
    if (peer) {
      // The fields take digits only: no input method is opened for them.
      if (control.Kind() == ControlKind::kEdit || control.Kind() == ControlKind::kTimePicker) {
        ImmAssociateContext(peer->Window(), nullptr);
      }
      form->Register(peer.get());
      peer->ApplyFont();
      CountPaints(peer->Window());
    }
    return peer;
  }

  std::unique_ptr<TimerPeer> CreateTimerPeer(TTimer& timer) override {
    return std::make_unique<TimerPeerImpl>(utility_.Get(), timer, timers_);
  }

  void ShowBox(BoxKind kind, const std::wstring& caption, const std::wstring& text) override {
    HWND owner = MainWindow();
    if (owner == nullptr || !IsWindowVisible(owner)) owner = application_.Get();
    if (ShowSkinnedBox(owner, kind, caption, text)) return;
    if (gCentreHook == nullptr) {
      gCentreHook = SetWindowsHookExW(WH_CBT, CentreBoxHook, nullptr, GetCurrentThreadId());
    }
    const UINT style = MB_OK | (kind == BoxKind::kError ? MB_ICONSTOP : 0);
    MessageBoxW(owner, text.c_str(), caption.c_str(), style);
  }

  void Popup(TPopupMenu& menu, int x, int y) override {
    HWND owner = MainWindow() != nullptr ? MainWindow() : application_.Get();
    SetForegroundWindow(owner);
    TMenuItem* chosen = TrackMenu(menu, owner, x, y);
    PostMessageW(owner, WM_NULL, 0, 0);
    if (chosen != nullptr) chosen->Click();
  }

  bool IsDoubleByteCodePage() override {
    CPINFO info{};
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1;
  }

  void SetTitle(const std::wstring& title) override {
    SetWindowTextW(application_.Get(), title.c_str());
  }

  void Run(TApplication& application) override {
    TForm* form = application.MainForm();
    auto* peer = static_cast<FormPeer*>(form->Peer());
    const bool minimized = showCommand_ == SW_SHOWMINNOACTIVE || showCommand_ == SW_MINIMIZE ||
                           showCommand_ == SW_SHOWMINIMIZED || showCommand_ == SW_FORCEMINIMIZE;
    if (minimized) {
      // Started minimized: the window is laid out and placed but first shows on restore.
      peer->ShowFirstTime(SW_HIDE);
      application.Minimize();
    } else {
      ShowWindow(application_.Get(), SW_SHOWNOACTIVATE);
      peer->ShowFirstTime(SW_SHOWNORMAL);
    }
    MSG message;
    while (!application.Terminated() && GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (IsDialogMessageW(peer->Window(), &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  void Terminate() override { PostQuitMessage(0); }
  void Beep() override { MessageBeep(MB_OK); }

  void Minimize() override {
    if (HWND main = MainWindow()) ShowWindow(main, SW_HIDE);
    ShowWindow(application_.Get(), SW_MINIMIZE);
  }

  void Restore() override {
    ShowWindow(application_.Get(), SW_RESTORE);
    if (HWND main = MainWindow()) {
      Application().MainForm()->SetVisible(true);
      ShowWindow(main, SW_SHOW);
      SetForegroundWindow(main);
      static_cast<FormPeer*>(Application().MainForm()->Peer())->RestoreFocus();
    }
  }

  bool IsMinimized() override { return IsIconic(application_.Get()) != FALSE; }

  void SkinChanged() override { ApplySkinToWindows(); }

  std::unique_ptr<TrayShell> CreateTrayShell(TRzTrayIcon& tray) override {
    return CreateWin32TrayShell(gInstance, application_.Get(), tray);
  }

  std::vector<TMonitorInfo> Monitors() override { return ScreenMonitors(); }

  void SetFormOuterBounds(TForm& form, const TRect& r) override {
    // Showing through SetWindowPos sends no WM_SHOWWINDOW: a skin set meanwhile goes on first.
    if (auto* peer = static_cast<FormPeer*>(form.Peer())) peer->ApplyPendingSkin();
    SetWindowPos(WindowOf(form), HWND_NOTOPMOST, r.left, r.top, r.width, r.height, SWP_SHOWWINDOW);
  }

  void RestoreForm(TForm& form) override { ShowWindow(WindowOf(form), SW_RESTORE); }

  HWND ApplicationWindow() const { return application_.Get(); }

 private:
  static HWND MainWindow() {
    if (!HasApplication() || Application().MainForm() == nullptr) return nullptr;
    return WindowOf(*Application().MainForm());
  }

  void RegisterClasses(HINSTANCE instance) {
    HICON icon = LoadIconW(instance, L"MAINICON");
    WNDCLASSEXW form{};
    form.cbSize = sizeof(form);
    form.lpfnWndProc = FormPeer::WindowProc;
    form.hInstance = instance;
    form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    form.hIcon = icon;
    form.lpszClassName = kFormClass;
    form.style = CS_DBLCLKS;
    RegisterClassExW(&form);

    WNDCLASSEXW label{};
    label.cbSize = sizeof(label);
    label.lpfnWndProc = LabelPeer::WindowProc;
    label.hInstance = instance;
    label.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    label.lpszClassName = kLabelClass;
    RegisterClassExW(&label);

    WNDCLASSEXW application{};
    application.cbSize = sizeof(application);
    application.lpfnWndProc = ApplicationProc;
    application.hInstance = instance;
    application.hIcon = icon;
    application.lpszClassName = kApplicationClass;
    RegisterClassExW(&application);

    WNDCLASSEXW utility{};
    utility.cbSize = sizeof(utility);
    utility.lpfnWndProc = UtilityProc;
    utility.hInstance = instance;
    utility.lpszClassName = kUtilityClass;
    RegisterClassExW(&utility);
  }

  static LRESULT CALLBACK ApplicationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = InstanceFromCreate<Win32Backend>(window, message, lParam);
    if (self == nullptr || !HasApplication()) {
      return DefWindowProcW(window, message, wParam, lParam);
    }
    return Guarded([&]() -> LRESULT {
      switch (message) {
        case WM_SYSCOMMAND:
          switch (wParam & 0xFFF0) {
            case SC_MINIMIZE:
              Application().Minimize();
              return 0;
            case SC_RESTORE:
              Application().Restore();
              return 0;
            default:
              break;
          }
          break;
        case WM_SETFOCUS:
          // The application window passes the focus on to the main window.
          if (HWND main = MainWindow(); main != nullptr && IsWindowVisible(main)) {
            ::SetFocus(main);
          }
          return 0;
        case WM_CLOSE:
          if (Application().MainForm() != nullptr) Application().MainForm()->Close();
          return 0;
        case WM_QUERYENDSESSION:
          return TRUE;
        default:
          break;
      }
      return DefWindowProcW(window, message, wParam, lParam);
    });
  }

  static LRESULT CALLBACK UtilityProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = InstanceFromCreate<Win32Backend>(window, message, lParam);
    if (self != nullptr && message == WM_TIMER) {
      for (TimerPeerImpl* timer : self->timers_) {
        if (timer->Id() == wParam) {
          timer->Timer().Fire();
          break;
        }
      }
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  int showCommand_;
  UniqueWindow application_;
  UniqueWindow utility_;
  std::vector<TimerPeerImpl*> timers_;
};

}  // namespace
}  // namespace win32

std::unique_ptr<Backend> CreateWin32Backend(HINSTANCE instance, int showCommand) {
  return std::make_unique<win32::Win32Backend>(instance, showCommand);
}

}  // namespace vcl
