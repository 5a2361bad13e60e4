#pragma once
// Flicker-free painting through one back buffer kept for the whole UI thread: a memory DC with a
// 32-bit DIB section that grows to the largest area asked for. (A memory DC and bitmap made for
// each paint cost more than the painting itself under Wine.)
#include <windows.h>

#include <functional>

namespace vcl::win32 {

// `paint` draws at `rect`'s own coordinates (of `target`) into the buffer, which then goes to
// `target` in one BitBlt. Each paint starts from a freshly reset DC state.
void PaintBuffered(HDC target, const RECT& rect, const std::function<void(HDC)>& paint);

}  // namespace vcl::win32
