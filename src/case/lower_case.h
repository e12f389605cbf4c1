// Menu command L: a list with every English capital letter lowered, written
// under the stem plus "_low.txt".
#pragma once

namespace casing {

// Menu command L.
void run_lower_case();

}  // namespace casing
