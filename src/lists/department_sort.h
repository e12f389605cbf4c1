#pragma once

namespace lists {

// Menu command D: writes stemDEPT.txt, the addresses of stem.txt in order of
// department. The sort itself is lists::SortedText (lists/sort_entries.h).
void run_department_sort();

}  // namespace lists
