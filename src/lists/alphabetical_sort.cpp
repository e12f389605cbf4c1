#include "lists/alphabetical_sort.h"

namespace lists {

// Not built yet: the menu comes straight back.
void run_alphabetical_sort()
{
}

}  // namespace lists
