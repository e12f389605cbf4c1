#include "shell/console.h"

#include "platform/console.h"
#include "shell/failure.h"

#include <iostream>

namespace shell {
namespace {

void end_line()
{
    std::cout << '\n' << std::flush;
    // A console that is gone (a closed pipe, a full disk, a closed standard
    // output) has no room for a message either: the program ends at once.
    if (!std::cout)
        end_program();
}

}  // namespace

void print_line(std::string_view text)
{
    std::cout << text;
    end_line();
}

void print_line_with_name(std::string_view before, std::string_view name, std::string_view after)
{
    std::cout << before;
    platform::write_typed_name(name);
    std::cout << after;
    end_line();
}

std::string read_stem()
{
    std::string stem;
    (void)platform::read_typed_word(stem);
    return stem;
}

}  // namespace shell
