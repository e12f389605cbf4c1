#pragma once

namespace casing {

// Menu command L.
void run_lower_case();

}  // namespace casing
