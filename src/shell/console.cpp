#include "shell/console.h"

#include "shell/failure.h"

#include <iostream>

namespace shell {

void print_line(std::string_view text)
{
    std::cout << text << '\n' << std::flush;
    // A console that is gone (a closed pipe, a full disk, a closed standard
    // output) has no room for a message either: the program ends at once.
    if (!std::cout)
        end_program(kFailureStatus);
}

bool read_word(std::string& word)
{
    word.clear();
    if (std::cin >> word)
        return true;
    word.clear();
    return false;
}

std::string read_stem()
{
    std::string stem;
    (void)read_word(stem);
    return stem;
}

}  // namespace shell
