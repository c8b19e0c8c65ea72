// Where the libraries a program loads after its start come from.
#pragma once

namespace bivane {

// Every library loaded by name from now on (those loaded on first use, and those the system's
// own libraries load for the program) comes from the system folder only: never from the
// program's folder, where anyone who can write there may plant one, nor from the current
// directory, which is the folder the user browses. The common controls named in the manifest
// still come from the side-by-side store. Called first thing in each program's entry point.
void LoadLibrariesFromSystemOnly();

}  // namespace bivane
