// The locale's string order as sort keys, so sorting compares bytes instead of calling the API.
#pragma once
#include "core/collation.h"

namespace bivane {

// Keys whose byte order is lstrcmpW's (case-sensitive) or lstrcmpiW's order.
Collation PlatformCollation();

}  // namespace bivane
