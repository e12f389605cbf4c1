#include "case/lower_case.h"

namespace casing {

// Not built yet: the menu comes straight back.
void run_lower_case()
{
}

}  // namespace casing
