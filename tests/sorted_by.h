// The one way the tests collect what the sort hands out.
#pragma once

#include "sort.h"

#include <string_view>
#include <vector>

// The entries of a list text in the order of their keys, as a command writes them.
inline std::vector<std::string_view> sorted_by(std::string_view text, mordavelle::SortKey key)
{
    std::vector<std::string_view> handed;
    mordavelle::SortedEntries(text, key).for_each([&handed](std::string_view entry) { handed.push_back(entry); });
    return handed;
}
