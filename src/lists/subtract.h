#pragma once

namespace lists {

// Menu command S.
void run_subtract();

}  // namespace lists
