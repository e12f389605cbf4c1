#pragma once

namespace lists {

// Menu command J.
void run_join();

}  // namespace lists
