#include "lists/join.h"

#include "lists/engine/entry_set.h"
#include "lists/read_list.h"
#include "platform/files.h"
#include "platform/hints.h"
#include "shell/console.h"
#include "shell/engine/entries.h"
#include "shell/engine/list_reading.h"

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

// Adds each entry of the cursor that the set does not hold yet to both.
template <typename Cursor>
void add_new_entries(std::vector<std::string_view>& joined, EntrySet& seen, Cursor cursor)
{
    SlotsAhead ahead(seen, cursor);
    for (HashedEntry next = ahead.next(); !next.entry.empty(); next = ahead.next()) {
        joined.push_back(next.entry);
        if (!seen.insert(joined.size() - 1, next.hash))
            joined.pop_back();
    }
}

// Every distinct entry of two cursors, once, at its first occurrence; `most`
// bounds how many entries they hold.
template <typename Cursor>
std::vector<std::string_view> join_entries(Cursor first, Cursor second, std::size_t most)
{
    std::vector<std::string_view> joined;
    joined.reserve(most);
    platform::prefer_large_pages(joined.data(), most * sizeof(std::string_view));
    EntrySet seen(joined, most);
    add_new_entries(joined, seen, first);
    add_new_entries(joined, seen, second);
    return joined;
}

}  // namespace

std::vector<std::string_view> join(const std::vector<std::string_view>& first,
                                   const std::vector<std::string_view>& second)
{
    return join_entries(ListCursor(first), ListCursor(second), first.size() + second.size());
}

void run_join()
{
    for (const std::string_view line : kIntroduction)
        shell::print_line(line);
    shell::print_line(kAskFirst);
    shell::print_line(kSuffixNote);
    const std::string first_stem = shell::read_stem();
    const std::string first_text = read_list(first_stem + ".txt", kNoSuchFile);

    shell::print_line(kAskSecond);
    shell::print_line(kSuffixNote);
    const std::string second_stem = shell::read_stem();
    // The joined list lies beside the first, whatever folder the second is in.
    const std::string joined_name =
        first_stem + "_" + second_stem.substr(platform::folder_of(second_stem).size()) + ".txt";
    const std::string second_text = read_list(second_stem + ".txt", kNoSuchFile);

    // Entries in two encodings are joined in UTF-8. The entries go from both
    // texts straight into the set, with no list of either text's entries in
    // between.
    bool beyond_ascii = false;
    const std::size_t most =
        shell::count_entries(first_text, &beyond_ascii) + shell::count_entries(second_text, &beyond_ascii);
    const bool in_two = beyond_ascii && shell::holds_two_encodings(first_text, second_text);
    const std::string first_converted = in_two ? in_characters(first_text) : std::string();
    const std::string second_converted = in_two ? in_characters(second_text) : std::string();
    const auto joined = join_entries(CharacterCursor(first_text, first_converted),
                                     CharacterCursor(second_text, second_converted), most);
    shell::OutputFile out;
    if (out.open(joined_name, {first_stem + ".txt", second_stem + ".txt"})) {
        for (const std::string_view entry : joined)
            out.write_line(entry);
    }
    if (!out.close())
        shell::fail(kCantWrite, joined_name, shell::kExiting);

    shell::print_line_with_name(kDone, joined_name);
    shell::print_line();
}

}  // namespace lists
