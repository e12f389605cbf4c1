// The sorts as the commands run them, against plain models: a list text in
// byte order and in department order gives the very entries of the text in
// the order a stable sort gives, and names come out as keys made one by one,
// sorted, each written with a blank for its first per cent sign.
#include "commands.h"
#include "sort.h"
#include "entries.h"
#include "name_extraction.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

template <typename Less>
void check_sorted_text(std::string_view text, mordavelle::SortKey key, Less less)
{
    auto expected = mordavelle::split_entries(text);
    std::stable_sort(expected.begin(), expected.end(), less);
    std::size_t i = 0;
    mordavelle::SortedEntries(text, key).for_each([&](std::string_view entry) {
        if (i >= expected.size() || entry.data() != expected[i].data() || entry.size() != expected[i].size())
            std::abort();
        ++i;
    });
    if (i != expected.size())
        std::abort();
}

char raised(char byte)
{
    return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 'a' + 'A') : byte;
}

void check_names(std::string_view text)
{
    // The model: the dot test and each key made on its own.
    std::int64_t dots = 0;
    bool passes = true;
    bool empty_part = false;
    std::vector<std::string> expected;
    const auto entries = mordavelle::split_entries(text);
    for (const std::string_view entry : entries) {
        const std::string_view local = entry.substr(0, entry.find('@'));
        dots += std::count(local.begin(), local.end(), '.');
        const std::size_t dot = local.find('.');
        if (dot == std::string_view::npos) {
            passes = false;
            continue;
        }
        empty_part = empty_part || dot == 0 || dot + 1 == local.size();
        if (empty_part)
            continue;
        std::string key{local};
        key[0] = raised(key[0]);
        key[dot] = '%';
        key[dot + 1] = raised(key[dot + 1]);
        expected.push_back(std::move(key));
    }
    std::sort(expected.begin(), expected.end());
    for (std::string& line : expected)
        line[line.find('%')] = ' ';

    std::string in_place{text};
    const auto made = mordavelle::make_name_keys(in_place);
    if (made.passes != passes || made.dots != dots || made.entries != entries.size())
        std::abort();
    if (!passes)
        return;
    if (made.empty_part != empty_part)
        std::abort();
    if (empty_part)
        return;
    std::size_t i = 0;
    mordavelle::SortedEntries(in_place, mordavelle::SortKey::whole_entry).for_each([&](std::string_view key) {
        if (i >= expected.size() || mordavelle::name_line(in_place, key) != expected[i])
            std::abort();
        ++i;
    });
    if (i != expected.size())
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    check_sorted_text(text, mordavelle::SortKey::whole_entry, std::less<std::string_view>{});
    check_sorted_text(text, mordavelle::SortKey::department, [](std::string_view a, std::string_view b) {
        return mordavelle::department_key(a) < mordavelle::department_key(b);
    });
    check_names(text);
    return 0;
}
