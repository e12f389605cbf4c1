#include "lists/department_sort.h"

#include "lists/sort_command.h"
#include "shell/failure.h"

namespace lists {
namespace {

constexpr std::string_view kIntroduction[] = {
    "Sorts e-mail addresses based on dept.",
    "(Enter the name of the text file.",
    "(I will add the .txt suffix in names).",
};

constexpr SortCommand kDepartmentSort{
    .introduction = kIntroduction,
    .key = SortKey::department,
    .result_suffix = "DEPT.txt",
    .missing_list_ends = true,
    .cant_write = "cannot write output file",
    .closing_word = shell::kExiting,
    .sorted = "Sorted by Dept name, in file: ",
};

}  // namespace

void run_department_sort()
{
    run_sort_command(kDepartmentSort);
}

}  // namespace lists
