#include "lists/join.h"

#include "lists/entry_set.h"
#include "shell/console.h"
#include "shell/failure.h"
#include "shell/list_file.h"

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

}  // namespace

std::vector<std::string_view> join(const std::vector<std::string_view>& first,
                                   const std::vector<std::string_view>& second)
{
    std::vector<std::string_view> joined;
    joined.reserve(first.size() + second.size());
    EntrySet seen(joined, first.size() + second.size());
    for (const auto* list : {&first, &second}) {
        for (const std::string_view entry : *list) {
            joined.push_back(entry);
            if (!seen.insert(joined.size() - 1))
                joined.pop_back();
        }
    }
    return joined;
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

    const auto joined = join(shell::split_entries(first_text), shell::split_entries(second_text));
    if (!shell::write_entries(joined_name, joined))
        shell::fail(kCantWrite, joined_name, shell::kExiting);

    shell::print_line(std::string{kDone} + joined_name);
    shell::print_line();
}

}  // namespace lists
