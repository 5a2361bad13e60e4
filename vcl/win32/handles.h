#pragma once
// Move-only owners of Windows handles (copy deleted), and scope guards for DCs and selections.
#include <windows.h>

#include <utility>

namespace vcl::win32 {

template <class Handle, class Deleter>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(Handle handle = nullptr) {
    if (handle_ != nullptr) Deleter{}(handle_);
    handle_ = handle;
  }
  Handle Release() { return std::exchange(handle_, nullptr); }

 private:
  Handle handle_ = nullptr;
};

struct WindowDeleter {
  void operator()(HWND h) const { DestroyWindow(h); }
};
struct GdiDeleter {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct MenuDeleter {
  void operator()(HMENU h) const { DestroyMenu(h); }
};
struct IconDeleter {
  void operator()(HICON h) const { DestroyIcon(h); }
};
struct MemoryDcDeleter {
  void operator()(HDC h) const { DeleteDC(h); }
};

using UniqueWindow = UniqueHandle<HWND, WindowDeleter>;
using UniqueFont = UniqueHandle<HFONT, GdiDeleter>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiDeleter>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiDeleter>;
using UniqueMenu = UniqueHandle<HMENU, MenuDeleter>;
using UniqueIcon = UniqueHandle<HICON, IconDeleter>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcDeleter>;

// GetDC / ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() { ReleaseDC(window_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window, &ps_); }
  ~PaintDc() { EndPaint(window_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return dc_; }
  const RECT& Area() const { return ps_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Selects a GDI object into a DC for the scope.
class SelectObjectGuard {
 public:
  SelectObjectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectObjectGuard() { SelectObject(dc_, old_); }
  SelectObjectGuard(const SelectObjectGuard&) = delete;
  SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace vcl::win32
