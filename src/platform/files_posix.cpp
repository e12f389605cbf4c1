// The files side of POSIX, which the native and the recording platforms
// share: files, locks and the program's own files, interrupts, typed words
// (read from standard input as from any file), text files' line ends and
// ANSI text, and the large-page hint.
#include "platform/shared_posix.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/hints.h"
#include "platform/piped_word.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__linux__)
#include <sys/mman.h>
#include <sys/xattr.h>
#endif

namespace platform {

volatile std::sig_atomic_t terminal_coloured = 0;

namespace {

constexpr std::array kInterrupts = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr std::string_view kResetColours = "\x1b[0m";

// The own files an interrupt removes. A signal handler may not allocate or
// take locks, so the names wait in fixed buffers, each with the folder it is
// in; the main line changes a watch only with the interrupts held back, so
// the handler never sees half a name, and never removes a name that has just
// been renamed into its place.
struct Watch {
    volatile std::sig_atomic_t used = 0;
    int folder = -1;
    char name[256 + 32] = {};
};
std::array<Watch, 8> watches;

sigset_t interrupt_set()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal_number : kInterrupts)
        sigaddset(&set, signal_number);
    return set;
}

int held_depth = 0;
sigset_t mask_before_held;

extern "C" void on_interrupt(int signal_number)
{
    for (Watch& watch : watches) {
        if (watch.used != 0)
            (void)unlinkat(watch.folder, watch.name, 0);
    }
    if (terminal_coloured != 0)
        (void)!write(STDOUT_FILENO, kResetColours.data(), kResetColours.size());
    // The program then ends as the signal ends it, so that whoever started it
    // sees how it ended.
    (void)std::signal(signal_number, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal_number);
    (void)sigprocmask(SIG_UNBLOCK, &only, nullptr);
    (void)std::raise(signal_number);
}

int descriptor(const Handle& handle)
{
    return static_cast<int>(handle.raw());
}

bool same_file(const struct stat& one, const struct stat& other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// Another run holds a file for a moment: the lock is tried again after short
// waits that grow, for about two seconds. True once it is held, also where
// the file system has no locks (some network and FUSE ones), which leaves
// the file unguarded; false when it stays held by another.
bool lock_within_two_seconds(int file, int how)
{
    constexpr std::chrono::milliseconds kPatience{2000};
    std::chrono::milliseconds waited{0};
    for (std::chrono::milliseconds wait{10};; wait *= 2) {
        if (flock(file, how | LOCK_NB) == 0 || errno != EWOULDBLOCK)
            return true;
        if (waited >= kPatience)
            return false;
        const auto nap = std::min(wait, kPatience - waited);
        std::this_thread::sleep_for(nap);
        waited += nap;
    }
}

// Opens `path` and holds it with `how` (LOCK_SH or LOCK_EX), as long as the
// name names the file held: a result renamed into its place meanwhile is
// opened anew. A file that is no regular one (a pipe a list comes through)
// is not held. -1 when it cannot be opened, -2 when it stays held.
int open_locked(const std::string& path, int flags, int how)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int file = open(path.c_str(), flags | O_CLOEXEC);
        if (file < 0)
            return -1;
        struct stat held = {};
        if (fstat(file, &held) != 0 || !S_ISREG(held.st_mode))
            return file;
        if (!lock_within_two_seconds(file, how)) {
            (void)close(file);
            return -2;
        }
        struct stat named = {};
        if (stat(path.c_str(), &named) != 0 || same_file(named, held))
            return file;
        (void)close(file);
    }
    return -2;
}

}  // namespace

HeldInterrupts::HeldInterrupts()
{
    if (held_depth++ == 0) {
        const sigset_t set = interrupt_set();
        (void)sigprocmask(SIG_BLOCK, &set, &mask_before_held);
    }
}

HeldInterrupts::~HeldInterrupts()
{
    if (--held_depth == 0)
        (void)sigprocmask(SIG_SETMASK, &mask_before_held, nullptr);
}

