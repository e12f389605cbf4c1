#include "commands.h"
#include "console.h"
#include "list_file.h"
#include "platform/console.h"
#include "result_file.h"
#include "sort.h"
#include "text.h"

#include <algorithm>

namespace mordavelle {
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
// What fUpper says of an empty first or last name.
constexpr std::string_view kEmptyPart = "bad string in fUpper, closing...";
constexpr unsigned kEmptyPartPauseMs = 3000;

}  // namespace

NameKeys make_name_keys(std::string& text)
{
    NameKeys made;
    for_each_entry(text, [&](std::string_view entry) {
        ++made.entries;
        const std::string_view local = local_part(entry);
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
        key[0] = fUpper(key[0]);
        key[dot] = '%';
        key[dot + 1] = fUpper(key[dot + 1]);
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
        print_line(line);
    std::string stem;
    if (!platform::read_typed_word(stem))
        throw Failure{{{std::string{kBadRead}, {}, {}}}, {}, kBadReadPauseMs};
    const std::string input_name = stem + ".txt";

    std::string text = read_list(input_name, failure(kCantFind, input_name, kExiting));
    print_line();

    const NameKeys made = make_name_keys(text);
    if (!made.passes) {
        throw Failure{{{"list in ", input_name, " contains an address of type " + std::string{kExampleWithoutDot}},
                       {std::string{kWillNotWork}, {}, {}},
                       {"iTestDot: " + std::to_string(made.dots) + "vEmails.size(): " + std::to_string(made.entries),
                        {}, {}}},
                      {},
                      kRefusalPauseMs};
    }
    if (made.empty_part)
        throw Failure{{{std::string{kEmptyPart}, {}, {}}}, {}, kEmptyPartPauseMs};
    const SortedEntries keys(text, SortKey::local_part);
    const std::string result_name = stem + "_N.txt";
    OutputFile out;
    if (out.open(result_name, {input_name}))
        keys.for_each([&](std::string_view key) { out.write_line(name_line(text, key)); });
    if (!out.close())
        fail(kCantWrite, result_name, kExiting);
    print_line();
    print_line_with_name(kDone, result_name);
    print_line();
}

}  // namespace mordavelle
