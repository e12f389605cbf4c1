// What the POSIX and the recording platforms share: their files, the
// program's own files that an interrupt removes, and the interrupt itself
// (posix_files.cpp), and the rest that they do alike (posix_common.cpp).
// Each of the two platforms supplies the hooks below.
#pragma once

#include <csignal>
#include <string_view>

namespace platform::detail {

// Set while the terminal shows the program's colours, so that an interrupt
// knows to give the terminal its own back.
extern volatile std::sig_atomic_t terminal_coloured;

// Called as an own file is removed in the course of the program's work.
void note_removal(std::string_view name);

}  // namespace platform::detail
