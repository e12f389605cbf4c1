#include "lists/alphabetical_sort.h"

#include "lists/sort_command.h"
#include "shell/failure.h"

namespace lists {
namespace {

constexpr std::string_view kIntroduction[] = {
    "Enter name of file to sort entries in.",
    "(I will add the .txt suffix.)",
};

constexpr SortCommand kAlphabeticalSort{
    .introduction = kIntroduction,
    .key = SortKey::whole_entry,
    .result_suffix = "_a.txt",
    // A missing list is reported and the menu comes back, with no result file:
    // an empty one would replace an earlier result and announce a sort.
    .missing_list_ends = false,
    .cant_write = "can't make file ",
    .closing_word = shell::kShuttingDown,
    .sorted = "Sorted! See file: ",
};

}  // namespace

void run_alphabetical_sort()
{
    run_sort_command(kAlphabeticalSort);
}

}  // namespace lists
