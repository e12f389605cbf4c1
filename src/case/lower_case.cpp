#include "case/lower_case.h"

#include "case/case.h"
#include "shell/console.h"
#include "shell/failure.h"
#include "shell/list_file.h"

namespace casing {
namespace {

constexpr std::string_view kPrompt[] = {
    "Input file name. All upper case letters",
    "(except non-English)",
    "will be replaced with lower case letters.",
    "(I will add the .txt suffix in names).",
};
constexpr std::string_view kCantFind = "can't find file ";
constexpr std::string_view kCantWrite = "can't write file ";
constexpr std::string_view kDone = "It is done, see file ";

}  // namespace

std::vector<std::string_view> lowered_entries(std::string& text)
{
    // Lowering the whole text before splitting it is fCaser entry by entry:
    // the byte rule leaves white space alone, and no entry is ever empty.
    lower_letters(text);
    return shell::split_entries(text);
}

// The scratch names "Tempstring.txt" and "Cleanstring.txt" are never written
// here, so a file of either name can only be the user's and is left alone.
void run_lower_case()
{
    for (std::string_view line : kPrompt)
        shell::print_line(line);
    const std::string stem = shell::read_stem();
    const std::string output_name = stem + "_low.txt";
    const std::string input_name = stem + ".txt";

    auto text = shell::read_file(input_name);
    if (!text)
        shell::fail(kCantFind, input_name, shell::kShuttingDown);
    shell::print_line();

    if (!shell::write_entries(output_name, lowered_entries(*text)))
        shell::fail(kCantWrite, output_name, shell::kShuttingDown);
    shell::print_line(std::string{kDone} + output_name);
    shell::print_line();
}

}  // namespace casing
