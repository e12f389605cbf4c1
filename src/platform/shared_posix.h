// What the console and the files of POSIX share: whether the terminal shows
// the program's colours, which an interrupt must give back.
#pragma once

#include <csignal>

namespace platform {

// Set while the terminal shows the program's colours, so that an interrupt
// knows to give the terminal its own back.
extern volatile std::sig_atomic_t terminal_coloured;

}  // namespace platform
