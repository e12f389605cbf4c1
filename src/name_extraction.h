// What N does to a list's text, in memory: the dot test, the name keys made
// in place, and the line of each key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mordavelle {

// What N's making of a list's name keys found.
struct NameKeys {
    std::int64_t dots = 0;    // the dots of every local part together
    bool passes = true;       // false when some local part has none
    std::size_t entries = 0;
    bool empty_part = false;  // some first or last part is empty, which fUpper refuses
};

// Makes N's dot test over a list text and, while it passes with no empty
// part, the name keys: each entry's local part, whose first dot becomes a per
// cent sign and the first letter of each part raised. When the test passes
// with no empty part the text becomes the keys in the entries' order, one a
// line, to be sorted as SortKey::whole_entry; otherwise what the text holds
// is left unsaid.
NameKeys make_name_keys(std::string& text);

// The line of a name key that lies in text, made there in place: the key's
// first per cent sign, which may lie in the first part, becomes the blank
// between the names. Keys that are equal so give equal lines.
std::string_view name_line(std::string& text, std::string_view key);

}  // namespace mordavelle
