// The files side of the seam between the program and the system it runs on:
// what names stand for, opening files, the program's own files, the
// interrupts that must not leave those behind, and how a text file ends.
#pragma once

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

}  // namespace platform
