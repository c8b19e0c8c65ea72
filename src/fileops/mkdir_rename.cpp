// Not built yet: placeholders so the program links while this subsystem is written.
#include "app/Unit1.h"

namespace bivane {

void TForm1::MakeNewDirectory() {}
void TForm1::SpeedButton3Click() {}
void TForm1::SpeedButton4Click() {}
void TForm1::Rename1Click() {}
void TForm1::DoRename(MenuItem) {}
void TForm1::ListView1Editing(int) {}
void TForm1::ListView2Editing(int) {}
void TForm1::ListView1Edited(MenuItem, int, std::string&) {}
void TForm1::ListView2Edited(MenuItem, int, std::string&) {}

}  // namespace bivane