bool Handle::close()
{
    if (raw_ == kNone)
        return true;
    const int file = static_cast<int>(std::exchange(raw_, kNone));
    return ::close(file) == 0;
}

std::string folder_of(const std::string& name)
{
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? std::string{} : name.substr(0, slash + 1);
}

std::optional<std::string> follow_links(const std::string& name)
{
    std::string path = name;
    std::array<char, 4096> target{};
    for (int hop = 0; hop < 40; ++hop) {
        struct stat link = {};
        if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
            return path;
        const std::string folder = folder_of(path);
        struct stat shared = {};
        if (stat(folder.empty() ? "." : folder.c_str(), &shared) != 0)
            return std::nullopt;
        if ((shared.st_mode & S_ISVTX) != 0 && (shared.st_mode & S_IWOTH) != 0 && link.st_uid != geteuid() &&
            link.st_uid != shared.st_uid)
            return std::nullopt;
        const ssize_t size = readlink(path.c_str(), target.data(), target.size());
        if (size <= 0 || static_cast<std::size_t>(size) == target.size())
            return std::nullopt;
        const std::string_view next(target.data(), static_cast<std::size_t>(size));
        path = next.front() == '/' ? std::string{next} : folder + std::string{next};
    }
    return std::nullopt;
}

std::optional<FileFacts> facts_of(const std::string& path)
{
    struct stat status = {};
    if (stat(path.c_str(), &status) != 0)
        return errno == ENOENT ? std::optional(FileFacts{}) : std::nullopt;
    FileFacts facts;
    facts.kind = S_ISREG(status.st_mode)   ? FileKind::regular
                 : S_ISDIR(status.st_mode) ? FileKind::directory
                                           : FileKind::other;
    facts.id = {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
    facts.links = static_cast<std::uint64_t>(status.st_nlink);
    facts.writable = access(path.c_str(), W_OK) == 0;
    return facts;
}

bool same_entry_name(const std::string& one, const std::string& other)
{
    return one == other;
}

std::string temp_folder()
{
    const char* const set = std::getenv("TMPDIR");
    std::string folder = set != nullptr && set[0] == '/' ? set : "/tmp";
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

std::string full_path(const std::string& name)
{
    if (name.starts_with('/'))
        return name;
    std::array<char, 4096> here{};
    return getcwd(here.data(), here.size()) == nullptr ? name : std::string{here.data()} + "/" + name;
}

std::optional<Folder> open_folder(const std::string& path)
{
    const int folder = open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return std::nullopt;
    return Folder{Handle(folder), path};
}

void sync_folder(const Folder& folder)
{
    // Systems that cannot sync a folder say so, and then there is nothing more to do.
    (void)fsync(descriptor(folder.handle));
}

OwnFile create_own_file(const Folder& folder, std::string_view stem, std::string_view suffix, Privacy privacy)
{
    OwnFile own;
    for (unsigned number = 0;; ++number) {
        own.name = std::string{stem} + (number == 0 ? std::string{} : std::to_string(number)) + std::string{suffix};
        if (own.name.size() >= sizeof watches[0].name)
            return {};
        // Creation and watch go together, or an interrupt between the two would
        // leave the file behind, or remove a file of the same name that is not ours.
        const HeldInterrupts held;
        const auto free_watch =
            std::find_if(watches.begin(), watches.end(), [](const Watch& w) { return w.used == 0; });
        if (free_watch == watches.end())
            return {};
        const mode_t mode = privacy == Privacy::private_to_owner ? 0600 : 0666;
        const int file = openat(descriptor(folder.handle), own.name.c_str(),
                                O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (file < 0 && errno == EEXIST)
            continue;
        if (file < 0) {
            own.refused = errno == EACCES || errno == EPERM;
            return {Handle{}, {}, -1, own.refused};
        }
        // A file system without locks leaves the file unlocked; a run
        // cleaning up cannot lock it either, and leaves it alone for a day.
        (void)flock(file, LOCK_EX);
        // Another run that cleans up stale files may have locked and removed
        // the file in the moment before the lock: the next name is tried.
        struct stat status = {};
        if (fstat(file, &status) != 0 || status.st_nlink == 0) {
            (void)close(file);
            continue;
        }
        std::memcpy(free_watch->name, own.name.c_str(), own.name.size() + 1);
        free_watch->folder = descriptor(folder.handle);
        free_watch->used = 1;
        own.handle = Handle(file);
        own.watch = static_cast<int>(free_watch - watches.begin());
        return own;
    }
}

namespace {

void stop_watching(OwnFile& own)
{
    if (own.watch >= 0)
        watches[static_cast<std::size_t>(own.watch)].used = 0;
    own.watch = -1;
    (void)own.handle.close();
}

}  // namespace

void remove_own_file(const Folder& folder, OwnFile& own)
{
    const HeldInterrupts held;
    (void)unlinkat(descriptor(folder.handle), own.name.c_str(), 0);
    stop_watching(own);
}

void keep_own_file(OwnFile& own)
{
    const HeldInterrupts held;
    stop_watching(own);
}

bool rename_own_file(const Folder& folder, OwnFile& own, const std::string& target)
{
    const HeldInterrupts held;
    const int at = descriptor(folder.handle);
    if (renameat(at, own.name.c_str(), at, target.c_str()) != 0)
        return false;
    stop_watching(own);
    return true;
}

bool takes_on(const OwnFile& own, [[maybe_unused]] const std::string& path, const FileFacts& earlier)
{
    // Giving a file away, or to a group one is not in, is for the superuser.
    struct stat status = {};
    const int file = descriptor(own.handle);
    if (earlier.links != 1 || stat(path.c_str(), &status) != 0 || fchown(file, status.st_uid, status.st_gid) != 0)
        return false;
#if defined(__linux__)
    // The access list is an attribute (system.posix_acl_access) like the
    // others. A new file may have one from its folder's default list that the
    // earlier file lacks: it goes, so that no one reads the result who could
    // not read the earlier one. The system labels each file itself
    // (security.*), so those are left to it.
    constexpr const char* kAccessList = "system.posix_acl_access";
    if (fremovexattr(file, kAccessList) != 0 && errno != ENODATA && errno != ENOTSUP)
        return false;
    const ssize_t size = listxattr(path.c_str(), nullptr, 0);
    if (size <= 0)
        return size == 0 || errno == ENOTSUP;
    std::string names(static_cast<std::size_t>(size), '\0');
    if (listxattr(path.c_str(), names.data(), names.size()) != size)
        return false;
    std::string value;
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
        const char* const attribute = names.c_str() + at;
        if (std::string_view(attribute).starts_with("security."))
            continue;
        const ssize_t length = getxattr(path.c_str(), attribute, nullptr, 0);
        value.resize(static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
        if (length < 0 || getxattr(path.c_str(), attribute, value.data(), value.size()) != length ||
            fsetxattr(file, attribute, value.data(), value.size(), 0) != 0)
            return false;
    }
#endif
    return true;
}

void takes_mode(const OwnFile& own, const std::string& path)
{
    // A file system without permission bits (FAT) refuses the mode, and the
    // result then has the bits it gives every file.
    struct stat status = {};
    if (stat(path.c_str(), &status) == 0)
        (void)fchmod(descriptor(own.handle), status.st_mode & 07777);
}

Handle open_held(const std::string& path, Hold hold, bool for_writing)
{
    const int file = open_locked(path, for_writing ? O_RDWR : O_RDONLY, hold == Hold::shared ? LOCK_SH : LOCK_EX);
    return file >= 0 ? Handle(file) : Handle{};
}

std::optional<Handle> hold_for_rename(const std::string& path)
{
    // A file the user may write but not read is held through writing.
    int file = open_locked(path, O_RDONLY | O_NONBLOCK, LOCK_EX);
    if (file == -1 && errno == EACCES)
        file = open_locked(path, O_WRONLY | O_NONBLOCK, LOCK_EX);
    if (file == -2)
        return std::nullopt;
    return file >= 0 ? Handle(file) : Handle{};
}

Handle open_through(const std::string& path)
{
    const int file = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    return file >= 0 ? Handle(file) : Handle{};
}

std::optional<FileId> id_of(const Handle& file)
{
    struct stat status = {};
    if (fstat(descriptor(file), &status) != 0)
        return std::nullopt;
    return FileId{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

std::optional<std::uint64_t> size_of(const Handle& file)
{
    struct stat status = {};
    if (fstat(descriptor(file), &status) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(status.st_size);
}

namespace {

// Writes all the bytes through `write`, which writes some of them after the
// `done` already written and says how many, or fails.
template <typename Write>
bool write_fully(std::string_view bytes, Write write)
{
    for (std::uint64_t done = 0; done < bytes.size();) {
        const ssize_t written = write(bytes.data() + done, bytes.size() - done, done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::uint64_t>(written);
    }
    return true;
}

}  // namespace

bool write_all(const Handle& file, std::string_view bytes)
{
    return write_fully(bytes, [&](const char* data, std::size_t size, std::uint64_t) {
        return ::write(descriptor(file), data, size);
    });
}

bool write_at(const Handle& file, std::uint64_t offset, std::string_view bytes)
{
    return write_fully(bytes, [&](const char* data, std::size_t size, std::uint64_t done) {
        return pwrite(descriptor(file), data, size, static_cast<off_t>(offset + done));
    });
}

std::optional<std::string> read_small(const Handle& file)
{
    std::string text;
    std::array<char, 4096> block{};
    for (;;) {
        const ssize_t got = pread(descriptor(file), block.data(), block.size(), static_cast<off_t>(text.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || text.size() > (std::size_t{1} << 20))
            return std::nullopt;
        if (got == 0)
            return text;
        text.append(block.data(), static_cast<std::size_t>(got));
    }
}

bool sync_data(const Handle& file)
{
#if defined(__APPLE__)
    return fsync(descriptor(file)) == 0;
#else
    return fdatasync(descriptor(file)) == 0;
#endif
}

void start_write_back([[maybe_unused]] const Handle& file, [[maybe_unused]] std::uint64_t offset,
                      [[maybe_unused]] std::uint64_t bytes)
{
#if defined(__linux__)
    (void)sync_file_range(descriptor(file), static_cast<off_t>(offset), static_cast<off_t>(bytes),
                          SYNC_FILE_RANGE_WRITE);
#endif
}

Room reserve([[maybe_unused]] const Handle& file, [[maybe_unused]] std::uint64_t size)
{
#if defined(__linux__)
    if (size == 0 || fallocate(descriptor(file), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0)
        return Room::reserved;
    return errno == ENOSPC || errno == EDQUOT ? Room::none : Room::unknown;
#else
    return Room::unknown;
#endif
}

bool within_size_limit(std::uint64_t size)
{
    struct rlimit limit = {};
    return getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
           size <= static_cast<std::uint64_t>(limit.rlim_cur);
}

bool copy_content(const Handle& from, const Handle& to, std::uint64_t size)
{
    // The content is written over the start before the file is cut to its
    // new size, so that the blocks of the earlier content stay the file's
    // until the end: an earlier result put back after a failure needs no room.
    std::vector<char> buffer(std::size_t{1} << 18);
    for (std::uint64_t at = 0; at < size;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - at));
        const ssize_t got = pread(descriptor(from), buffer.data(), want, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || !write_at(to, at, {buffer.data(), static_cast<std::size_t>(got)}))
            return false;
        at += static_cast<std::uint64_t>(got);
    }
    return ftruncate(descriptor(to), static_cast<off_t>(size)) == 0;
}

std::vector<std::string> own_names(const Folder& folder)
{
    std::vector<std::string> names;
    const int listed = dup(descriptor(folder.handle));
    DIR* const listing = listed < 0 ? nullptr : fdopendir(listed);
    if (listing == nullptr) {
        if (listed >= 0)
            (void)close(listed);
        return names;
    }
    rewinddir(listing);
    while (const dirent* const entry = readdir(listing)) {
        if (is_own_name(entry->d_name))
            names.emplace_back(entry->d_name);
    }
    (void)closedir(listing);
    return names;
}

Handle open_if_stale(const Folder& folder, const std::string& name)
{
    const int at = descriptor(folder.handle);
    Handle file(openat(at, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat opened = {};
    // Only a file of this user's own is the program's: in a shared folder
    // another user's file of such a name is theirs.
    if (!file.valid() || fstat(descriptor(file), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        opened.st_uid != geteuid())
        return {};
    // A running program holds its own file locked. Without working locks,
    // a file that has not changed for a day is no running program's.
    if (flock(descriptor(file), LOCK_EX | LOCK_NB) != 0) {
        constexpr std::time_t kDay = std::time_t{24} * 60 * 60;
        if (errno == EWOULDBLOCK || opened.st_mtime > std::time(nullptr) - kDay)
            return {};
    }
    struct stat named = {};
    if (fstatat(at, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !same_file(named, opened))
        return {};
    return file;
}

void remove_name(const Folder& folder, const std::string& name)
{
    (void)unlinkat(descriptor(folder.handle), name.c_str(), 0);
}

void begin_session()
{
    // A closed pipe on standard output then fails the write, which the
    // console reports, instead of ending the program unseen.
    (void)std::signal(SIGPIPE, SIG_IGN);
    // A write beyond the size limit of a file then fails with EFBIG, which is
    // reported as a full disk is, instead of ending the program unseen.
    (void)std::signal(SIGXFSZ, SIG_IGN);
    struct sigaction action = {};
    action.sa_handler = on_interrupt;
    action.sa_mask = interrupt_set();
    for (const int signal_number : kInterrupts) {
        struct sigaction previous = {};
        (void)sigaction(signal_number, nullptr, &previous);
        // A program started to ignore an interrupt (nohup, a background job)
        // goes on ignoring it.
        if (previous.sa_handler != SIG_IGN)
            (void)sigaction(signal_number, &action, nullptr);
    }
}

std::FILE* open_for_reading(const std::string& name, bool held)
{
    const auto path = follow_links(name);
    if (!path)
        return nullptr;
    if (!held)
        return std::fopen(path->c_str(), "rb");
    const int file = open_locked(*path, O_RDONLY, LOCK_SH);
    std::FILE* const stream = file >= 0 ? fdopen(file, "rb") : nullptr;
    if (stream == nullptr && file >= 0)
        (void)close(file);
    return stream;
}

std::optional<std::uint64_t> file_size(std::FILE* file)
{
    struct stat status = {};
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(status.st_size);
}

bool read_typed_word(std::string& word)
{
    // The extractor leaves the word as it was when input has already ended.
    word.clear();
    return detail::read_piped_word(word);
}

void write_typed_name(std::string_view name)
{
    // A terminal shows the bytes it was given back as they were typed.
    std::cout << name;
}

std::string_view file_line_end()
{
    return "\n";
}

bool eof_byte_is_blank()
{
    return false;
}

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F.
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

bool ansi_characters(std::string_view text, std::u16string& out)
{
    for (const char next : text) {
        const auto code = static_cast<unsigned char>(next);
        out += code >= 0x80 && code < 0xA0 ? kWindows1252[code - 0x80] : char16_t{code};
    }
    return true;
}

void prefer_large_pages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t bytes)
{
    // Linux backs memory advised with MADV_HUGEPAGE by transparent huge pages
    // of two megabytes where whole aligned ones fit; elsewhere the hint is nothing.
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kLargePage = std::uintptr_t{1} << 21;
    if (data == nullptr || bytes < 2 * kLargePage)
        return;
    // Only whole large pages inside the buffer can take the hint; the edges
    // keep small pages.
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::size_t lead = static_cast<std::size_t>((kLargePage - start % kLargePage) % kLargePage);
    const std::size_t whole = (bytes - lead) / kLargePage * kLargePage;
    if (whole > 0)
        (void)madvise(static_cast<char*>(data) + lead, whole, MADV_HUGEPAGE);
#endif
}

}  // namespace platform
