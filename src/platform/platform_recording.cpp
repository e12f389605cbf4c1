// Stands in for the system in tests and timing runs: every colour change,
// pause and tone is logged on standard error, one line each, and takes no
// time. Its files and interrupts are the POSIX ones.
#include "platform/console.h"
#include "platform/posix.h"

#include <array>
#include <cstdio>
#include <iostream>

namespace platform {
namespace {

// A timing run may log hundreds of thousands of tones, so the log is buffered.
void log_line(const char* line)
{
    static char buffer[1 << 16];
    static const bool buffered = std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer) == 0;
    (void)buffered;
    std::fputs(line, stderr);
}

}  // namespace

void set_colour(Colour colour)
{
    log_line(colour == Colour::light_red ? "colour light red\n" : "colour light green\n");
}

void reset_colour()
{
    log_line("colour reset\n");
    std::fflush(stderr);
}

void show_help_box(const std::string& caption, const std::string& text)
{
    log_line("help box\n");
    std::cout << help_frame(caption, text) << std::flush;
}

void pause(unsigned milliseconds)
{
    std::array<char, 32> line{};
    (void)std::snprintf(line.data(), line.size(), "pause %u\n", milliseconds);
    log_line(line.data());
}

void tone(unsigned hertz, unsigned milliseconds)
{
    std::array<char, 48> line{};
    (void)std::snprintf(line.data(), line.size(), "tone %u %u\n", hertz, milliseconds);
    log_line(line.data());
}

}  // namespace platform
