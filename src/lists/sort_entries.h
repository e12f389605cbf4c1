// Sorting entries in byte order: each entry compared as unsigned bytes, the
// first differing byte deciding and a beginning of a longer entry coming first.
// The entries are views into the file text, so a sort moves views, never bytes.
#pragma once

#include <algorithm>
#include <string_view>
#include <vector>

namespace lists {

// The department of an address: everything after its first at sign, or the
// whole entry when it has none.
constexpr std::string_view department_key(std::string_view entry)
{
    const auto at = entry.find('@');
    return at == std::string_view::npos ? entry : entry.substr(at + 1);
}

inline void sort_by_bytes(std::vector<std::string_view>& entries)
{
    std::sort(entries.begin(), entries.end());
}

// Orders addresses by department key; addresses of one department keep their order.
inline void sort_by_department(std::vector<std::string_view>& entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](std::string_view a, std::string_view b) {
        return department_key(a) < department_key(b);
    });
}

}  // namespace lists
