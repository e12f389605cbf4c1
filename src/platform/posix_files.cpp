// Files and interrupts on POSIX systems, for the POSIX and the recording
// platforms alike.
#include "platform/posix_files.h"
#include "platform/files.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__linux__)
#include <sys/xattr.h>
#endif

namespace platform {
namespace detail {

volatile std::sig_atomic_t terminal_coloured = 0;

}  // namespace detail

namespace {

constexpr std::array kInterrupts = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr std::string_view kResetColours = "\x1b[0m";

// The own files an interrupt removes. A signal handler may not allocate or
// take locks, so the names wait in fixed buffers; the main line changes a
// watch only with the interrupts held back, so the handler never sees half a
// name, and never removes a name that has just been renamed into its place.
// Each watch keeps a descriptor of its own on the file, which holds the
// file's lock from its creation until it is moved or removed, also after the
// program has closed its stream.
struct Watch {
    volatile std::sig_atomic_t used = 0;
    int lock = -1;
    char name[4096 + 64] = {};
};
std::array<Watch, 4> watches;

sigset_t interrupt_set()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal_number : kInterrupts)
        sigaddset(&set, signal_number);
    return set;
}

// Holds the interrupts back for its lifetime; one that comes meanwhile is
// delivered at the end.
class HeldInterrupts {
public:
    HeldInterrupts()
    {
        const sigset_t set = interrupt_set();
        (void)sigprocmask(SIG_BLOCK, &set, &previous_);
    }
    ~HeldInterrupts() { (void)sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    HeldInterrupts(const HeldInterrupts&) = delete;
    HeldInterrupts& operator=(const HeldInterrupts&) = delete;

private:
    sigset_t previous_;
};

extern "C" void on_interrupt(int signal_number)
{
    for (Watch& watch : watches) {
        if (watch.used != 0)
            (void)unlink(watch.name);
    }
    if (detail::terminal_coloured != 0)
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

std::FILE* adopt_descriptor(int descriptor, const char* mode)
{
    if (descriptor < 0)
        return nullptr;
    std::FILE* const file = fdopen(descriptor, mode);
    if (file == nullptr)
        (void)close(descriptor);
    return file;
}

// The names the program gives its own files beside a result: mordavelle,
// anything, then .partial.
bool is_partial_name(std::string_view name)
{
    constexpr std::string_view kStart = "mordavelle";
    constexpr std::string_view kEnd = ".partial";
    return name.size() >= kStart.size() + kEnd.size() && name.starts_with(kStart) && name.ends_with(kEnd);
}

// True where the file carries an access control list beyond its permission
// bits, which a new file in its place would not have.
bool has_acl(const std::string& name)
{
#if defined(__linux__)
    return getxattr(name.c_str(), "system.posix_acl_access", nullptr, 0) >= 0;
#else
    (void)name;
    return false;
#endif
}

mode_t current_umask()
{
    // The only way to read the mask is to set it; the program has one thread.
    const mode_t mask = umask(022);
    (void)umask(mask);
    return mask;
}

// Makes a rename in `folder` survive a power cut: the folder's own entry list
// is written through to the disk. Systems that cannot sync a folder say so,
// and then there is nothing more to do.
void sync_folder(const std::string& folder)
{
    const int descriptor = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    (void)fsync(descriptor);
    (void)close(descriptor);
}

}  // namespace

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

FileKind file_kind(const std::string& name)
{
    struct stat status = {};
    if (stat(name.c_str(), &status) != 0)
        return FileKind::missing;
    if (S_ISREG(status.st_mode))
        return FileKind::regular;
    return S_ISDIR(status.st_mode) ? FileKind::directory : FileKind::other;
}

std::string link_target(const std::string& name)
{
    // As many links as the system itself follows; a longer chain is left for
    // the system to refuse.
    std::string path = name;
    std::array<char, 4096> target{};
    for (int hop = 0; hop < 40; ++hop) {
        const ssize_t size = readlink(path.c_str(), target.data(), target.size());
        if (size < 0 || static_cast<std::size_t>(size) == target.size())
            return path;
        const std::string_view link(target.data(), static_cast<std::size_t>(size));
        path = link.front() == '/' ? std::string{link} : folder_of(path) + std::string{link};
    }
    return name;
}

std::string folder_of(const std::string& name)
{
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? std::string{} : name.substr(0, slash + 1);
}

bool may_replace(const std::string& name)
{
    return access(name.c_str(), W_OK) == 0 || errno == ENOENT;
}

std::FILE* open_for_reading(const std::string& name)
{
    return std::fopen(name.c_str(), "rb");
}

std::FILE* open_for_writing(const std::string& name)
{
    return std::fopen(name.c_str(), "wb");
}

std::optional<std::uint64_t> file_size(std::FILE* file)
{
    struct stat status = {};
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(status.st_size);
}

OwnFile create_own_file(const std::string& name, const std::string& like)
{
    // The permission bits of the result are given only as it takes its place
    // (move_own_file): until then no other user reads a half-written list.
    (void)like;
    OwnFile own;
    if (name.size() >= sizeof watches[0].name)
        return own;
    // Creation and watch go together, or an interrupt between the two would
    // leave the file behind, or remove a file of the same name that is not ours.
    const HeldInterrupts held;
    Watch* const free_watch = std::find_if(watches.begin(), watches.end(), [](const Watch& w) { return w.used == 0; });
    if (free_watch == watches.end())
        return own;
    const int descriptor = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        own.taken = errno == EEXIST;
        return own;
    }
    const int lock = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (lock < 0) {
        (void)unlink(name.c_str());
        (void)close(descriptor);
        return own;
    }
    // A file system without locks (some network and FUSE ones) leaves the file
    // unlocked; a run cleaning up cannot lock it either, and leaves it alone.
    (void)flock(lock, LOCK_EX);
    // Another run that cleans up stale files may have locked and removed the
    // file in the moment before the lock: the name is then free again, and
    // the caller tries it or the next one.
    struct stat status = {};
    if (fstat(lock, &status) != 0 || status.st_nlink == 0) {
        own.taken = true;
        (void)close(lock);
        (void)close(descriptor);
        return own;
    }
    own.file = adopt_descriptor(descriptor, "wb");
    if (own.file == nullptr) {
        (void)unlink(name.c_str());
        (void)close(lock);
        return own;
    }
    std::memcpy(free_watch->name, name.c_str(), name.size() + 1);
    free_watch->lock = lock;
    free_watch->used = 1;
    own.watch = static_cast<int>(free_watch - watches.begin());
    return own;
}

