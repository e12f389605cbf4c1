#pragma once

#include <string_view>
#include <vector>

namespace lists {

// Menu command S: writes Reminders.txt, the list of all less its responders.
void run_subtract();

// One flag per entry of the list of all, in order: true where the entry equals
// some responder and is to be dropped.
std::vector<bool> mark_responders(const std::vector<std::string_view>& all,
                                  const std::vector<std::string_view>& responders);

}  // namespace lists
