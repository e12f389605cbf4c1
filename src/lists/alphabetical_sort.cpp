#include "lists/alphabetical_sort.h"

#include "lists/sort_entries.h"
#include "shell/console.h"
#include "shell/failure.h"
#include "shell/list_reading.h"

#include <string>
#include <string_view>

namespace lists {
namespace {

constexpr std::string_view kPrompt = "Enter name of file to sort entries in.";
constexpr std::string_view kSuffixNote = "(I will add the .txt suffix.)";
constexpr std::string_view kCantFind = "can't find file ";
constexpr std::string_view kCantMake = "can't make file ";
constexpr std::string_view kSorted = "Sorted! See file: ";

}  // namespace

void run_alphabetical_sort()
{
    shell::print_line(kPrompt);
    shell::print_line(kSuffixNote);
    const std::string stem = shell::read_stem();
    const std::string name = stem + ".txt";

    // A missing list is reported and the menu comes back, with no result file:
    // an empty one would replace an earlier result and announce a sort.
    const auto text = shell::read_file(name);
    if (!text) {
        shell::print_line_with_name(kCantFind, name);
        return;
    }
    shell::print_line();

    const SortedText sorted(*text, SortOrder::bytes);
    const std::string sorted_name = stem + "_a.txt";
    if (!write_sorted(sorted_name, sorted))
        shell::fail(kCantMake, sorted_name, shell::kShuttingDown);

    shell::print_line_with_name(kSorted, sorted_name);
    shell::print_line();
}

}  // namespace lists
