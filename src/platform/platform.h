// The thin seam between the program and the system it runs on: console colour,
// the help box, pauses, tones, files and interrupts. One implementation is
// linked in: the Windows one, the POSIX one, or a recording one for tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Readies the program for the world around it, once, before anything else:
// an interrupt (Ctrl-C, Ctrl-Break, a closed console window, SIGINT, SIGTERM,
// SIGHUP) removes the program's own unfinished files and gives the console
// its colours back before the program ends as an interrupted program does,
// and a console that goes away is seen as a failed write, not a signal.
void begin_session();

// The two colours of the console's text.
enum class Colour { light_red, light_green };
void set_colour(Colour colour);

// Restores the console's own colours; called once as the program ends.
void reset_colour();

// Reads the next whitespace-delimited word of the console's input (std::cin),
// taking words typed ahead on a line first. At the end of the input it returns
// false and leaves the word empty. On Windows a word typed on a console comes
// in UTF-8, whatever the console's code page; piped input comes as its bytes.
bool read_typed_word(std::string& word);

// Writes a name that the user typed to the console's output (std::cout) so
// that it shows as it was typed: on Windows the name is in UTF-8 when it was
// typed on a console and in the code page of the console's input when it was
// piped, and the console's output may share neither.
void write_typed_name(std::string_view name);

// Shows the help text under a caption and returns when the user has seen it.
void show_help_box(const std::string& caption, const std::string& text);

void pause(unsigned milliseconds);

// Sounds a tone, returning when it has ended.
void tone(unsigned hertz, unsigned milliseconds);

// The line end of a text file on this system: CR LF on Windows, LF elsewhere.
std::string_view file_line_end();

// True where a byte 0x1A ends a text file's text, as the C runtime's text
// mode reads it on Windows; elsewhere it is a byte like any other.
bool text_ends_at_eof_byte();

// Files. A name is used as it is given, relative to the current folder.

// What a name stands for, after any symbolic links.
enum class FileKind { missing, regular, directory, other };
FileKind file_kind(const std::string& name);

// The name that a chain of symbolic links ends in, or the name itself.
std::string link_target(const std::string& name);

// The part of a name that names its folder, with its last separator; empty
// for a name in the current folder.
std::string folder_of(const std::string& name);

// False for an existing file that the user may not change (a read-only file),
// which the program must not replace either.
bool may_replace(const std::string& name);

// Opens for binary reading; null when the file cannot be opened.
std::FILE* open_for_reading(const std::string& name);

// Opens for binary writing in place, created or truncated; null on failure.
std::FILE* open_for_writing(const std::string& name);

// The size of an open file, when the system knows it beforehand.
std::optional<std::uint64_t> file_size(std::FILE* file);

// A file of the program's own: created for binary writing only if no file of
// that name exists, so that no file is ever replaced, and watched until it is
// moved or removed, so that an interrupt removes it. `taken` tells a name
// that some file already holds from other failures.
struct OwnFile {
    std::FILE* file = nullptr;
    int watch = -1;
    bool taken = false;
};

// Creates an own file; with `like` naming an existing regular file, the new
// one takes its permission bits.
OwnFile create_own_file(const std::string& name, const std::string& like = {});

// Puts a closed own file in the place of `target`, replacing whatever file
// was there in one step; false, and the own file still watched, on failure.
bool move_own_file(int watch, const std::string& target);

// Removes an own file, closed or not, and stops watching it.
void remove_own_file(int watch);

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
