#pragma once

#include <string_view>
#include <vector>

namespace lists {

// Menu command J: writes first_second.txt, both lists without repeated entries.
void run_join();

// Every distinct entry once, at its first occurrence: the entries of the first
// list in order, then those of the second that the first does not hold. As in
// any list, no entry is empty.
std::vector<std::string_view> join(const std::vector<std::string_view>& first,
                                   const std::vector<std::string_view>& second);

}  // namespace lists
