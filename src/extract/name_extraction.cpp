#include "extract/name_extraction.h"

#include "case/case.h"
#include "platform/platform.h"
#include "shell/console.h"
#include "shell/failure.h"
#include "shell/list_file.h"

#include <algorithm>
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
    shell::print_line("list in " + input_name + " contains an address of type " + std::string{kExampleWithoutDot});
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

std::vector<Name> sorted_names(const std::vector<std::string_view>& entries, std::string& keys)
{
    // Where each key begins and how long its first part is; views are made
    // once the buffer has stopped growing.
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    spans.reserve(entries.size());
    // Each key is as long as its local part, which keeps its dot's place for the per cent sign.
    std::size_t key_bytes = 0;
    for (std::string_view entry : entries)
        key_bytes += local_part(entry).size();
    keys.reserve(keys.size() + key_bytes);
    // The two parts travel through fUpper by moves, so their buffers are reused.
    std::string first;
    std::string last;
    for (std::string_view entry : entries) {
        const std::string_view local = local_part(entry);
        const std::size_t dot = local.find('.');
        first.assign(local.substr(0, dot));
        first = casing::fUpper(std::move(first));
        last.assign(local.substr(dot + 1));
        last = casing::fUpper(std::move(last));
        spans.emplace_back(keys.size(), first.size());
        keys += first;
        keys += '%';
        keys += last;
    }
    std::vector<Name> names;
    names.reserve(spans.size());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const std::size_t end = i + 1 < spans.size() ? spans[i + 1].first : keys.size();
        names.push_back(Name{std::string_view{keys}.substr(spans[i].first, end - spans[i].first), spans[i].second});
    }
    // A per cent sign inside a part can make two different names share a key;
    // the shorter first part then comes first, so the order is always the same.
    std::ranges::sort(names, [](const Name& a, const Name& b) {
        return std::tie(a.key, a.first_size) < std::tie(b.key, b.first_size);
    });
    return names;
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

    const auto text = shell::read_file(input_name);
    if (!text)
        shell::fail(kCantFind, input_name, shell::kExiting);
    const auto entries = shell::split_entries(*text);
    shell::print_line();

    const DotTest test = test_dots(entries);
    if (!test.passes)
        refuse_list(input_name, test, entries.size());

    std::string keys;
    const std::vector<Name> names = sorted_names(entries, keys);
    const std::string result_name = stem + "_N.txt";
    shell::OutputFile out;
    if (out.open(result_name)) {
        for (const Name& name : names) {
            out.write(name.first());
            out.write(" ");
            out.write_line(name.last());
        }
    }
    if (!out.close())
        shell::fail(kCantWrite, result_name, shell::kExiting);
    shell::print_line();
    shell::print_line(std::string{kDone} + result_name);
    shell::print_line();
}

}  // namespace extract
