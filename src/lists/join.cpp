#include "lists/join.h"

#include "lists/entry_set.h"
#include "platform/platform.h"
#include "shell/console.h"
#include "shell/failure.h"
#include "shell/entries.h"
#include "shell/list_reading.h"

#include <algorithm>
#include <string>

namespace lists {
namespace {

constexpr std::string_view kIntroduction[] = {
    "Combines two lists,",
    "removes redundant strings.",
    "NOTE: CASE-SENSITIVE! (better change all to lower case first)",
    "",
};
constexpr std::string_view kAskFirst = "file name 1?";
constexpr std::string_view kAskSecond = "file name 2?";
constexpr std::string_view kSuffixNote = "(I will add the .txt suffix in names).";
constexpr std::string_view kNoSuchFile = "no such file ";
constexpr std::string_view kCantWrite = "cannot write output file";
constexpr std::string_view kDone = "Done combining files, output is in the file ";

std::string read_list(const std::string& name)
{
    auto text = shell::read_file(name);
    if (!text)
        shell::fail(kNoSuchFile, name, shell::kExiting);
    return std::move(*text);
}

// Every distinct entry that for_each_entry visits, once, at its first
// occurrence; `most` bounds how many entries it visits.
template <typename ForEachEntry>
std::vector<std::string_view> join_entries(ForEachEntry for_each_entry, std::size_t most)
{
    std::vector<std::string_view> joined;
    joined.reserve(most);
    platform::prefer_large_pages(joined.data(), most * sizeof(std::string_view));
    EntrySet seen(joined, most);
    with_slots_ahead(seen, for_each_entry, [&](std::string_view entry, std::size_t hash) {
        joined.push_back(entry);
        if (!seen.insert(joined.size() - 1, hash))
            joined.pop_back();
    });
    return joined;
}

}  // namespace

std::vector<std::string_view> join(const std::vector<std::string_view>& first,
                                   const std::vector<std::string_view>& second)
{
    return join_entries(
        [&](auto visit) {
            for (const auto* list : {&first, &second})
                std::for_each(list->begin(), list->end(), visit);
        },
        first.size() + second.size());
}

void run_join()
{
    for (const std::string_view line : kIntroduction)
        shell::print_line(line);
    shell::print_line(kAskFirst);
    shell::print_line(kSuffixNote);
    const std::string first_stem = shell::read_stem();
    const std::string first_text = read_list(first_stem + ".txt");

    shell::print_line(kAskSecond);
    shell::print_line(kSuffixNote);
    const std::string second_stem = shell::read_stem();
    const std::string joined_name = first_stem + "_" + second_stem + ".txt";
    const std::string second_text = read_list(second_stem + ".txt");

    // The entries go from both texts straight into the set, with no list of
    // either text's entries in between.
    const auto joined = join_entries(
        [&](auto visit) {
            shell::for_each_entry(first_text, visit);
            shell::for_each_entry(second_text, visit);
        },
        shell::count_entries(first_text) + shell::count_entries(second_text));
    if (!shell::write_entries(joined_name, joined))
        shell::fail(kCantWrite, joined_name, shell::kExiting);

    shell::print_line_with_name(kDone, joined_name);
    shell::print_line();
}

}  // namespace lists
