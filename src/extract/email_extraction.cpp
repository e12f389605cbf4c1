#include "extract/email_extraction.h"

namespace extract {

// Not built yet: the menu comes straight back.
void run_email_extraction()
{
}

}  // namespace extract
