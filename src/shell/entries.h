// The entries of a list text: the runs of bytes between white space. Only
// bytes in memory here; list_reading.h reads the files and result_file.h writes them.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace shell {

// The six bytes that separate entries: blank, tab, line feed, vertical tab,
// form feed and carriage return. Every other byte, NUL and 0x80-0xFF included,
// belongs to an entry.
constexpr bool is_separator(unsigned char byte)
{
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

// The entries of a list text in order, as views into the text.
std::vector<std::string_view> split_entries(std::string_view text);

// How many entries a list text holds, without making them.
std::size_t count_entries(std::string_view text);

// The first separator at or after `from`, or `end` when there is none.
const char* find_separator(const char* from, const char* end);

// Hands each entry of a list text to `take` in order, as a view into the text.
template <typename Take>
void for_each_entry(std::string_view text, Take take)
{
    const char* const end = text.data() + text.size();
    const char* cursor = text.data();
    for (;;) {
        while (cursor != end && is_separator(static_cast<unsigned char>(*cursor)))
            ++cursor;
        if (cursor == end)
            return;
        const char* const stop = find_separator(cursor, end);
        take(std::string_view(cursor, static_cast<std::size_t>(stop - cursor)));
        cursor = stop;
    }
}

}  // namespace shell
