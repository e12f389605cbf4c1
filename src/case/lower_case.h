#pragma once

namespace casing {

// Menu command L: a list with every English capital letter lowered, written
// under the stem plus "_low.txt".
void run_lower_case();

}  // namespace casing
