// The Windows files behind the seam: files opened, created, renamed, replaced
// and removed through the wide calls, the program's own files watched for the
// console's interrupts, and text files' line ends (CR LF) and ANSI text.
#include "platform/files.h"
#include "platform/shared_windows.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <io.h>


namespace platform {

std::string_view file_line_end()
{
    return "\r\n";
}

bool eof_byte_is_blank()
{
    return true;
}

bool ansi_characters(std::string_view text, std::u16string& out)
{
    // Lists in UTF-8 are never converted; with UTF-8 as the ANSI code page,
    // a text that is not UTF-8 has no characters to turn it into. The system
    // converts at most an int's worth at once, more than an entry ever needs.
    if (GetACP() == CP_UTF8 || text.size() > (std::size_t{1} << 29))
        return false;
    // In a code page of several bytes a character, a byte may be no character.
    const std::wstring wide = wide_from(text, CP_ACP, MB_ERR_INVALID_CHARS);
    if (wide.empty())
        return false;
    out.append(wide.begin(), wide.end());
    return true;
}

namespace {

// Names reach the system as UTF-16, through the wide calls, so that a name
// with letters beyond ASCII names the file that the user sees under it.
std::wstring wide_name(const std::string& name)
{
    return wide_from(name, CP_UTF8);
}

HANDLE native(const Handle& handle)
{
    return reinterpret_cast<HANDLE>(handle.raw());
}

Handle adopt(HANDLE handle)
{
    return Handle(reinterpret_cast<std::intptr_t>(handle));
}

// Files that the program only looks at, and its own files while another part
// of it reads them, are opened with all sharing allowed. Its own files are
// not shared for deletion, so that no other program (another run cleaning up
// stale files included) removes or renames one while the program writes it;
// the program itself keeps the right to, through its handle.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kShareOwn = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Another program (a virus scanner, an indexer, a backup, another run reading
// a list or writing the same result) may hold a file for a moment just as
// the program opens, replaces or removes it: such an attempt is made again
// after short waits that grow, for about two seconds, before it counts as
// failed.
constexpr DWORD kRetryMs = 2000;

bool held_by_another(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// A file to be read or held is waited for only while another program holds
// it: one that may not be opened at all, a folder among them, fails at once.
bool open_held_by_another(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// ReplaceFileW tells of an earlier file that another program holds open
// without sharing it for deletion as one it could not remove.
bool replaced_held_by_another(DWORD error)
{
    return held_by_another(error) || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

template <typename Attempt>
bool with_retries(Attempt attempt, bool (*held)(DWORD) = held_by_another)
{
    DWORD waited = 0;
    for (DWORD wait = 10;; wait *= 2) {
        if (attempt())
            return true;
        const DWORD error = GetLastError();
        if (!held(error) || waited >= kRetryMs) {
            SetLastError(error);
            return false;
        }
        const DWORD nap = std::min(wait, kRetryMs - waited);
        Sleep(nap);
        waited += nap;
    }
}

// Opens an existing file, waiting while another program holds it.
HANDLE open_waiting(const std::wstring& name, DWORD access, DWORD share, DWORD flags)
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    (void)with_retries(
        [&] {
            handle = CreateFileW(name.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr);
            return handle != INVALID_HANDLE_VALUE;
        },
        open_held_by_another);
    return handle;
}

bool remove_by_name(const std::wstring& name)
{
    return with_retries([&] { return DeleteFileW(name.c_str()) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND; });
}

std::FILE* adopt_handle(HANDLE handle, int flags, const char* mode)
{
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (descriptor < 0) {
        (void)CloseHandle(handle);
        return nullptr;
    }
    std::FILE* const file = _fdopen(descriptor, mode);
    if (file == nullptr)
        (void)_close(descriptor);
    return file;
}

// The own files an interrupt removes, by names made ready beforehand: the
// console's handler runs on a thread of its own and must not allocate. The
// lock keeps it from removing a file while the main line renames it, and
// from ending the program while a result is copied in place. Each watch
// holds the file's handle, through which the handler marks it to go: the
// file is not shared for deletion, so no other handle could remove it. Once
// the program has let go of it for a rename, it is removed by its name. A
// write in place has three own files at once, beside the intermediate of an
// extraction.
struct Watch {
    bool used = false;
    HANDLE held = INVALID_HANDLE_VALUE;
    wchar_t name[32768] = {};
};
Watch watches[8];
SRWLOCK watch_lock = SRWLOCK_INIT;
// The main line holds the lock in nested scopes (an own file is made while a
// copy in place holds back the interrupts), and an SRW lock is taken once.
int held_depth = 0;

BOOL WINAPI on_console_event(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    // The lock is never given back: the process ends here, with the status
    // that Windows gives a console program stopped by Ctrl-C.
    AcquireSRWLockExclusive(&watch_lock);
    // A file that the program holds is marked to go as the process ends and
    // its handles close; one that it no longer holds is removed by name.
    for (Watch& watch : watches) {
        if (!watch.used)
            continue;
        FILE_DISPOSITION_INFO dispose{};
        dispose.DeleteFile = TRUE;
        if (watch.held == INVALID_HANDLE_VALUE ||
            SetFileInformationByHandle(watch.held, FileDispositionInfo, &dispose, sizeof dispose) == 0)
            (void)DeleteFileW(watch.name);
    }
    give_back_console_colours();
    // TerminateProcess rather than ExitProcess: the main line may hold the C
    // runtime's locks, which ExitProcess would wait for as it flushes.
    (void)TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
    return TRUE;
}

std::optional<BY_HANDLE_FILE_INFORMATION> information(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info) == 0)
        return std::nullopt;
    return info;
}

FileId id_in(const BY_HANDLE_FILE_INFORMATION& info)
{
    return {info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

OVERLAPPED at_offset(std::uint64_t offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

// Each call's size stays within what one ReadFile or WriteFile takes.
DWORD chunk_of(std::uint64_t bytes)
{
    return static_cast<DWORD>(std::min<std::uint64_t>(bytes, DWORD{1} << 30));
}

// The bytes read at `offset`, none at the end of the file; nothing on a failure.
std::optional<DWORD> read_at(HANDLE file, std::uint64_t offset, char* buffer, DWORD size)
{
    OVERLAPPED at = at_offset(offset);
    DWORD got = 0;
    if (ReadFile(file, buffer, size, &got, &at) != 0)
        return got;
    return GetLastError() == ERROR_HANDLE_EOF ? std::optional<DWORD>(0) : std::nullopt;
}

// A write at an offset moves the position of a file opened for writes that
// wait, as all of the program's are.
bool write_at_moving(HANDLE file, std::uint64_t offset, std::string_view bytes)
{
    while (!bytes.empty()) {
        OVERLAPPED at = at_offset(offset);
        DWORD written = 0;
        if (WriteFile(file, bytes.data(), chunk_of(bytes.size()), &written, &at) == 0 || written == 0)
            return false;
        bytes.remove_prefix(written);
        offset += written;
    }
    return true;
}

}  // namespace

bool Handle::close()
{
    if (raw_ == kNone)
        return true;
    return CloseHandle(reinterpret_cast<HANDLE>(std::exchange(raw_, kNone))) != 0;
}

HeldInterrupts::HeldInterrupts()
{
    if (held_depth++ == 0)
        AcquireSRWLockExclusive(&watch_lock);
}

HeldInterrupts::~HeldInterrupts()
{
    if (--held_depth == 0)
        ReleaseSRWLockExclusive(&watch_lock);
}

std::string folder_of(const std::string& name)
{
    // Names are in UTF-8, where no byte of a letter beyond ASCII looks like a
    // backslash, as one may in the code pages of East Asia.
    return name.substr(0, name.find_last_of("/\\:") + 1);
}

std::optional<std::string> follow_links(const std::string& name)
{
    // Windows has no folders shared by users who keep their files apart, as
    // /tmp is, and a file is told from another by its index: the system
    // follows a name's links itself.
    return name;
}

std::optional<FileFacts> facts_of(const std::string& path)
{
    const std::wstring wide = wide_name(path);
    // No access but to its attributes, which no program that holds the file
    // keeps from anyone; a folder opens only as a backup program opens one.
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (!with_retries([&] {
            handle = CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                 nullptr);
            return handle != INVALID_HANDLE_VALUE;
        })) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return FileFacts{};
        return std::nullopt;
    }
    const Handle file = adopt(handle);
    FileFacts facts;
    // A device, such as NUL or CON, is written straight through.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        facts.kind = FileKind::other;
        return facts;
    }
    const auto info = information(handle);
    if (!info)
        return std::nullopt;
    facts.kind = (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::directory : FileKind::regular;
    facts.id = id_in(*info);
    facts.links = info->nNumberOfLinks;
    // Windows keeps no permission bits: a read-only file is the user's word
    // that it must stay.
    facts.writable = (info->dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
    return facts;
}

bool same_entry_name(const std::string& one, const std::string& other)
{
    const std::wstring wide_one = wide_name(one);
    const std::wstring wide_other = wide_name(other);
    return CompareStringOrdinal(wide_one.data(), static_cast<int>(wide_one.size()), wide_other.data(),
                                static_cast<int>(wide_other.size()), TRUE) == CSTR_EQUAL;
}

std::string temp_folder()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD size = GetTempPathW(static_cast<DWORD>(std::size(folder)), folder);
    if (size == 0 || size > MAX_PATH)
        return {};
    std::string path = bytes_from(std::wstring(folder, size), CP_UTF8);
    if (path.find_last_of("/\\") != path.size() - 1)
        path += '\\';
    return path;
}

std::string full_path(const std::string& name)
{
    const std::wstring wide = wide_name(name);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = size == 0 ? 0 : GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return name;
    full.resize(length);
    return bytes_from(full, CP_UTF8);
}

std::optional<Folder> open_folder(const std::string& path)
{
    // Windows holds no folder: one with open files in it cannot be renamed
    // there anyway, so its name goes on naming it.
    const std::wstring wide = path.empty() ? std::wstring{L"."} : wide_name(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return std::nullopt;
    return Folder{Handle{}, path};
}

void sync_folder(const Folder& /*folder*/)
{
    // No handle holds the folder here to be flushed: NTFS keeps its
    // folders' names in a journal of its own.
}

OwnFile create_own_file(const Folder& folder, std::string_view stem, std::string_view suffix, Privacy /*privacy*/)
{
    // A new file takes the access list its folder hands down, as a file that
    // Explorer saves does; one that takes an earlier file's place takes that
    // file's list as the system replaces it.
    OwnFile own;
    // More taken names than this are no run's: a folder that says every name
    // is taken refuses new files.
    constexpr unsigned kNames = 1U << 16;
    for (unsigned number = 0; number < kNames; ++number) {
        own.name = std::string{stem} + (number == 0 ? std::string{} : std::to_string(number)) + std::string{suffix};
        const std::wstring wide = wide_name(full_path(folder.path + own.name));
        if (wide.size() >= std::size(watches[0].name))
            return {};
        // Creation and watch go together, or an interrupt between the two
        // would leave the file behind.
        const HeldInterrupts held;
        const auto free_watch =
            std::find_if(std::begin(watches), std::end(watches), [](const Watch& w) { return !w.used; });
        if (free_watch == std::end(watches))
            return {};
        // CREATE_NEW refuses a taken name, also one taken between a look and
        // the creation. DELETE lets the program remove the file through its
        // handle, and the interrupt's handler mark it to go.
        const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, kShareOwn, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            // A file that another program removes while a third still holds
            // it keeps its name, refused to all, until it is let go.
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                (error == ERROR_ACCESS_DENIED && (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES ||
                                                  GetLastError() != ERROR_FILE_NOT_FOUND)))
                continue;
            return {Handle{}, {}, -1, error == ERROR_ACCESS_DENIED};
        }
        std::copy(wide.begin(), wide.end(), free_watch->name);
        free_watch->name[wide.size()] = L'\0';
        free_watch->held = handle;
        free_watch->used = true;
        own.handle = adopt(handle);
        own.watch = static_cast<int>(free_watch - std::begin(watches));
        return own;
    }
    return {};
}

namespace {

void stop_watching(OwnFile& own)
{
    if (own.watch >= 0) {
        watches[own.watch].used = false;
        watches[own.watch].held = INVALID_HANDLE_VALUE;
    }
    own.watch = -1;
    (void)own.handle.close();
}

}  // namespace

void remove_own_file(const Folder& folder, OwnFile& own)
{
    const HeldInterrupts held;
    // Through the handle where the program still holds the file, as a folder
    // may let its creator remove a file that no other name could; by its
    // name where the program let go of it for a rename that failed.
    FILE_DISPOSITION_INFO dispose{};
    dispose.DeleteFile = TRUE;
    const bool marked = own.handle.valid() &&
                        SetFileInformationByHandle(native(own.handle), FileDispositionInfo, &dispose, sizeof dispose) != 0;
    stop_watching(own);
    if (!marked)
        (void)remove_by_name(wide_name(folder.path + own.name));
}

void keep_own_file(OwnFile& own)
{
    const HeldInterrupts held;
    stop_watching(own);
}

namespace {

// The system's own replacement of an earlier file keeps the earlier file's
// access list and streams; a name that names no file yet takes the new one
// by a plain rename.
bool put_in_place(const std::wstring& from, const std::wstring& to)
{
    constexpr DWORD kMove = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    // The replacement opens the earlier file for deletion: a program that
    // holds it without sharing it for that (another run reading it) is
    // waited for before the replacement is tried, as Wine's leaves an empty
    // file behind in the folder each time it fails.
    const HANDLE earlier = CreateFileW(to.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
    if (earlier == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND && MoveFileExW(from.c_str(), to.c_str(), kMove) != 0;
    (void)CloseHandle(earlier);
    if (ReplaceFileW(to.c_str(), from.c_str(), nullptr, 0, nullptr, nullptr) != 0)
        return true;
    // The earlier file went meanwhile, or the system removed it and then
    // could not rename the new one: the name is free for a rename.
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT)
        return MoveFileExW(from.c_str(), to.c_str(), kMove) != 0;
    SetLastError(error);
    return false;
}

}  // namespace

bool rename_own_file(const Folder& folder, OwnFile& own, const std::string& target)
{
    const HeldInterrupts held;
    // The system opens the file it renames without sharing it: the program
    // lets go of it first, and until the rename is done an interrupt removes
    // it by its name. A program that holds the earlier file without sharing
    // it for deletion (another run reading it) is waited for.
    if (own.watch >= 0)
        watches[own.watch].held = INVALID_HANDLE_VALUE;
    (void)own.handle.close();
    // Wine's replacement takes only names with their folder.
    const std::wstring from = wide_name(full_path(folder.path + own.name));
    const std::wstring to = wide_name(full_path(folder.path + target));
    if (with_retries([&] { return put_in_place(from, to); }, replaced_held_by_another)) {
        stop_watching(own);
        return true;
    }
    // The own file is held again, as it was, so that no other run takes it
    // for a stale one and the program still removes it through its handle.
    const HANDLE again = CreateFileW(from.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, kShareOwn, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    own.handle = adopt(again);
    if (own.watch >= 0)
        watches[own.watch].held = again;
    return false;
}

bool takes_on(const OwnFile& own, const std::string& path, const FileFacts& earlier)
{
    // A rename would lose the earlier file's other names (hard links), or
    // the link that the name itself is.
    const DWORD attributes = GetFileAttributesW(wide_name(path).c_str());
    if (earlier.links != 1 || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return false;
    // The attributes that a user or a program sets are given to the new file
    // here: Windows's replacement would give them too, but Wine's does not.
    // None at all is said as "normal", which a new file's archive bit would
    // otherwise stay beside.
    constexpr DWORD kSet = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE;
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = (attributes & kSet) != 0 ? attributes & kSet : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(native(own.handle), FileBasicInfo, &basic, sizeof basic) != 0;
}

void takes_mode(const OwnFile& /*own*/, const std::string& /*path*/)
{
    // Windows keeps no mode beyond the attributes, which takes_on() gives.
}

Handle open_held(const std::string& path, Hold hold, bool for_writing)
{
    // Readers share the file with readers alone, so that a write in place
    // waits for them; a writer in place shares it with no one.
    const DWORD access = GENERIC_READ | (for_writing ? GENERIC_WRITE : 0);
    const DWORD share = hold == Hold::shared ? FILE_SHARE_READ : 0;
    return adopt(open_waiting(wide_name(path), access, share, FILE_ATTRIBUTE_NORMAL));
}

std::optional<Handle> hold_for_rename(const std::string& /*path*/)
{
    // The rename waits by itself for whoever holds the earlier file.
    return Handle{};
}

Handle open_through(const std::string& path)
{
    return adopt(CreateFileW(wide_name(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::optional<FileId> id_of(const Handle& file)
{
    const auto info = information(native(file));
    return info ? std::optional(id_in(*info)) : std::nullopt;
}

std::optional<std::uint64_t> size_of(const Handle& file)
{
    LARGE_INTEGER size;
    if (GetFileSizeEx(native(file), &size) == 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

bool write_all(const Handle& file, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        if (WriteFile(native(file), bytes.data(), chunk_of(bytes.size()), &written, nullptr) == 0 || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool write_at(const Handle& file, std::uint64_t offset, std::string_view bytes)
{
    LARGE_INTEGER position{};
    if (SetFilePointerEx(native(file), LARGE_INTEGER{}, &position, FILE_CURRENT) == 0)
        return false;
    const bool written = write_at_moving(native(file), offset, bytes);
    return SetFilePointerEx(native(file), position, nullptr, FILE_BEGIN) != 0 && written;
}

std::optional<std::string> read_small(const Handle& file)
{
    std::string text;
    char block[4096];
    for (;;) {
        const auto got = read_at(native(file), text.size(), block, sizeof block);
        if (!got || text.size() > (std::size_t{1} << 20))
            return std::nullopt;
        if (*got == 0)
            return text;
        text.append(block, *got);
    }
}

bool sync_data(const Handle& file)
{
    return FlushFileBuffers(native(file)) != 0;
}

void start_write_back(const Handle& /*file*/, std::uint64_t /*offset*/, std::uint64_t /*bytes*/)
{
    // Windows writes back by itself and has no call to start it early.
}

Room reserve(const Handle& /*file*/, std::uint64_t /*size*/)
{
    // Setting a file's allocation below its size cuts it, so none is asked
    // for: a copy that finds the disk full puts the earlier content back.
    return Room::unknown;
}

bool within_size_limit(std::uint64_t /*size*/)
{
    return true;
}

bool copy_content(const Handle& from, const Handle& to, std::uint64_t size)
{
    // The content is written over the start before the file is cut to its
    // new size, so that the clusters of the earlier content stay the file's
    // until the end: an earlier result put back after a failure needs no room.
    std::vector<char> buffer(std::size_t{1} << 20);
    for (std::uint64_t at = 0; at < size;) {
        const auto got = read_at(native(from), at, buffer.data(), chunk_of(std::min<std::uint64_t>(buffer.size(), size - at)));
        if (!got || *got == 0 || !write_at_moving(native(to), at, {buffer.data(), *got}))
            return false;
        at += *got;
    }
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    return SetFileInformationByHandle(native(to), FileEndOfFileInfo, &end, sizeof end) != 0;
}

std::vector<std::string> own_names(const Folder& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(wide_name(folder.path + std::string{kOwnStem} + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        // The pattern also matches short 8.3 names; only the long name counts.
        std::string name = bytes_from(found.cFileName, CP_UTF8);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && is_own_name(name))
            names.push_back(std::move(name));
    } while (FindNextFileW(search, &found) != 0);
    (void)FindClose(search);
    return names;
}

Handle open_if_stale(const Folder& folder, const std::string& name)
{
    // A running program's own file is not shared for deletion, so an open
    // that asks for the right to delete fails for it alone. A link of such a
    // name is opened as itself, and is no own file.
    Handle file = adopt(CreateFileW(wide_name(folder.path + name).c_str(), GENERIC_READ | DELETE, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const auto info = file.valid() ? information(native(file)) : std::nullopt;
    if (!info || (info->dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return {};
    return file;
}

void remove_name(const Folder& folder, const std::string& name)
{
    // The file may still be open through open_if_stale(), which shares it
    // for deletion: it goes as that handle closes.
    (void)DeleteFileW(wide_name(folder.path + name).c_str());
}

void begin_session()
{
    (void)SetConsoleCtrlHandler(on_console_event, TRUE);
}

namespace {

// True for a name that Windows reads as the device NUL, in any folder and
// with any extension: its last part is NUL, in any case, before its first
// dot and any blanks.
bool names_nul(std::string_view name)
{
    name.remove_prefix(name.find_last_of("/\\:") + 1);
    name = name.substr(0, name.find('.'));
    while (name.ends_with(' '))
        name.remove_suffix(1);
    constexpr std::string_view kNul = "nul";
    return name.size() == kNul.size() && std::equal(name.begin(), name.end(), kNul.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

// A console, a serial or printer port or any other character device holds no
// list: CON, read as one, waits for keys that only Ctrl-C ends (each Ctrl-Z
// arrives as a 0x1A, which is a blank), and AUX or COM1 for a serial line. NUL
// reads as an empty list and is taken as one.
bool is_device_but_nul(HANDLE handle, const std::string& name)
{
    return GetFileType(handle) == FILE_TYPE_CHAR && !names_nul(name);
}

}  // namespace

std::FILE* open_for_reading(const std::string& name, bool held)
{
    // A list is shared with readers alone, so that no run copies a result
    // into it while it is read; the program's own file, which it holds for
    // writing itself, with all.
    const HANDLE handle = open_waiting(wide_name(name), GENERIC_READ, held ? FILE_SHARE_READ : kShareAll,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
    if (handle != INVALID_HANDLE_VALUE && is_device_but_nul(handle, name)) {
        (void)CloseHandle(handle);
        return nullptr;
    }
    return adopt_handle(handle, _O_RDONLY | _O_BINARY, "rb");
}

std::optional<std::uint64_t> file_size(std::FILE* file)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    LARGE_INTEGER size;
    if (GetFileType(handle) != FILE_TYPE_DISK || GetFileSizeEx(handle, &size) == 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

}  // namespace platform
