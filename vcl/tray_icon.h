#pragma once
// The notification-area icon component.
#include <string>

#include "vcl/controls.h"

namespace vcl {

class TRzTrayIcon : public TComponent {
 public:
  TRzTrayIcon(TComponent* owner, std::wstring name);
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }

 private:
  TPopupMenu* popupMenu_ = nullptr;
};

}  // namespace vcl
