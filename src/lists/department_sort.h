#pragma once

namespace lists {

// Menu command D: writes stemDEPT.txt, the addresses of stem.txt in order of
// department.
void run_department_sort();

}  // namespace lists
