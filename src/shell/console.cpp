#include "shell/console.h"

#include <iostream>

namespace shell {

void print_line(std::string_view text)
{
    std::cout << text << '\n' << std::flush;
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
