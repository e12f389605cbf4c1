#include "lists/sort_command.h"

#include "shell/console.h"
#include "shell/failure.h"
#include "shell/engine/list_reading.h"

#include <string>

namespace lists {

constexpr std::string_view kCantFind = "can't find file ";

void run_sort_command(const SortCommand& command)
{
    for (const std::string_view line : command.introduction)
        shell::print_line(line);
    const std::string stem = shell::read_stem();
    const std::string name = stem + ".txt";

    const auto text = shell::read_file(name);
    if (!text) {
        if (command.missing_list_ends)
            shell::fail(kCantFind, name, command.closing_word);
        shell::print_line_with_name(kCantFind, name);
        return;
    }
    shell::print_line();

    const SortedEntries sorted(*text, command.key);
    const std::string result_name = stem + std::string{command.result_suffix};
    shell::OutputFile out;
    if (out.open(result_name, {name}))
        sorted.for_each([&out](std::string_view entry) { out.write_line(entry); });
    if (!out.close())
        shell::fail(command.cant_write, result_name, command.closing_word);

    shell::print_line_with_name(command.sorted, result_name);
    shell::print_line();
}

}  // namespace lists
