#pragma once

namespace lists {

// Menu command A: writes stem_a.txt, the entries of stem.txt in byte order.
void run_alphabetical_sort();

}  // namespace lists
