// Menu command N: "First Last" names from first.last@ addresses, sorted and
// written under the stem plus "_N.txt".
#pragma once

#include "lists/sort_entries.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace extract {

// Menu command N.
void run_name_extraction();

// The part of an entry before its first at sign; the whole entry without one.
std::string_view local_part(std::string_view entry);

struct DotTest {
    std::int64_t dots = 0;  // the dots of every local part together
    bool passes = true;     // false when some local part has none
};
DotTest test_dots(const std::vector<std::string_view>& entries);

// One name as a view into the buffer of sort keys: the capitalised first
// part, a per cent sign, the capitalised last part.
struct Name {
    std::string_view key;
    std::size_t first_size;

    std::string_view first() const { return key.substr(0, first_size); }
    std::string_view last() const { return key.substr(first_size + 1); }
};

// The dot test and the sorted name keys of a list text, made together.
struct SortedNameKeys {
    DotTest test;
    std::size_t entries = 0;
    bool empty_part = false;  // some first or last part is empty, which fUpper refuses
    std::unique_ptr<lists::sort_detail::Item[]> items;  // none when refused
};

// Makes the dot test over a list text of at most kLargestKey bytes and, when
// it passes with no empty part, the name keys, sorted as sorted_names sorts
// them. Each key is made in the text in place of its entry's local part (the
// first dot becomes a per cent sign and the first letter of each part is
// raised); each record's number is the size of the key's first part.
SortedNameKeys sort_names_in_place(std::string& text);

// The names of entries that passed the dot test, in byte order of their keys;
// the keys are built in `keys`, which must outlive the names. An empty first
// or last part ends the program through fUpper's refusal.
std::vector<Name> sorted_names(const std::vector<std::string_view>& entries, std::string& keys);

}  // namespace extract
