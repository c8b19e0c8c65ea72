// Not built yet: placeholders so the program links while this subsystem is written.
#include "app/Unit1.h"

namespace bivane {

void TForm1::TagItem(int, bool) {}
void TForm1::TagAllClick() {}
void TForm1::InvertTagsClick() {}
void TForm1::MClearAllClick() {}
void TForm1::ListView1MouseUp(MouseButton, TShiftState, int, int) {}
void TForm1::ListView1Change(int) {}
void TForm1::ListView2Change(int) {}

}  // namespace bivane
