#include "platform/console.h"
#include "platform/help_frame.h"
#include "platform/shared_posix.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {
namespace {

bool console_is_terminal()
{
    static const bool is_terminal = isatty(STDOUT_FILENO) == 1;
    return is_terminal;
}

}  // namespace

void set_colour(Colour colour)
{
    if (!console_is_terminal())
        return;
    // A terminal's bright red and bright green are the console's light ones.
    std::cout << (colour == Colour::light_red ? "\x1b[91m" : "\x1b[92m") << std::flush;
    terminal_coloured = 1;
}

void reset_colour()
{
    if (terminal_coloured != 0)
        std::cout << "\x1b[0m" << std::flush;
    terminal_coloured = 0;
}

void show_help_box(const std::string& caption, const std::string& text)
{
    // The help box fits the terminal it is drawn on, as a message box fits the
    // screen; a terminal that reports no width, a file and a pipe get the full width.
    winsize size{};
    std::size_t width = kHelpFrameWidth;
    if (console_is_terminal() && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        width = std::min<std::size_t>(size.ws_col, kHelpFrameWidth);
    std::cout << help_frame(caption, text, width) << std::flush;
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

}  // namespace platform
