// Starting other programs and documents, in UTF-8.
#pragma once
#include <string>

#include "platform/win.h"

namespace bivane {

// Creates a process from a command line parsed the platform's way (the first word names the
// program), with this program's environment and current directory, handles not inherited.
// startFlags and show fill the startup record's dwFlags and wShowWindow. Waits at most waitMs
// for the program to end. False when the process could not be created.
bool StartProcess(const std::string& commandLine, DWORD startFlags, WORD show, DWORD creationFlags,
                  DWORD waitMs);

// The simple program start: the program at path, no arguments, shown with show; never waits.
bool StartProgram(const std::string& path, WORD show);

// While it lives, a program started by its bare name is not looked for in the current directory
// (the folder the user browses): for the programs the system starts on this program's behalf,
// such as the help viewer. A typed command line still finds the programs of its folder.
class CurrentDirNotSearched {
public:
    CurrentDirNotSearched();
    ~CurrentDirNotSearched();
    CurrentDirNotSearched(const CurrentDirNotSearched&) = delete;
    CurrentDirNotSearched& operator=(const CurrentDirNotSearched&) = delete;

private:
    bool wasSet_ = false;
    std::wstring was_;
};

// The shell's open operation (the file type's default action) on path, run in directory.
// No error is shown to the user; false when nothing was started.
// The folder the running program was started from.
std::string ProgramFolder();
bool ShellOpen(HWND owner, const std::string& path, const std::string& directory, int show);

}  // namespace bivane
