// How a command ends the program: it prints its message and closing word,
// pauses, and throws ProgramEnd, which only main catches.
#pragma once

#include <string_view>

namespace shell {

inline constexpr std::string_view kExiting = "Exiting...";
inline constexpr std::string_view kShuttingDown = "Shutting down...";
inline constexpr int kFailureStatus = 1;

struct ProgramEnd {
    int status;
};

// Ends the program without printing anything more.
[[noreturn]] void end_program(int status = kFailureStatus);

// The common failure: message and name on one line, the closing word on the
// next, a pause of two seconds, then the end of the program with status 1.
[[noreturn]] void fail(std::string_view message, std::string_view name, std::string_view closing_word);

}  // namespace shell
