// The menu loop: paints the menu, reads one command word, runs one command.
#pragma once

#include <string_view>

namespace shell {

inline constexpr std::string_view kHelpCaption = "Mordsavelle";
inline constexpr std::string_view kHelpText =
    "Uses text files (Notepad/Anteckningar, Name.txt) that are local (in same folder as the program). "
    "Some functions (S, J) require prior conversion to lower case letters. "
    "You may copy the program to several different folders.";

// Runs the menu until the quit word or the end of console input, and returns
// the exit status. A failing command ends it by throwing ProgramEnd.
int run_menu();

}  // namespace shell
