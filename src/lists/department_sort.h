#pragma once

namespace lists {

// Menu command D.
void run_department_sort();

}  // namespace lists
