#pragma once

namespace lists {

// Menu command A.
void run_alphabetical_sort();

}  // namespace lists
