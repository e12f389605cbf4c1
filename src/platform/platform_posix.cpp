#include "platform/help_frame.h"
#include "platform/large_pages.h"
#include "platform/platform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {
namespace {

bool colour_was_set = false;

bool console_is_terminal()
{
    static const bool is_terminal = isatty(STDOUT_FILENO) == 1;
    return is_terminal;
}

}  // namespace

void set_colour(unsigned short attribute)
{
    if (!console_is_terminal())
        return;
    // Bright red and bright green stand for the light red and light green attributes.
    std::cout << (attribute == 12 ? "\x1b[91m" : attribute == 10 ? "\x1b[92m" : "\x1b[0m") << std::flush;
    colour_was_set = true;
}

void reset_colour()
{
    if (colour_was_set)
        std::cout << "\x1b[0m" << std::flush;
}

// The help box fits the terminal it is drawn on, as a message box fits the
// screen; a terminal that reports no width, a file and a pipe get the full width.
static std::size_t help_box_width()
{
    winsize size{};
    if (console_is_terminal() && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return std::min<std::size_t>(size.ws_col, kHelpFrameWidth);
    return kHelpFrameWidth;
}

void show_help_box(const std::string& caption, const std::string& text)
{
    std::cout << help_frame(caption, text, help_box_width()) << std::flush;
}

void pause(unsigned milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void tone(unsigned hertz, unsigned milliseconds)
{
    // A terminal has no pitch to offer: the bell marks the tone, the wait keeps its length.
    (void)hertz;
    if (console_is_terminal())
        std::cout << '\a' << std::flush;
    pause(milliseconds);
}

void remove_file(const std::string& name)
{
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

void prefer_large_pages(void* data, std::size_t bytes)
{
    detail::advise_large_pages(data, bytes);
}

}  // namespace platform