bool flush_to_disk(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return false;
#if defined(__APPLE__)
    return fsync(fileno(file)) == 0;
#else
    return fdatasync(fileno(file)) == 0;
#endif
}

void start_write_back(std::FILE* file, std::uint64_t offset, std::uint64_t bytes)
{
#if defined(__linux__)
    (void)sync_file_range(fileno(file), static_cast<off_t>(offset), static_cast<off_t>(bytes), SYNC_FILE_RANGE_WRITE);
#else
    (void)file;
    (void)offset;
    (void)bytes;
#endif
}

bool may_rename_over(int watch, const std::string& target)
{
    const Watch& own = watches.at(static_cast<std::size_t>(watch));
    struct stat earlier = {};
    if (stat(target.c_str(), &earlier) != 0)
        return errno == ENOENT;
    if (!S_ISREG(earlier.st_mode) || earlier.st_nlink != 1 || has_acl(target))
        return false;
    // Giving a file away, or to a group one is not in, is for the superuser:
    // the attempt on the new file tells whether the rename keeps them.
    return fchown(own.lock, earlier.st_uid, earlier.st_gid) == 0;
}

bool move_own_file(int watch, const std::string& target)
{
    const HeldInterrupts held;
    Watch& moved = watches.at(static_cast<std::size_t>(watch));
    struct stat earlier = {};
    const mode_t mode = stat(target.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode)
                            ? static_cast<mode_t>(earlier.st_mode & 07777)
                            : static_cast<mode_t>(0666 & ~current_umask());
    // A file system without permission bits (FAT) refuses the change, and the
    // result then has the bits it gives every file.
    (void)fchmod(moved.lock, mode);
    if (std::rename(moved.name, target.c_str()) != 0)
        return false;
    moved.used = 0;
    (void)close(moved.lock);
    moved.lock = -1;
    sync_folder(folder_of(target));
    return true;
}

void remove_own_file(int watch)
{
    const HeldInterrupts held;
    Watch& removed = watches.at(static_cast<std::size_t>(watch));
    detail::note_removal(removed.name);
    (void)unlink(removed.name);
    removed.used = 0;
    (void)close(removed.lock);
    removed.lock = -1;
}

void remove_stale_partials(const std::string& folder)
{
    DIR* const listing = opendir(folder.empty() ? "." : folder.c_str());
    if (listing == nullptr)
        return;
    while (const dirent* const entry = readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (!is_partial_name(name))
            continue;
        const std::string path = folder + std::string{name};
        const int descriptor = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (descriptor < 0)
            continue;
        // A running program holds its own file locked; one that no program
        // holds is removed while this run holds it, and only if the name still
        // names the file that was locked.
        struct stat locked = {};
        struct stat named = {};
        if (flock(descriptor, LOCK_EX | LOCK_NB) == 0 && fstat(descriptor, &locked) == 0 && S_ISREG(locked.st_mode) &&
            lstat(path.c_str(), &named) == 0 && named.st_ino == locked.st_ino && named.st_dev == locked.st_dev)
            (void)unlink(path.c_str());
        (void)close(descriptor);
    }
    (void)closedir(listing);
}

}  // namespace platform
