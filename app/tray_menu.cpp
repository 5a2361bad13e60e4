#include "app/unit1.h"

namespace app {

void TForm1::N3Click(TObject*) {}

}  // namespace app
