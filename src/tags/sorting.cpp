// Not built yet: placeholders so the program links while this subsystem is written.
#include "app/Unit1.h"

namespace bivane {

void TForm1::SortByName() {}
void TForm1::SortByExt() {}
void TForm1::SortBySize() {}
void TForm1::SortByDate() {}
void TForm1::ListView1ColumnClick(int) {}
void TForm1::ListView2ColumnClick(int) {}
void TForm1::LocateItem() {}
void TForm1::LocateItem2(const std::string&) {}
void TForm1::Refresh1Click() {}

}  // namespace bivane
