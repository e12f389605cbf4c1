// The real Windows calls behind the seam. Console lines and list files end in
// CR LF because the C runtime keeps the console streams in text mode and the
// list files are written with file_line_end().
#include "platform/platform.h"

#include <cstdio>
#include <iostream>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace platform {
namespace {

// The attributes the console had before the program first coloured it, so
// that the user's own colours come back at the end. Output that is not a
// console has none, and then nothing is given back.
bool console_looked_at = false;
bool original_known = false;
WORD original_attributes = 0;

void remember_original_attributes(HANDLE console)
{
    console_looked_at = true;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(console, &info) != 0) {
        original_attributes = info.wAttributes;
        original_known = true;
    }
}

}  // namespace

void set_colour(unsigned short attribute)
{
    // Text already streamed must take the colour it was written in.
    std::cout.flush();
    // The handle is fetched anew each time: the standard handle may have been
    // replaced since the last change.
    const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!console_looked_at)
        remember_original_attributes(console);
    (void)SetConsoleTextAttribute(console, attribute);
}

void reset_colour()
{
    std::cout.flush();
    if (original_known)
        (void)SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), original_attributes);
}

void show_help_box(const std::string& caption, const std::string& text)
{
    // No owner window: the box belongs to no window of ours, as the console has none.
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

std::FILE* create_new_file(const std::string& name)
{
    // The C runtime's fopen knows no "x" and would replace the file; the
    // exclusive flag of the lower-level open refuses a taken name, also one
    // taken between a look and the creation.
    int descriptor = -1;
    if (_sopen_s(&descriptor, name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYNO,
                 _S_IREAD | _S_IWRITE) != 0)
        return nullptr;
    std::FILE* const file = _fdopen(descriptor, "wb");
    if (file == nullptr)
        (void)_close(descriptor);
    return file;
}

// Large pages on Windows need a privilege that users do not hold; the buffer
// keeps the system's usual pages.
void prefer_large_pages(void* data, std::size_t bytes)
{
    (void)data;
    (void)bytes;
}

}  // namespace platform
