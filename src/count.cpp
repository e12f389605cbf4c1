#include "commands.h"
#include "console.h"
#include "list_file.h"
#include "entries.h"

#include <string>
#include <string_view>

namespace mordavelle {
namespace {

constexpr std::string_view kPrompt = "Counts number of entries in which file?";
constexpr std::string_view kSuffixNote = "(I will add the .txt suffix.)";
constexpr std::string_view kCantFind = "can't find file ";

}  // namespace

void run_count()
{
    print_line(kPrompt);
    print_line(kSuffixNote);
    const std::string name = read_stem() + ".txt";

    // Counting needs no list: the file passes through one small buffer.
    PieceReader file(name, failure(kCantFind, name, kShuttingDown));
    std::size_t count = 0;
    for (auto piece = file.next(); !piece.empty(); piece = file.next())
        count += count_entries({piece.data(), piece.size()});
    print_line();

    print_line_with_name("The list  ", name, " contains " + std::to_string(count) + " strings.");
    print_line();
}

}  // namespace mordavelle
