// The files side of the seam between the program and the system it runs on:
// reading files, replacing results, the program's own files, the interrupts
// that must not leave those behind, and how a text file ends.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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

// Opens for binary reading, after links as follow_links() follows them;
// null when the file cannot be opened. A held file is held against writers
// (shared, as open_held() holds it) until it is closed, so that it is never
// read while a result is copied into it; an own file that this run holds
// itself is read unheld.
std::FILE* open_for_reading(const std::string& name, bool held = true);

// The size of an open file, when the system knows it beforehand.
std::optional<std::uint64_t> file_size(std::FILE* file);

// The primitives a result's replacement is made of (replacement.h decides,
// once for every system, how they are put together).

// Which file a name leads to, whatever its names and links: the device and
// inode on POSIX, the volume and file index on Windows.
struct FileId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileId&) const = default;
};

enum class FileKind { missing, regular, directory, other };

struct FileFacts {
    FileKind kind = FileKind::missing;
    FileId id;
    std::uint64_t links = 0;
    bool writable = false;  // false also for a file the user made read-only
};

// The file a name leads to after its symbolic links, followed as the system
// follows them where it protects shared folders: in a folder that others may
// write and that keeps their files apart (sticky, as /tmp), only a link of
// the user's own or of the folder's owner is followed, so that no other user
// can plant a link that turns a command onto a file of this user's. Nothing
// when a link is refused or the chain is longer than the system follows.
std::optional<std::string> follow_links(const std::string& name);

// What a name (with no link left to follow) is; nothing when it cannot be seen.
std::optional<FileFacts> facts_of(const std::string& path);

// Whether two names of entries in one folder name the same entry: byte for
// byte on POSIX, whatever their case on Windows, whose file systems compare
// names so.
bool same_entry_name(const std::string& one, const std::string& other);

// The user's folder for temporary files, with its separator at the end.
std::string temp_folder();
// The name as seen from anywhere: from the root, through the current folder.
std::string full_path(const std::string& name);

// A file or folder the program holds open; closed when it goes.
class Handle {
public:
    Handle() = default;
    explicit Handle(std::intptr_t raw) : raw_(raw) {}
    ~Handle() { (void)close(); }
    Handle(Handle&& other) noexcept : raw_(std::exchange(other.raw_, kNone)) {}
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            (void)close();
            raw_ = std::exchange(other.raw_, kNone);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return raw_ != kNone; }
    std::intptr_t raw() const { return raw_; }
    // False when the system reports that what was written did not reach the file.
    bool close();

    static constexpr std::intptr_t kNone = -1;

private:
    std::intptr_t raw_ = kNone;
};

// A folder, held so that the files the program makes in it are renamed and
// removed there even when the folder is renamed meanwhile.
struct Folder {
    Handle handle;     // the folder itself where the system can hold one
    std::string path;  // as named, with its separator; empty for the current folder
};
std::optional<Folder> open_folder(const std::string& path);
// Writes the folder's list of names through to the disk, so that a rename
// or a removal survives a power cut.
void sync_folder(const Folder& folder);

// A file of the program's own, made in `folder` under the first name of
// stem + suffix, stem + "1" + suffix ... that no file holds, so that no file
// is ever replaced. It is held (locked, or not shared for deletion) while it
// exists, so that no other run takes it for a stale one, and watched, so
// that an interrupt removes it. A private one is readable by its owner alone;
// another is made as any new file in its folder.
struct OwnFile {
    Handle handle;
    std::string name;     // within its folder
    int watch = -1;       // its place among the files an interrupt removes
    bool refused = false; // why none was made: the folder refuses this user a new file
};
enum class Privacy { private_to_owner, as_folder_gives };
OwnFile create_own_file(const Folder& folder, std::string_view stem, std::string_view suffix, Privacy privacy);
// Removes an own file at once, and stops watching it.
void remove_own_file(const Folder& folder, OwnFile& own);
// Stops watching an own file and lets go of it, leaving it on the disk for
// the next run to finish with.
void keep_own_file(OwnFile& own);
// Renames an own file over `target`, a name in the same folder, and stops
// watching it; false when the rename failed (the own file is then kept).
bool rename_own_file(const Folder& folder, OwnFile& own, const std::string& target);

