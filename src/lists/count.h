#pragma once

namespace lists {

// Menu command C: tells how many entries a list file holds.
void run_count();

}  // namespace lists
