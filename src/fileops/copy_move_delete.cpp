// Not built yet: placeholders so the program links while this subsystem is written.
#include "app/Unit1.h"

namespace bivane {

void TForm1::Copy1Click(MenuItem) {}
bool TForm1::CheckDiskSpace(const std::string&, const std::string&) { return false; }
bool TForm1::ShellDelete(const std::string&, bool) { return false; }

}  // namespace bivane
