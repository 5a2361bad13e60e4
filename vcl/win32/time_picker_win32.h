#pragma once
#include <memory>

#include "vcl/win32/win32_backend.h"

namespace vcl::win32 {

// The class of the window that holds the time picker's two spin buttons. It is a child of the
// picker's edit field, at the field's right end, and takes no focus and no text.
inline constexpr wchar_t kTimePickerSpinClass[] = L"TsTimePickerSpin";

// The time picker's window: an edit field whose every input goes through the picker's editing
// model, with the spin buttons inside its right end.
std::unique_ptr<ChildPeerBase> CreateTimePickerPeer(FormPeer& form, TsTimePicker& picker);

}  // namespace vcl::win32
