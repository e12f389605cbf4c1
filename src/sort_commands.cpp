// A and D: one run, which the two commands share, and what sets each apart.
#include "commands.h"
#include "console.h"
#include "list_file.h"
#include "result_file.h"
#include "sort.h"

#include <span>
#include <string>

namespace mordavelle {
namespace {

constexpr std::string_view kCantFind = "can't find file ";

struct SortCommand {
    std::span<const std::string_view> introduction;  // the lines before the stem is read
    SortKey key;
    std::string_view result_suffix;  // the result is the stem followed by it
    bool missing_list_ends;          // or it is reported and the menu comes back
    std::string_view cant_write;     // before the result's name when it cannot be written
    std::string_view closing_word;   // of a failure
    std::string_view sorted;         // before the result's name when it is written
};

constexpr std::string_view kAlphabeticalIntroduction[] = {
    "Enter name of file to sort entries in.",
    "(I will add the .txt suffix.)",
};

constexpr SortCommand kAlphabeticalSort{
    .introduction = kAlphabeticalIntroduction,
    .key = SortKey::whole_entry,
    .result_suffix = "_a.txt",
    // A missing list is reported and the menu comes back, with no result file:
    // an empty one would replace an earlier result and announce a sort.
    .missing_list_ends = false,
    .cant_write = "can't make file ",
    .closing_word = kShuttingDown,
    .sorted = "Sorted! See file: ",
};

constexpr std::string_view kDepartmentIntroduction[] = {
    "Sorts e-mail addresses based on dept.",
    "(Enter the name of the text file.",
    "(I will add the .txt suffix in names).",
};

constexpr SortCommand kDepartmentSort{
    .introduction = kDepartmentIntroduction,
    .key = SortKey::department,
    .result_suffix = "DEPT.txt",
    .missing_list_ends = true,
    .cant_write = "cannot write output file",
    .closing_word = kExiting,
    .sorted = "Sorted by Dept name, in file: ",
};

// Asks for a list, sorts its entries by the command's key and writes them to
// the result, one a line.
void run_sort_command(const SortCommand& command)
{
    for (const std::string_view line : command.introduction)
        print_line(line);
    const std::string stem = read_stem();
    const std::string name = stem + ".txt";

    const auto text = read_file(name);
    if (!text) {
        if (command.missing_list_ends)
            fail(kCantFind, name, command.closing_word);
        print_line_with_name(kCantFind, name);
        return;
    }
    print_line();

    const SortedEntries sorted(*text, command.key);
    const std::string result_name = stem + std::string{command.result_suffix};
    ResultFile out;
    if (out.open(result_name, {name}, InputsRead::whole))
        sorted.for_each([&out](std::string_view entry) { out.write_line(entry); });
    if (!out.close())
        fail(command.cant_write, result_name, command.closing_word);

    print_line_with_name(command.sorted, result_name);
    print_line();
}

}  // namespace

void run_alphabetical_sort()
{
    run_sort_command(kAlphabeticalSort);
}

void run_department_sort()
{
    run_sort_command(kDepartmentSort);
}

}  // namespace mordavelle