// Gives an own file what the earlier file `path` has beyond its content, so
// that taking its place changes nothing else: its owner and group, its access
// list (none where it has none), its extended attributes (on Windows, its
// attributes). False where a new file cannot have them all: another link, an
// owner or group the user cannot give, an attribute that cannot be copied.
bool takes_on(const OwnFile& own, const std::string& path, const FileFacts& earlier);
// Gives an own file the earlier file's mode, once its content is whole, so
// that it is private while it is written.
void takes_mode(const OwnFile& own, const std::string& path);

// Opens an existing file, held against the writers of other runs: `shared`
// lets readers in beside, `exclusive` none (POSIX flock; Windows opened
// without write sharing). A run that holds it is waited for about two
// seconds, and a file that the name no longer names when it is held is
// opened anew. Invalid when it cannot be opened or stays held.
enum class Hold { shared, exclusive };
Handle open_held(const std::string& path, Hold hold, bool for_writing);
// Holds the file that a result by rename takes the place of against other
// runs' readers and writers, for as long as the handle lives (an invalid one
// where the rename itself waits for them, as on Windows, or where there is
// no such file); nothing when another run holds it beyond the wait.
std::optional<Handle> hold_for_rename(const std::string& path);

// Opens a file that is no regular file (a device, a pipe) to be written straight through.
Handle open_through(const std::string& path);

std::optional<FileId> id_of(const Handle& file);
std::optional<std::uint64_t> size_of(const Handle& file);

bool write_all(const Handle& file, std::string_view bytes);
// Writes at an offset without moving the file's position.
bool write_at(const Handle& file, std::uint64_t offset, std::string_view bytes);
// Reads the whole of a small file from its start.
std::optional<std::string> read_small(const Handle& file);
// Makes the file's data survive a power cut.
bool sync_data(const Handle& file);
// Asks the system to start writing out what was written, so that the final
// flush waits for little; nothing where it has no means.
void start_write_back(const Handle& file, std::uint64_t offset, std::uint64_t bytes);

// What room a file of `size` bytes has before its content is changed.
enum class Room { reserved, none, unknown };
Room reserve(const Handle& file, std::uint64_t size);
// False when the system limits the size of a file this process writes below `size`.
bool within_size_limit(std::uint64_t size);

// Copies the first `size` bytes of one file over the start of another and
// ends it there, through one buffer; the file keeps its names, owner, group,
// mode and access list.
bool copy_content(const Handle& from, const Handle& to, std::uint64_t size);

// Holds back the interrupts for its lifetime, so that a result being copied
// in place is finished first; one that comes meanwhile is acted on after.
class HeldInterrupts {
public:
    HeldInterrupts();
    ~HeldInterrupts();
    HeldInterrupts(const HeldInterrupts&) = delete;
    HeldInterrupts& operator=(const HeldInterrupts&) = delete;
};

// The own names in a folder, as is_own_name() tells them.
std::vector<std::string> own_names(const Folder& folder);
// Opens an own file that no running program holds, held by this run, and
// only while `name` still names it; on a file system without working locks,
// one not changed for a day. Invalid otherwise.
Handle open_if_stale(const Folder& folder, const std::string& name);
// Removes a name in the folder.
void remove_name(const Folder& folder, const std::string& name);

// The names of the program's own files beside a result: "mordavelle", any
// number of digits, then ".partial" (a result or a copy of one) or
// ".journal" (what an unfinished write in place must do). Every other name
// is a user's.
constexpr std::string_view kOwnStem = "mordavelle";
constexpr std::string_view kPartialSuffix = ".partial";
constexpr std::string_view kJournalSuffix = ".journal";
constexpr bool has_own_form(std::string_view name, std::string_view suffix)
{
    return name.starts_with(kOwnStem) && name.size() >= kOwnStem.size() + suffix.size() && name.ends_with(suffix) &&
           name.substr(kOwnStem.size(), name.size() - kOwnStem.size() - suffix.size())
                   .find_first_not_of("0123456789") == std::string_view::npos;
}
constexpr bool is_own_name(std::string_view name)
{
    return has_own_form(name, kPartialSuffix) || has_own_form(name, kJournalSuffix);
}

}  // namespace platform
