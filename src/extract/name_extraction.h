#pragma once

namespace extract {

// Menu command N.
void run_name_extraction();

}  // namespace extract
