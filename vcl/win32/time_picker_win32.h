#pragma once
#include <memory>

#include "vcl/win32/win32_backend.h"

namespace vcl::win32 {

// The time picker's window: an edit area driven by the picker's editing model.
std::unique_ptr<ChildPeerBase> CreateTimePickerPeer(FormPeer& form, TsTimePicker& picker);

}  // namespace vcl::win32
