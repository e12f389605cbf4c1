// The console dialogue: lines out, file stems in, and the failure that ends
// the program, which a command throws and main shows in one place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mordavelle {

// Prints the text and a line end, and flushes, so the user sees each line at
// once. When the console cannot be written to, the program ends with status 1.
void print_line(std::string_view text = {});

// Prints a line that shows a name the user typed, between two texts: the name
// reaches the console as it was typed, whatever the console's code page.
void print_line_with_name(std::string_view before, std::string_view name, std::string_view after = {});

// Reads a file stem as every command does: the stem is empty when input has ended.
std::string read_stem();

inline constexpr std::string_view kExiting = "Exiting...";
inline constexpr std::string_view kShuttingDown = "Shutting down...";

// What ends the program when a command fails or refuses its input: the lines
// it shows (each a text, a name as the user typed it, a text), the tones it
// sounds, the pause, and the exit status. Commands throw it; main alone
// catches it and shows it. A console that is gone ends the program with one
// that shows nothing.
struct Failure {
    struct Line {
        std::string before;
        std::string name;
        std::string after;
    };
    struct Tone {
        unsigned hertz;
        unsigned milliseconds;
    };
    std::vector<Line> lines;
    std::vector<Tone> tones;
    unsigned pause_ms = 0;
    int status = 1;
};

// The common failure: message and name on one line, the closing word on the
// next, a pause of two seconds, and status 1.
Failure failure(std::string_view message, std::string_view name, std::string_view closing_word);

[[noreturn]] void fail(std::string_view message, std::string_view name, std::string_view closing_word);

// Shows a failure: its lines, then its tones, then its pause; returns its
// status. A console that goes away meanwhile cuts it short.
int show(const Failure& failure);

}  // namespace mordavelle
