// Which file the viewer was asked to show, from its command line. Bivane passes the full path in
// quotes; other callers pass it bare, and a name with spaces then arrives in several words.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace bivane::viewer {

// The command line without the program's own name and the blanks after it.
std::string_view CommandTail(std::string_view commandLine);

// The file named by the tail: the text inside quotes when it starts with one; else the whole
// tail when it names a file, or when its words do not each name a file; else its first word.
// isFile answers for a name as given (relative names against the current directory).
std::string FileFromTail(std::string_view tail, const std::function<bool(const std::string&)>& isFile);

// Where to start: "/at=<offset>" or "/at=<offset>,<length>" before the file shows the file there,
// length bytes selected as a match found (Bivane's Find Files starts the viewer at a match so).
struct StartAt {
    std::int64_t offset = -1;  // -1: the start, as without the option
    std::int64_t length = 0;
};
// Takes the option off the front of the tail; a tail without it is returned as it is.
std::string_view TakeStartAt(std::string_view tail, StartAt& at);

}  // namespace bivane::viewer
