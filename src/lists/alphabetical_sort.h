#pragma once

namespace lists {

// Menu command A: writes stem_a.txt, the entries of stem.txt in byte order.
// The run is lists::run_sort_command (lists/sort_command.h).
void run_alphabetical_sort();

}  // namespace lists
