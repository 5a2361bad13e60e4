#include "vcl/tray_icon.h"

namespace vcl {

TRzTrayIcon::TRzTrayIcon(TComponent* owner, std::wstring name)
    : TComponent(owner, std::move(name)) {}

}  // namespace vcl
