// Not built yet: placeholders so the program links while this subsystem is written.
#include "app/Unit1.h"

namespace bivane {

bool TForm1::RunCommandLine(const std::string&, WORD, DWORD) { return false; }
void TForm1::Show1Click() {}
void TForm1::ListView1DblClick() {}
void TForm1::AltExecute() {}

}  // namespace bivane
