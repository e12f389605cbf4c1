#pragma once

namespace lists {

// Menu command D: writes stemDEPT.txt, the addresses of stem.txt in order of
// department. The run is lists::run_sort_command (lists/sort_command.h).
void run_department_sort();

}  // namespace lists
