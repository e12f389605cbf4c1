// The sorts: byte order and department order give a permutation of the
// entries in the order a plain stable sort gives, and names come out in the
// byte order of their keys.
#include "extract/name_extraction.h"
#include "lists/sort_entries.h"
#include "shell/failure.h"
#include "shell/entries.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto entries = shell::split_entries(text);

    auto by_bytes = entries;
    lists::sort_by_bytes(by_bytes);
    auto expected = entries;
    std::stable_sort(expected.begin(), expected.end());
    if (by_bytes != expected)
        std::abort();

    auto by_department = entries;
    lists::sort_by_department(by_department);
    expected = entries;
    std::stable_sort(expected.begin(), expected.end(), [](std::string_view a, std::string_view b) {
        return lists::department_key(a) < lists::department_key(b);
    });
    if (by_department != expected)
        std::abort();

    if (!extract::test_dots(entries).passes)
        return 0;
    std::string keys;
    try {
        const auto names = extract::sorted_names(entries, keys);
        if (names.size() != entries.size())
            std::abort();
        for (std::size_t i = 1; i < names.size(); ++i)
            if (names[i].key < names[i - 1].key)
                std::abort();
    } catch (const shell::ProgramEnd&) {
        // An empty first or last name part is refused and ends the program.
    }
    return 0;
}
