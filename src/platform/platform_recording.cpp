// Stands in for the system in tests and timing runs: every colour change, pause,
// tone and removal is logged on standard error, one line each, and takes no time.
#include "platform/help_frame.h"
#include "platform/platform.h"

#include <cstdio>
#include <iostream>

namespace platform {
namespace {

void log_line(const std::string& line)
{
    // A timing run may log hundreds of thousands of tones, so the log is buffered.
    static char buffer[1 << 16];
    static const bool buffered = std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer) == 0;
    (void)buffered;
    std::fputs(line.c_str(), stderr);
    std::fputc('\n', stderr);
}

}  // namespace

void set_colour(unsigned short attribute)
{
    log_line("colour " + std::to_string(attribute));
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
    log_line("pause " + std::to_string(milliseconds));
}

void tone(unsigned hertz, unsigned milliseconds)
{
    log_line("tone " + std::to_string(hertz) + " " + std::to_string(milliseconds));
}

void remove_file(const std::string& name)
{
    log_line("remove " + name);
    (void)std::remove(name.c_str());
}

std::string_view file_line_end()
{
    return "\n";
}

std::FILE* create_new_file(const std::string& name)
{
    return std::fopen(name.c_str(), "wbx");
}

}  // namespace platform
