// Bivane's version: the one place it is written. The version resources of bivane.exe and
// BVLIST.EXE are made from it, CMake's project version and the release's file name read it.
#define BIVANE_VERSION_MAJOR 1
#define BIVANE_VERSION_MINOR 1
#define BIVANE_VERSION_PATCH 0
#define BIVANE_VERSION_TEXT "1.1.0"
