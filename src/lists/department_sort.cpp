#include "lists/department_sort.h"

#include "lists/sort_entries.h"
#include "shell/console.h"
#include "shell/failure.h"
#include "shell/list_file.h"

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
    auto entries = shell::split_entries(*text);
    shell::print_line();

    sort_by_department(entries);
    const std::string sorted_name = stem + "DEPT.txt";
    if (!shell::write_entries(sorted_name, entries))
        shell::fail(kCantWrite, sorted_name, shell::kExiting);

    shell::print_line(std::string{kSorted} + sorted_name);
    shell::print_line();
}

}  // namespace lists
