#include "vcl/win32/time_picker_win32.h"

#include <commctrl.h>

namespace vcl::win32 {
namespace {

// An edit field whose keys and characters go through the model, so the text keeps its form.
class TimePickerPeer : public ChildPeerBase {
 public:
  TimePickerPeer(FormPeer& form, TsTimePicker& picker)
      : ChildPeerBase(form, picker), picker_(picker) {
    window_.Reset(CreateWindowExW(WS_EX_CLIENTEDGE, WC_EDITW, picker.Text().c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT, 0, 0, 0, 0,
                                  form.Window(), NextControlId(), nullptr, nullptr));
    SetWindowSubclass(window_.Get(), SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  }
  ~TimePickerPeer() override { RemoveWindowSubclass(window_.Get(), SubclassProc, 1); }

  std::wstring ReadText() const override { return picker_.Text(); }

  void Changed(Change what) override {
    if (what == Change::kText || what == Change::kSelection) {
      if (what == Change::kText) SetWindowTextW(window_.Get(), picker_.Text().c_str());
      TimePickerModel& model = picker_.Model();
      SendMessageW(window_.Get(), EM_SETSEL, model.SelStart(),
                   model.SelStart() + model.SelLength());
      return;
    }
    ChildPeerBase::Changed(what);
  }

 private:
  void Apply(const PickerOutcome& outcome) {
    picker_.ModelChanged(outcome.textChanged);
    if (!outcome.textChanged) Changed(Change::kSelection);
    if (outcome.beep) MessageBeep(MB_OK);
  }

  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<TimePickerPeer*>(data);
    TimePickerModel& model = self->picker_.Model();
    switch (message) {
      case WM_GETDLGCODE:
        return DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTARROWS | DLGC_WANTCHARS;
      case WM_CHAR:
        self->Apply(model.Char(static_cast<wchar_t>(wParam)));
        return 0;
      case WM_KEYDOWN: {
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        switch (wParam) {
          case VK_LEFT:
            self->Apply(model.Key(PickerKey::kLeft, shift));
            return 0;
          case VK_RIGHT:
            self->Apply(model.Key(PickerKey::kRight, shift));
            return 0;
          case VK_HOME:
            self->Apply(model.Key(PickerKey::kHome, shift));
            return 0;
          case VK_END:
            self->Apply(model.Key(PickerKey::kEnd, shift));
            return 0;
          case VK_DELETE:
            self->Apply(model.Key(PickerKey::kDelete, shift));
            return 0;
          case VK_BACK:
            self->Apply(model.Key(PickerKey::kBackspace, shift));
            return 0;
          case VK_UP:
            self->Apply(model.Key(PickerKey::kUp, shift));
            return 0;
          case VK_DOWN:
            self->Apply(model.Key(PickerKey::kDown, shift));
            return 0;
          default:
            break;
        }
        break;
      }
      case WM_SETFOCUS: {
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        self->Apply(model.FocusGained());
        return result;
      }
      case WM_KILLFOCUS:
        self->Apply(model.FocusLost());
        break;
      case WM_PASTE:
      case WM_CUT:
      case WM_CLEAR:
      case WM_UNDO:
        return 0;
      default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
  }

  TsTimePicker& picker_;
};

}  // namespace

std::unique_ptr<ChildPeerBase> CreateTimePickerPeer(FormPeer& form, TsTimePicker& picker) {
  return std::make_unique<TimePickerPeer>(form, picker);
}

}  // namespace vcl::win32
