// Menu command L: a list with every English capital letter lowered, written
// under the stem plus "_low.txt".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace casing {

// Menu command L.
void run_lower_case();

// The entries of a list text, each lowered as fCaser lowers it; the views
// point into the text, which is lowered in place in one pass.
std::vector<std::string_view> lowered_entries(std::string& text);

}  // namespace casing
