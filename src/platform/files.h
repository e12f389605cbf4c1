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
// SIGHUP, SIGQUIT) removes the program's own unfinished files and gives the console
// its colours back before the program ends as an interrupted program does,
// and a console that goes away is seen as a failed write, not a signal. A
// write beyond the size limit of a file (ulimit -f) fails as on a full disk.
void begin_session();

// The line end of a text file on this system: CR LF on Windows, LF elsewhere.
std::string_view file_line_end();

// True where a byte 0x1A in a text file separates entries as a blank does:
// on Windows, where older programs end a text with it and copy /b leaves it
// in the middle of the files it joins; elsewhere it is a byte like any other.
bool eof_byte_is_blank();

// Appends to `out` the UTF-8 of a text saved in the ANSI code page, as Notepad
// saved lists before it saved UTF-8: the system's code page on Windows,
// Windows-1252 elsewhere, whose five undefined bytes (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) become the control characters of the same numbers, as Windows
// converts them. False, with `out` perhaps changed, when the text is no text
// of that code page (on Windows, a code page of several bytes a character,
// or UTF-8 itself).
bool ansi_to_utf8(std::string_view text, std::string& out);

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

// Creates an own file, readable and writable by its owner alone until it is
// moved, and held locked while it exists, so that no other run of the program
// takes it for a stale one. `like` names the file it is to replace, if any.
OwnFile create_own_file(const std::string& name, const std::string& like = {});

// Writes an own file's data through to the disk, so that a rename that
// follows never puts an empty or partial file in place of a complete one
// after a power cut; false when the disk refused it.
bool flush_to_disk(std::FILE* file);

// Asks the system to start writing the given bytes of a file to the disk
// now, without waiting for them, so that flush_to_disk() at the end waits for
// little more than the last of them. Only a hint: systems without the means
// do nothing.
void start_write_back(std::FILE* file, std::uint64_t offset, std::uint64_t bytes);

// Whether a closed own file may take the place of `target` by a rename
// without the result losing what the earlier file had: its owner and group
// (given to the own file here where the system permits), its other links and
// its access control list. A missing target has nothing to lose. Where this
// is false, the result is written in place (open_for_writing truncates the
// earlier file and keeps all of those).
bool may_rename_over(int watch, const std::string& target);

// Puts a closed own file in the place of `target`, replacing whatever file
// was there in one step, with the permission bits of the file it replaces
// (or those of a new file when there was none), and makes the rename itself
// durable; false, and the own file still watched, on failure.
bool move_own_file(int watch, const std::string& target);

// Removes an own file, closed or not, and stops watching it.
void remove_own_file(int watch);

// Removes the own files (mordavelle*.partial) that runs of the program
// stopped without a chance to clean up (a power cut, SIGKILL) left in
// `folder` (a name ending in its separator, or empty for the current
// folder): those that no running program holds. Never any other name.
void remove_stale_partials(const std::string& folder);

}  // namespace platform
