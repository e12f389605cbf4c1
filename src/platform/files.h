// The files side of the seam between the program and the system it runs on:
// reading files, replacing results, the program's own files, the interrupts
// that must not leave those behind, and how a text file ends.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Appends to `out` the characters, in UTF-16, of a text saved in the ANSI
// code page, as Notepad saved lists before it saved UTF-8: the system's code
// page on Windows, Windows-1252 elsewhere, whose five undefined bytes (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same numbers,
// as Windows converts them. False when the text is no text of that code page
// (on Windows, a code page of several bytes a character, or UTF-8 itself).
bool ansi_characters(std::string_view text, std::u16string& out);

// Files. A name is used as it is given, relative to the current folder.

// The part of a name that names its folder, with its last separator (a slash,
// and on Windows also a backslash or a drive's colon); empty for a name in
// the current folder.
std::string folder_of(const std::string& name);

// Opens for binary reading; null when the file cannot be opened.
std::FILE* open_for_reading(const std::string& name);

// The size of an open file, when the system knows it beforehand.
std::optional<std::uint64_t> file_size(std::FILE* file);

// A result on its way into the place of the file of its name, or a file of
// the program's own. Where the result goes is decided as it is opened, in
// one place on each system:
// - beside the earlier result: written to a new file of the program's own
//   (mordavelle.partial, or mordavelle1.partial ... when that is taken), which
//   takes the earlier file's owner, group, mode and attributes, reaches the
//   disk and is renamed over it on commit, so that the earlier result stays
//   untouched until the new one is whole;
// - in place, where that rename would change more than the content (an owner
//   or group the new file cannot be given, other links, an access list or
//   attributes that cannot be copied, a folder that refuses this user a new
//   file): kept whole in memory and copied in on commit, with the file held
//   against other runs and interrupts held back until it is whole;
// - straight through, for a name that is no regular file (a device, a pipe).
// A result that would replace a file the command reads, that a link planted
// by another user in a shared folder leads to, or that is a directory or a
// read-only file, is refused before anything is written.
class Replacement {
public:
    Replacement();
    // Abandons whatever is not committed.
    ~Replacement();
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    // Opens the replacement of the file `name`, which must be none of
    // `inputs`, the files the command reads; false when it cannot be written.
    bool open(const std::string& name, const std::vector<std::string>& inputs);

    // Creates a file of the program's own, readable by its owner alone, under
    // the first of stem + suffix, stem + "1" + suffix ... that no file holds,
    // and returns its name; empty when it cannot be created. It lives until
    // abandon(), also after commit().
    std::string open_first_free(const std::string& stem, std::string_view suffix);

    // Adds the bytes to the result; false once a write has failed.
    bool write(std::string_view bytes);

    // Puts the result in its place whole, or ends the writing of an own file;
    // false when some byte did not reach it, and then nothing is changed where
    // that can be promised.
    bool commit();

    // Removes what the program made for the result, at once; the earlier
    // result stays as it was.
    void abandon();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The names of the program's own files beside a result: "mordavelle", any
// number of digits, ".partial". Every other name is a user's.
constexpr bool is_own_partial_name(std::string_view name)
{
    constexpr std::string_view kStart = "mordavelle";
    constexpr std::string_view kEnd = ".partial";
    return name.starts_with(kStart) && name.ends_with(kEnd) &&
           name.substr(kStart.size(), name.size() - kStart.size() - kEnd.size()).find_first_not_of("0123456789") ==
               std::string_view::npos;
}

}  // namespace platform
