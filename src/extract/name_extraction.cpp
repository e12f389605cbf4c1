#include "extract/name_extraction.h"

#include "case/case.h"
#include "lists/engine/sort_entries.h"
#include "platform/console.h"
#include "shell/console.h"
#include "shell/failure.h"
#include "shell/engine/entries.h"
#include "shell/engine/list_reading.h"

#include <algorithm>

namespace extract {
namespace {

constexpr std::string_view kPrompt[] = {
    "Extracting 'Name Lastname' from e-mail address.",
    "Enter name of list.",
    "I will add the .txt suffix.",
};
constexpr std::string_view kBadRead = "bad first cin";
constexpr unsigned kBadReadPauseMs = 3000;
constexpr std::string_view kCantFind = "can't find file ";
constexpr std::string_view kCantWrite = "can't write file ";
constexpr std::string_view kExampleWithoutDot = "name@mordavelle.se";
constexpr std::string_view kWillNotWork = "That will not work for this N function, exiting...";
constexpr unsigned kRefusalPauseMs = 10000;
constexpr std::string_view kDone = "Done! Names are in:";

}  // namespace

NameKeys make_name_keys(std::string& text)
{
    NameKeys made;
    shell::for_each_entry(text, [&](std::string_view entry) {
        ++made.entries;
        const std::string_view local = lists::local_part(entry);
        const std::size_t dot = local.find('.');
        if (dot == std::string_view::npos) {
            made.passes = false;
            return;
        }
        made.dots += std::count(local.begin() + static_cast<std::ptrdiff_t>(dot), local.end(), '.');
        made.empty_part = made.empty_part || dot == 0 || dot + 1 == local.size();
        if (!made.passes || made.empty_part)
            return;
        char* const key = text.data() + (local.data() - text.data());
        key[0] = casing::raised(key[0]);
        key[dot] = '%';
        key[dot + 1] = casing::raised(key[dot + 1]);
    });
    return made;
}

std::string_view name_line(std::string& text, std::string_view key)
{
    text[static_cast<std::size_t>(key.data() - text.data()) + key.find('%')] = ' ';
    return key;
}

void run_name_extraction()
{
    for (std::string_view line : kPrompt)
        shell::print_line(line);
    std::string stem;
    if (!platform::read_typed_word(stem)) {
        shell::print_line(kBadRead);
        platform::pause(kBadReadPauseMs);
        shell::end_program();
    }
    const std::string input_name = stem + ".txt";

    auto text = shell::read_file(input_name);
    if (!text)
        shell::fail(kCantFind, input_name, shell::kExiting);
    shell::print_line();

    const NameKeys made = make_name_keys(*text);
    if (!made.passes) {
        shell::print_line_with_name("list in ", input_name,
                                    " contains an address of type " + std::string{kExampleWithoutDot});
        shell::print_line(kWillNotWork);
        shell::print_line("iTestDot: " + std::to_string(made.dots) + "vEmails.size(): " + std::to_string(made.entries));
        platform::pause(kRefusalPauseMs);
        shell::end_program();
    }
    if (made.empty_part)
        (void)casing::fUpper({});
    const lists::SortedEntries keys(*text, lists::SortKey::local_part);
    const std::string result_name = stem + "_N.txt";
    shell::OutputFile out;
    if (out.open(result_name, {input_name}))
        keys.for_each([&](std::string_view key) { out.write_line(name_line(*text, key)); });
    if (!out.close())
        shell::fail(kCantWrite, result_name, shell::kExiting);
    shell::print_line();
    shell::print_line_with_name(kDone, result_name);
    shell::print_line();
}

}  // namespace extract
