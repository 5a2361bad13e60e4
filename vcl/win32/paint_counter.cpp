#include "vcl/win32/paint_counter.h"

#include "vcl/win32/subclass.h"

namespace vcl::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 0x5043;  // "PC"

LRESULT CALLBACK CounterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR data) {
  auto* count = reinterpret_cast<LONG_PTR*>(data);
  if (message == WM_PAINT) {
    ++*count;
  } else if (message == PaintCountMessage()) {
    return *count;
  } else if (message == WM_NCDESTROY) {
    RemoveSubclass(window, CounterProc, kSubclassId);
    delete count;
  }
  return DefSubclass(window, message, wParam, lParam);
}

}  // namespace

UINT PaintCountMessage() {
  static const UINT message = RegisterWindowMessageW(L"CountdownPaintCount");
  return message;
}

void CountPaints(HWND window) {
  if (window == nullptr) return;
  SetSubclass(window, CounterProc, kSubclassId, reinterpret_cast<DWORD_PTR>(new LONG_PTR(0)));
}

}  // namespace vcl::win32
