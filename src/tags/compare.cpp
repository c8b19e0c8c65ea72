// Not built yet: placeholders so the program links while this subsystem is written.
#include "app/Unit1.h"

namespace bivane {

void TForm1::NewerorDups1Click() {}
void TForm1::TagNewerOrDuplicates() {}

}  // namespace bivane
