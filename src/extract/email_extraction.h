#pragma once

namespace extract {

// Menu command E.
void run_email_extraction();

}  // namespace extract
