// The console dialogue: lines out, file stems in.
#pragma once

#include <string>
#include <string_view>

namespace shell {

// Prints the text and a line end, and flushes, so the user sees each line at
// once. When the console cannot be written to, the program ends with status 1.
void print_line(std::string_view text = {});

// Prints a line that shows a name the user typed, between two texts: the name
// reaches the console as it was typed, whatever the console's code page.
void print_line_with_name(std::string_view before, std::string_view name, std::string_view after = {});

// Reads a file stem as every command does: the stem is empty when input has ended.
std::string read_stem();

}  // namespace shell
