#include "lists/department_sort.h"

#include "lists/sort_entries.h"
#include "shell/console.h"
#include "shell/failure.h"
#include "shell/list_reading.h"

#include <string>
#include <string_view>

namespace lists {
namespace {

constexpr std::string_view kIntroduction[] = {
    "Sorts e-mail addresses based on dept.",
    "(Enter the name of the text file.",
    "(I will add the .txt suffix in names).",
};
constexpr std::string_view kCantFind = "can't find file ";
constexpr std::string_view kCantWrite = "cannot write output file";
constexpr std::string_view kSorted = "Sorted by Dept name, in file: ";

}  // namespace

void run_department_sort()
{
    for (const std::string_view line : kIntroduction)
        shell::print_line(line);
    const std::string stem = shell::read_stem();
    const std::string name = stem + ".txt";

    const auto text = shell::read_file(name);
    if (!text)
        shell::fail(kCantFind, name, shell::kExiting);
    shell::print_line();

    const SortedText sorted(*text, SortOrder::department);
    const std::string sorted_name = stem + "DEPT.txt";
    if (!write_sorted(sorted_name, sorted))
        shell::fail(kCantWrite, sorted_name, shell::kExiting);

    shell::print_line_with_name(kSorted, sorted_name);
    shell::print_line();
}

}  // namespace lists
