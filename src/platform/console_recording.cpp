// Stands in for the system in tests and timing runs: every colour change,
// pause and tone is logged on standard error, one line each, and takes no
// time. Its files and interrupts are the POSIX ones.
#include "platform/console.h"
#include "platform/help_frame.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <iostream>
#include <string_view>

namespace platform {
namespace {

// A timing run may log hundreds of thousands of tones, so the log is buffered
// and each line is put together in place, numbers and all.
void log_line(std::string_view words, std::initializer_list<unsigned> numbers = {})
{
    static char buffer[1 << 16];
    static const bool buffered = std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer) == 0;
    (void)buffered;
    std::array<char, 64> line{};
    char* at = std::copy(words.begin(), words.end(), line.data());
    for (const unsigned number : numbers) {
        *at++ = ' ';
        at = std::to_chars(at, line.data() + line.size(), number).ptr;
    }
    *at++ = '\n';
    std::fwrite(line.data(), 1, static_cast<std::size_t>(at - line.data()), stderr);
}

}  // namespace

void set_colour(Colour colour)
{
    log_line(colour == Colour::light_red ? "colour light red" : "colour light green");
}

void reset_colour()
{
    log_line("colour reset");
    std::fflush(stderr);
}

void show_help_box(const std::string& caption, const std::string& text)
{
    log_line("help box");
    std::cout << help_frame(caption, text) << std::flush;
}

void pause(unsigned milliseconds)
{
    log_line("pause", {milliseconds});
}

void tone(unsigned hertz, unsigned milliseconds)
{
    log_line("tone", {hertz, milliseconds});
}

}  // namespace platform
