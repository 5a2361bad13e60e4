#include "app/unit1.h"

namespace app {

// Filled by the end-of-countdown action (shut down, restart, log off).
void TForm1::PerformEndAction() {}

void TForm1::EnableShutdownPrivilege() {}

}  // namespace app
