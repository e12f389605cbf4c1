#include "lists/count.h"

#include "shell/console.h"
#include "shell/failure.h"
#include "shell/engine/entries.h"
#include "shell/engine/list_reading.h"

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

    // Counting needs no list: the file passes through one small buffer.
    shell::PieceReader file;
    if (!file.open(name))
        shell::fail(kCantFind, name, shell::kShuttingDown);
    std::size_t count = 0;
    for (auto piece = file.next(); !piece.empty(); piece = file.next())
        count += shell::count_entries({piece.data(), piece.size()});
    if (file.failed())
        shell::fail(kCantFind, name, shell::kShuttingDown);
    shell::print_line();

    shell::print_line_with_name("The list  ", name, " contains " + std::to_string(count) + " strings.");
    shell::print_line();
}

}  // namespace lists
