#include "commands.h"
#include "console.h"
#include "list_file.h"
#include "platform/console.h"
#include "result_file.h"
#include "sort.h"
#include "text.h"

#include <cstring>

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
    // Each byte of a local part is looked at once, for its end and its dots
    // together. Each key is moved down to where the keys before it end, which
    // never reaches bytes not yet looked at, as an entry is at least its local
    // part and a separator; the sort then has half the text to walk through.
    NameKeys made;
    char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* cursor = begin;
    char* keys_end = begin;
    const auto in_local_part = [](char byte) { return byte != '@' && !is_separator(static_cast<unsigned char>(byte)); };
    for (;;) {
        while (cursor != end && is_separator(static_cast<unsigned char>(*cursor)))
            ++cursor;
        if (cursor == end)
            break;
        ++made.entries;
        const char* const entry = cursor;
        const char* first_dot = nullptr;
        for (; cursor != end && in_local_part(*cursor); ++cursor) {
            if (*cursor == '.') {
                first_dot = first_dot == nullptr ? cursor : first_dot;
                ++made.dots;
            }
        }
        const char* const local_end = cursor;
        if (cursor != end && *cursor == '@')
            cursor = find_separator(cursor + 1, end);
        if (first_dot == nullptr) {
            made.passes = false;
            continue;
        }
        made.empty_part = made.empty_part || first_dot == entry || first_dot + 1 == local_end;
        if (!made.passes || made.empty_part)
            continue;
        if (keys_end != begin)
            *keys_end++ = '\n';
        const auto size = static_cast<std::size_t>(local_end - entry);
        char* const key = static_cast<char*>(std::memmove(keys_end, entry, size));
        keys_end += size;
        const auto dot = static_cast<std::size_t>(first_dot - entry);
        key[0] = fUpper(key[0]);
        key[dot] = '%';
        key[dot + 1] = fUpper(key[dot + 1]);
    }
    if (made.passes && !made.empty_part)
        text.resize(static_cast<std::size_t>(keys_end - begin));
    return made;
}

std::string_view name_line(std::string& text, std::string_view key)
{
    // The per cent sign is most often a few bytes in, where a plain look at
    // each byte finds it sooner than a search that first sets itself up.
    std::size_t split = 0;
    while (split < key.size() && key[split] != '%')
        ++split;
    if (split < key.size())
        text[static_cast<std::size_t>(key.data() - text.data()) + split] = ' ';
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
    const SortedEntries keys(text, SortKey::whole_entry);
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
