// Files and interrupts on POSIX systems, for the POSIX and the recording
// platforms alike.
#include "platform/posix_files.h"
#include "platform/files.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace detail {

volatile std::sig_atomic_t terminal_coloured = 0;

}  // namespace detail

namespace {

constexpr std::array kInterrupts = {SIGINT, SIGTERM, SIGHUP};
constexpr std::string_view kResetColours = "\x1b[0m";

// The own files an interrupt removes. A signal handler may not allocate or
// take locks, so the names wait in fixed buffers; the main line changes a
// watch only with the interrupts held back, so the handler never sees half a
// name, and never removes a name that has just been renamed into its place.
struct Watch {
    volatile std::sig_atomic_t used = 0;
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

}  // namespace

void begin_session()
{
    // A closed pipe on standard output then fails the write, which the
    // console reports, instead of ending the program unseen.
    (void)std::signal(SIGPIPE, SIG_IGN);
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
    OwnFile own;
    if (name.size() >= sizeof watches[0].name)
        return own;
    // Creation and watch go together, or an interrupt between the two would
    // leave the file behind, or remove a file of the same name that is not ours.
    const HeldInterrupts held;
    Watch* const free_watch = std::find_if(watches.begin(), watches.end(), [](const Watch& w) { return w.used == 0; });
    if (free_watch == watches.end())
        return own;
    const int descriptor = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        own.taken = errno == EEXIST;
        return own;
    }
    struct stat model = {};
    if (!like.empty() && stat(like.c_str(), &model) == 0 && S_ISREG(model.st_mode))
        (void)fchmod(descriptor, model.st_mode & 07777);
    own.file = adopt_descriptor(descriptor, "wb");
    if (own.file == nullptr) {
        (void)unlink(name.c_str());
        return own;
    }
    std::memcpy(free_watch->name, name.c_str(), name.size() + 1);
    free_watch->used = 1;
    own.watch = static_cast<int>(free_watch - watches.begin());
    return own;
}

bool move_own_file(int watch, const std::string& target)
{
    const HeldInterrupts held;
    Watch& moved = watches.at(static_cast<std::size_t>(watch));
    if (std::rename(moved.name, target.c_str()) != 0)
        return false;
    moved.used = 0;
    return true;
}

void remove_own_file(int watch)
{
    const HeldInterrupts held;
    Watch& removed = watches.at(static_cast<std::size_t>(watch));
    detail::note_removal(removed.name);
    (void)unlink(removed.name);
    removed.used = 0;
}

}  // namespace platform
