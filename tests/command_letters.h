// What a table of cases for every command covers, told by the menu's own
// table: a command added to the menu and left out of a table fails the suite.
#pragma once

#include "commands.h"

#include <algorithm>
#include <string>
#include <vector>

namespace e2e {

// The menu letters of the commands as typed ("s all resp"), raised, in the
// menu's order, to be compared with mordavelle::command_letters().
inline std::string letters_of(const std::vector<std::string>& typed)
{
    std::string letters;
    for (const char letter : mordavelle::command_letters()) {
        if (std::any_of(typed.begin(), typed.end(), [letter](const std::string& words) {
                return !words.empty() && (words[0] == letter || words[0] == letter + ('a' - 'A'));
            }))
            letters += letter;
    }
    return letters;
}

}  // namespace e2e
