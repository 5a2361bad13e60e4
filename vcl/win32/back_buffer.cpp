#include "vcl/win32/back_buffer.h"

#include "vcl/win32/handles.h"

namespace vcl::win32 {
namespace {

class BackBuffer {
 public:
  // A memory DC holding a bitmap of at least width x height, or nullptr.
  HDC Acquire(int width, int height) {
    if (!dc_) dc_.Reset(CreateCompatibleDC(nullptr));
    if (!dc_) return nullptr;
    if (width > width_ || height > height_) {
      const int newWidth = width > width_ ? width : width_;
      const int newHeight = height > height_ ? height : height_;
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof(info.bmiHeader);
      info.bmiHeader.biWidth = newWidth;
      info.bmiHeader.biHeight = -newHeight;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      void* bits = nullptr;
      UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
      if (!bitmap) return nullptr;
      SelectObject(dc_.Get(), bitmap.Get());  // the DC's first bitmap needs no restoring
      bitmap_ = std::move(bitmap);
      width_ = newWidth;
      height_ = newHeight;
    }
    return dc_.Get();
  }

 private:
  UniqueBitmap bitmap_;  // declared first: it goes after the DC that holds it
  UniqueMemoryDc dc_;
  int width_ = 0;
  int height_ = 0;
};

// Painting one buffered area may not start another (a paint callback that pumped messages):
// the inner one then gets a buffer of its own.
bool gInUse = false;

void PaintThrough(HDC memory, HDC target, const RECT& rect, const std::function<void(HDC)>& paint) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const int saved = SaveDC(memory);
  SetViewportOrgEx(memory, -rect.left, -rect.top, nullptr);
  paint(memory);
  RestoreDC(memory, saved);
  BitBlt(target, rect.left, rect.top, width, height, memory, 0, 0, SRCCOPY);
}

}  // namespace

void PaintBuffered(HDC target, const RECT& rect, const std::function<void(HDC)>& paint) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  static BackBuffer shared;
  HDC memory = gInUse ? nullptr : shared.Acquire(width, height);
  if (memory != nullptr) {
    struct InUse {
      InUse() { gInUse = true; }
      ~InUse() { gInUse = false; }
    } inUse;
    PaintThrough(memory, target, rect, paint);
    return;
  }
  UniqueMemoryDc own(CreateCompatibleDC(target));
  UniqueBitmap bitmap(CreateCompatibleBitmap(target, width, height));
  SelectObjectGuard select(own.Get(), bitmap.Get());
  PaintThrough(own.Get(), target, rect, paint);
}

}  // namespace vcl::win32
