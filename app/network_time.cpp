#include "app/unit1.h"

namespace app {

void TForm1::N1Click(TObject*) {}

void TForm1::N2Click(TObject*) {}

}  // namespace app
