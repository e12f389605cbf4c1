// Menu command N: "First Last" names from first.last@ addresses, sorted and
// written under the stem plus "_N.txt".
#pragma once

#include <cstddef>
#include <cstdint>
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

// The names of entries that passed the dot test, in byte order of their keys;
// the keys are built in `keys`, which must outlive the names. An empty first
// or last part ends the program through fUpper's refusal.
std::vector<Name> sorted_names(const std::vector<std::string_view>& entries, std::string& keys);

}  // namespace extract
