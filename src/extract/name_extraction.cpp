#include "extract/name_extraction.h"

#include "case/case.h"
#include "platform/console.h"
#include "shell/console.h"
#include "shell/failure.h"
#include "shell/entries.h"
#include "shell/list_file.h"

#include "lists/sort_entries.h"

#include <algorithm>
#include <array>
#include <cstdint>

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

[[noreturn]] void refuse_list(const std::string& input_name, const DotTest& test, std::size_t entries)
{
    shell::print_line_with_name("list in ", input_name, std::string{" contains an address of type "} + std::string{kExampleWithoutDot});
    shell::print_line(kWillNotWork);
    shell::print_line("iTestDot: " + std::to_string(test.dots) + "vEmails.size(): " + std::to_string(entries));
    platform::pause(kRefusalPauseMs);
    shell::end_program();
}

}  // namespace

std::string_view local_part(std::string_view entry)
{
    return entry.substr(0, entry.find('@'));
}

namespace {

constexpr char kCaseDistance = 'a' - 'A';

char raised(char byte)
{
    return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - kCaseDistance) : byte;
}

// Turns a local part that has a dot into its name key in place: the first dot
// becomes the per cent sign and each part's first byte is raised as fUpper
// raises it. The key keeps the local part's length.
void make_key(char* local, std::size_t dot)
{
    local[0] = raised(local[0]);
    local[dot] = '%';
    local[dot + 1] = raised(local[dot + 1]);
}

}  // namespace

SortedNameKeys sort_names_in_place(std::string& text)
{
    SortedNameKeys sorted;
    // A key begins with its entry's first byte, raised: counting those first
    // lets the sorter take each key as it is made.
    std::array<std::size_t, 256> first_bytes{};
    shell::for_each_entry(text, [&first_bytes](std::string_view entry) {
        ++first_bytes[static_cast<unsigned char>(raised(entry[0]))];
    });
    lists::KeySorter sorter(first_bytes);

    // One walk makes the dot test and, while it passes and no part is empty,
    // the keys, each in the text in place of its local part. Each key's tie is
    // the size of its first part, as the per cent sign no longer tells where
    // the dot was.
    shell::for_each_entry(text, [&](std::string_view entry) {
        ++sorted.entries;
        const std::string_view local = local_part(entry);
        const std::size_t dot = local.find('.');
        if (dot == std::string_view::npos) {
            sorted.test.passes = false;
            return;
        }
        sorted.test.dots += std::count(local.begin() + static_cast<std::ptrdiff_t>(dot), local.end(), '.');
        sorted.empty_part = sorted.empty_part || dot == 0 || dot + 1 == local.size();
        if (!sorted.test.passes || sorted.empty_part)
            return;
        make_key(text.data() + (local.data() - text.data()), dot);
        sorter.add(local, dot);
    });
    if (sorted.test.passes && !sorted.empty_part)
        sorted.keys = sorter.sort();
    return sorted;
}

void run_name_extraction()
{
    for (std::string_view line : kPrompt)
        shell::print_line(line);
    std::string stem;
    if (!shell::read_word(stem)) {
        shell::print_line(kBadRead);
        platform::pause(kBadReadPauseMs);
        shell::end_program();
    }
    const std::string input_name = stem + ".txt";

    auto text = shell::read_file(input_name);
    if (!text)
        shell::fail(kCantFind, input_name, shell::kExiting);
    shell::print_line();

    const std::string result_name = stem + "_N.txt";
    shell::OutputFile out;
    const SortedNameKeys sorted = sort_names_in_place(*text);
    if (!sorted.test.passes)
        refuse_list(input_name, sorted.test, sorted.entries);
    if (sorted.empty_part)
        (void)casing::fUpper({});
    if (out.open(result_name)) {
        sorted.keys.for_each([&](std::string_view key, std::size_t first_size) {
            // The key is written with a blank in place of its per cent sign.
            (*text)[static_cast<std::size_t>(key.data() - text->data()) + first_size] = ' ';
            out.write_line(key);
        });
    }
    if (!out.close())
        shell::fail(kCantWrite, result_name, shell::kExiting);
    shell::print_line();
    shell::print_line_with_name(kDone, result_name);
    shell::print_line();
}

}  // namespace extract
