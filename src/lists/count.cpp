#include "lists/count.h"

#include "shell/console.h"
#include "shell/failure.h"
#include "shell/list_file.h"

#include <string>
#include <string_view>

namespace lists {
namespace {

constexpr std::string_view kPrompt = "Counts number of entries in which file?";
constexpr std::string_view kSuffixNote = "(I will add the .txt suffix.)";
constexpr std::string_view kCantFind = "can't find file ";

}  // namespace

void run_count()
{
    shell::print_line(kPrompt);
    shell::print_line(kSuffixNote);
    const std::string name = shell::read_stem() + ".txt";

    const auto text = shell::read_file(name);
    if (!text)
        shell::fail(kCantFind, name, shell::kShuttingDown);
    const std::size_t count = shell::split_entries(*text).size();
    shell::print_line();

    shell::print_line("The list  " + name + " contains " + std::to_string(count) + " strings.");
    shell::print_line();
}

}  // namespace lists
