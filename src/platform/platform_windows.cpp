#include "platform/platform.h"

#include <cstdio>
#include <iostream>

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

namespace platform {

void set_colour(unsigned short attribute)
{
    // Text already streamed must take the colour it was written in.
    std::cout.flush();
    SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), attribute);
}

void reset_colour()
{
    std::cout.flush();
    // Light grey on black, the console's usual colours.
    SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), 7);
}

void show_help_box(const std::string& caption, const std::string& text)
{
    (void)MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

void pause(unsigned milliseconds)
{
    Sleep(milliseconds);
}

void tone(unsigned hertz, unsigned milliseconds)
{
    (void)Beep(hertz, milliseconds);
}

void remove_file(const std::string& name)
{
    (void)std::remove(name.c_str());
}

std::string_view file_line_end()
{
    return "\r\n";
}

}  // namespace platform
