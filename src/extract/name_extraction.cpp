#include "extract/name_extraction.h"

#include "case/case.h"
#include "platform/platform.h"
#include "shell/console.h"
#include "shell/failure.h"
#include "shell/entries.h"
#include "shell/list_file.h"

#include "lists/sort_entries.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <tuple>
#include <utility>

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

constexpr std::size_t kPrefetchAhead = 12;

}  // namespace

std::string_view local_part(std::string_view entry)
{
    return entry.substr(0, entry.find('@'));
}

DotTest test_dots(const std::vector<std::string_view>& entries)
{
    DotTest test;
    for (std::string_view entry : entries) {
        const auto dots = std::ranges::count(local_part(entry), '.');
        test.dots += dots;
        test.passes = test.passes && dots > 0;
    }
    return test;
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

std::vector<Name> sorted_names(const std::vector<std::string_view>& entries, std::string& keys)
{
    // Each key is as long as its local part, which keeps its dot's place for
    // the per cent sign; the buffer is sized once, so the keys never move.
    std::size_t key_bytes = 0;
    for (std::string_view entry : entries)
        key_bytes += local_part(entry).size();
    keys.clear();
    keys.reserve(key_bytes);
    std::vector<std::size_t> first_sizes;
    first_sizes.reserve(entries.size());
    for (std::string_view entry : entries) {
        const std::string_view local = local_part(entry);
        const std::size_t dot = local.find('.');
        // An empty part is refused as fUpper refuses it, which ends the program.
        if (dot == 0 || dot + 1 == local.size())
            (void)casing::fUpper({});
        const std::size_t start = keys.size();
        keys += local;
        make_key(keys.data() + start, dot);
        first_sizes.push_back(dot);
    }
    const auto for_each_key = [&](auto take) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::size_t size = local_part(entries[i]).size();
            take(std::string_view(keys).substr(start, size), first_sizes[i]);
            start += size;
        }
    };
    std::vector<Name> names;
    names.reserve(entries.size());
    // Byte order of the keys, and equal keys by the size of their first parts.
    if (const auto items = lists::sort_detail::sort_keys(for_each_key, true)) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            names.push_back(Name{items[i].key_view(), items[i].extra});
        return names;
    }
    // Parts of four gigabytes do not fit the records: the plain sort.
    for_each_key([&names](std::string_view key, std::size_t first_size) { names.push_back(Name{key, first_size}); });
    std::ranges::sort(names, [](const Name& a, const Name& b) {
        return std::tie(a.key, a.first_size) < std::tie(b.key, b.first_size);
    });
    return names;
}

SortedNameKeys sort_names_in_place(std::string& text)
{
    SortedNameKeys sorted;
    // A key begins with its entry's first byte, raised: counting those first
    // lets the records be dealt out as the keys are made.
    lists::sort_detail::KeyCounts counts;
    shell::for_each_entry(text, [&counts](std::string_view entry) {
        ++counts.starts[1 + static_cast<unsigned char>(raised(entry[0]))];
    });
    lists::sort_detail::DealtItems dealt(counts);

    // One walk makes the dot test and, while it passes and no part is empty,
    // the keys and their records, each key in the text in place of its local
    // part. The records keep the size of the first part, as the per cent sign
    // no longer tells where the dot was.
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
        dealt.deal(local, dot);
    });
    if (sorted.test.passes && !sorted.empty_part)
        sorted.items = dealt.sort(true);
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
    if (text->size() <= lists::sort_detail::kLargestKey) {
        const SortedNameKeys sorted = sort_names_in_place(*text);
        if (!sorted.test.passes)
            refuse_list(input_name, sorted.test, sorted.entries);
        if (sorted.empty_part)
            (void)casing::fUpper({});
        if (out.open(result_name)) {
            for (std::size_t i = 0; i < sorted.entries; ++i) {
                if (i + kPrefetchAhead < sorted.entries)
                    platform::prefetch(sorted.items[i + kPrefetchAhead].key);
                // The key is written with a blank in place of its per cent sign.
                const auto& item = sorted.items[i];
                (*text)[static_cast<std::size_t>(item.key - text->data()) + item.extra] = ' ';
                out.write_line(item.key_view());
            }
        }
    } else {
        // A text too large for the sort's records takes the list way.
        const auto entries = shell::split_entries(*text);
        const DotTest test = test_dots(entries);
        if (!test.passes)
            refuse_list(input_name, test, entries.size());
        std::string keys;
        const auto names = sorted_names(entries, keys);
        if (out.open(result_name)) {
            for (const Name& name : names) {
                out.write(name.first());
                out.write(" ");
                out.write_line(name.last());
            }
        }
    }
    if (!out.close())
        shell::fail(kCantWrite, result_name, shell::kExiting);
    shell::print_line();
    shell::print_line_with_name(kDone, result_name);
    shell::print_line();
}

}  // namespace extract
