#pragma once

namespace lists {

// Menu command A: writes stem_a.txt, the entries of stem.txt in byte order.
// The byte-order sort itself is lists::sort_by_bytes (lists/sort_entries.h).
void run_alphabetical_sort();

}  // namespace lists
