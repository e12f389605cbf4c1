// Menu command N: "First Last" names from first.last@ addresses, sorted and
// written under the stem plus "_N.txt".
#pragma once

#include "lists/sort_entries.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace extract {

// Menu command N.
void run_name_extraction();

// The part of an entry before its first at sign; the whole entry without one.
std::string_view local_part(std::string_view entry);

struct DotTest {
    std::int64_t dots = 0;  // the dots of every local part together
    bool passes = true;     // false when some local part has none
};

// The dot test and the sorted name keys of a list text, made together.
struct SortedNameKeys {
    DotTest test;
    std::size_t entries = 0;
    bool empty_part = false;  // some first or last part is empty, which fUpper refuses
    lists::SortedKeys keys;   // none when refused; each tie is the size of the key's first part
};

// Makes the dot test over a list text and, when it passes with no empty part,
// the name keys, sorted in byte order, and keys that are equal by the size of
// their first parts. Each key is made in the text in place of its entry's
// local part (the first dot becomes a per cent sign and the first letter of
// each part is raised). A local part of 4 GiB or more is refused with
// std::length_error.
SortedNameKeys sort_names_in_place(std::string& text);

}  // namespace extract
