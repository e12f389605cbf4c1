#include "lists/department_sort.h"

#include "lists/sort_command.h"
#include "shell/failure.h"

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

constexpr SortCommand kDepartmentSort{
    .introduction = kIntroduction,
    .key = SortKey::department,
    .result_suffix = "DEPT.txt",
    .cant_find = kCantFind,
    .missing_list_ends = true,
    .cant_write = kCantWrite,
    .closing_word = shell::kExiting,
    .sorted = kSorted,
};

}  // namespace

void run_department_sort()
{
    run_sort_command(kDepartmentSort);
}

}  // namespace lists
