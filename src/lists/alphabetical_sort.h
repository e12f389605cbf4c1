#pragma once

namespace lists {

// Menu command A: writes stem_a.txt, the entries of stem.txt in byte order.
// The sort itself is lists::SortedText (lists/sort_entries.h).
void run_alphabetical_sort();

}  // namespace lists
