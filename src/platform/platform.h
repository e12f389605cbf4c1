// The thin seam between the program and the system it runs on: console colour,
// the help box, pauses, tones and file removal. One implementation is linked in:
// the Windows one, the POSIX one, or a recording one for tests.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

// Console text attributes in the Windows manner: 12 light red, 10 light green.
void set_colour(unsigned short attribute);

// Restores the console's own colours; called once as the program ends.
void reset_colour();

// Shows the help text under a caption and returns when the user has seen it.
void show_help_box(const std::string& caption, const std::string& text);

void pause(unsigned milliseconds);

// Sounds a tone, returning when it has ended.
void tone(unsigned hertz, unsigned milliseconds);

// Deletes a file; the outcome is deliberately not reported.
void remove_file(const std::string& name);

// The line end of a text file on this system: CR LF on Windows, LF elsewhere.
std::string_view file_line_end();

// Creates a file for binary writing only if no file of that name exists, so
// that no file is ever replaced; null when the name is taken or the file
// cannot be created. Each system refuses a taken name in its own way.
std::FILE* create_new_file(const std::string& name);

// Asks the system to back a large buffer with large pages. Called on fresh
// memory before it is first touched: where the system offers them, one fault
// then maps two megabytes instead of four kilobytes, and filling a list of
// forty megabytes costs a few milliseconds instead of a tenth of a second.
// Only a hint: the buffer works the same either way, and systems without the
// means do nothing.
void prefer_large_pages(void* data, std::size_t bytes);

// Tells the processor that the bytes at `address` will be read soon, so that a
// walk through entries that lie far apart in memory (a sorted list, a hash
// table) does not wait for each of them in turn. Only a hint.
inline void prefetch(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

}  // namespace platform
