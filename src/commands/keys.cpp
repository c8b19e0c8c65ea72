// Not built yet: placeholders so the program links while this subsystem is written.
#include "app/Unit1.h"

namespace bivane {

void TForm1::ListView1KeyDown(WORD&, TShiftState) {}
void TForm1::ListView1KeyPress(wchar_t&) {}

}  // namespace bivane
