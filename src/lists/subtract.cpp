#include "lists/subtract.h"

namespace lists {

// Not built yet: the menu comes straight back.
void run_subtract()
{
}

}  // namespace lists
