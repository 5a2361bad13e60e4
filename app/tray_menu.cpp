// The handlers of the tray menu PopupMenu2.
#include "app/unit1.h"
#include "vcl/application.h"
#include "vcl/screen.h"

namespace app {

// "显示": the main window at its fixed place, shown, activated and restored. The application
// window is left as it is: from the notification area the taskbar button stays hidden.
void TForm1::N3Click(TObject*) {
  vcl::Backend& windows = vcl::Application().GetBackend();
  // The fixed rectangle of the outer window, moved into the nearest work area only when it
  // would not be wholly visible there (a small desktop must not lose the window off-screen).
  const vcl::TRect place = vcl::KeepInWorkArea({807, 436, 248, 111}, windows.Monitors());
  windows.SetFormOuterBounds(*this, place);
  windows.RestoreForm(*this);
}

}  // namespace app
