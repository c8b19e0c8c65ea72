// The keys the lists take, listed from the key map's own tables, so the help can be checked
// against them.
#pragma once
#include <string>
#include <vector>

namespace bivane {

// Every key and combination of the lists' key map, each as the help writes it: "<kbd>F7</kbd>",
// "<kbd>Shift+F7</kbd>", "keypad <kbd>+</kbd>", "<kbd>&larr;</kbd>".
std::vector<std::string> KeyMapKeys();

}  // namespace bivane
