// What the POSIX and the recording platforms do alike: files and interrupts,
// typed words, text files' line ends and ANSI text, the large-page hint, and
// the help box drawn with characters.
#include "platform/posix.h"
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
#include <cstring>
#include <iostream>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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

// How much of a result to be renamed is written before the system is asked
// to start putting it on the disk, so that the flush at the end waits for little.
constexpr std::uint64_t kWriteBackStep = std::uint64_t{8} << 20;

// The own files an interrupt removes. A signal handler may not allocate or
// take locks, so the names wait in fixed buffers; the main line changes a
// watch only with the interrupts held back, so the handler never sees half a
// name, and never removes a name that has just been renamed into its place.
// The watch's descriptor holds the file's lock from its creation until it is
// moved or removed.
struct Watch {
    volatile std::sig_atomic_t used = 0;
    int descriptor = -1;
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

}  // namespace

std::string folder_of(const std::string& name)
{
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? std::string{} : name.substr(0, slash + 1);
}

namespace {

const char* folder_path(const std::string& folder)
{
    return folder.empty() ? "." : folder.c_str();
}

bool same_file(const struct stat& one, const struct stat& other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// Makes a rename in `folder` survive a power cut: the folder's own entry list
// is written through to the disk. Systems that cannot sync a folder say so,
// and then there is nothing more to do.
void sync_folder(const std::string& folder)
{
    const int descriptor = open(folder_path(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    (void)fsync(descriptor);
    (void)close(descriptor);
}

bool write_all(int descriptor, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The file a result name leads to, following symbolic links as the system
// follows them where it protects shared folders: in a folder that others may
// write and that keeps their files apart (sticky, as /tmp), only a link of
// the user's own or of the folder's owner is followed, so that no other user
// can plant a link that turns a result onto a file of this user's. Nothing
// when a link is refused, or the chain is longer than the system follows.
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
        if (stat(folder_path(folder), &shared) != 0)
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

// Gives a new file what the earlier result has beyond its content, so that a
// rename changes nothing else: its owner and group (giving a file away, or to
// a group one is not in, is for the superuser) and its extended attributes.
// False where the new file cannot have them all: another link, an access
// list (a system.* attribute), an attribute that cannot be copied. The
// system labels each file itself (security.*), so those are left to it.
bool takes_on(int descriptor, [[maybe_unused]] const std::string& earlier_name, const struct stat& earlier)
{
    if (earlier.st_nlink != 1 || fchown(descriptor, earlier.st_uid, earlier.st_gid) != 0)
        return false;
#if defined(__linux__)
    const ssize_t size = listxattr(earlier_name.c_str(), nullptr, 0);
    if (size <= 0)
        return size == 0 || errno == ENOTSUP;
    std::string names(static_cast<std::size_t>(size), '\0');
    if (listxattr(earlier_name.c_str(), names.data(), names.size()) != size)
        return false;
    std::string value;
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
        const char* const attribute = names.c_str() + at;
        if (std::string_view(attribute).starts_with("security."))
            continue;
        if (std::string_view(attribute).starts_with("system."))
            return false;
        const ssize_t length = getxattr(earlier_name.c_str(), attribute, nullptr, 0);
        value.resize(static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
        if (length < 0 || getxattr(earlier_name.c_str(), attribute, value.data(), value.size()) != length ||
            fsetxattr(descriptor, attribute, value.data(), value.size(), 0) != 0)
            return false;
    }
#endif
    return true;
}

// Asks the file system for room for a result of `size` bytes before anything
// is changed, so that a full disk is found while the earlier file is whole.
// Systems without the means promise nothing, and a full disk is then found
// as the result is written.
bool reserve([[maybe_unused]] int descriptor, [[maybe_unused]] std::size_t size)
{
#if defined(__linux__)
    if (size > 0 && fallocate(descriptor, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0)
        return errno != ENOSPC && errno != EDQUOT;
#endif
    return true;
}

// Another run writing the same result in place holds it locked for a moment:
// the lock is tried again after short waits that grow, for about two seconds.
// A file system without locks leaves the file unguarded, as it does own files.
bool lock_within_two_seconds(int descriptor)
{
    constexpr std::chrono::milliseconds kPatience{2000};
    std::chrono::milliseconds waited{0};
    for (std::chrono::milliseconds wait{10};; wait *= 2) {
        if (flock(descriptor, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK)
            return true;
        if (waited >= kPatience)
            return false;
        const auto nap = std::min(wait, kPatience - waited);
        std::this_thread::sleep_for(nap);
        waited += nap;
    }
}

// Copies a whole result into the earlier file, as one run's: the file is
// locked against other runs, room is asked for first, and interrupts wait
// until the result is whole. Its owner, group, mode, links and access list
// stay; a failure that comes after the room was given can cut it short.
bool copy_in(const std::string& target, const struct stat& earlier, std::string_view result)
{
    const int descriptor = open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct stat now = {};
    bool done = fstat(descriptor, &now) == 0 && same_file(now, earlier) && lock_within_two_seconds(descriptor) &&
                reserve(descriptor, result.size());
    if (done) {
        const HeldInterrupts held;
        done = ftruncate(descriptor, 0) == 0 && write_all(descriptor, result);
    }
    // Closing gives the lock back.
    return close(descriptor) == 0 && done;
}

struct OwnFile {
    Watch* watch = nullptr;
    int error = 0;  // why none was created
};

// Creates a file of the program's own for writing, under the first name of
// stem + suffix, stem + "1" + suffix ... that no file holds, so that no file
// is ever replaced. It is held locked while it exists, so that no other run
// takes it for a stale one, and watched, so that an interrupt removes it.
OwnFile create_own_file(const std::string& stem, std::string_view suffix, mode_t mode)
{
    for (unsigned number = 0;; ++number) {
        const std::string name = stem + (number == 0 ? std::string{} : std::to_string(number)) + std::string{suffix};
        if (name.size() >= sizeof watches[0].name)
            return {nullptr, ENAMETOOLONG};
        // Creation and watch go together, or an interrupt between the two would
        // leave the file behind, or remove a file of the same name that is not ours.
        const HeldInterrupts held;
        const auto free_watch =
            std::find_if(watches.begin(), watches.end(), [](const Watch& w) { return w.used == 0; });
        if (free_watch == watches.end())
            return {nullptr, EMFILE};
        const int descriptor = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (descriptor < 0 && errno == EEXIST)
            continue;
        if (descriptor < 0)
            return {nullptr, errno};
        // A file system without locks (some network and FUSE ones) leaves the
        // file unlocked; a run cleaning up cannot lock it either, and leaves it alone.
        (void)flock(descriptor, LOCK_EX);
        // Another run that cleans up stale files may have locked and removed
        // the file in the moment before the lock: the next name is tried.
        struct stat status = {};
        if (fstat(descriptor, &status) != 0 || status.st_nlink == 0) {
            (void)close(descriptor);
            continue;
        }
        std::memcpy(free_watch->name, name.c_str(), name.size() + 1);
        free_watch->descriptor = descriptor;
        free_watch->used = 1;
        return {&*free_watch, 0};
    }
}

void remove_own_file(Watch& watch)
{
    const HeldInterrupts held;
    (void)unlink(watch.name);
    watch.used = 0;
    (void)close(watch.descriptor);
    watch.descriptor = -1;
}

bool rename_into_place(Watch& watch, const std::string& target)
{
    const HeldInterrupts held;
    if (std::rename(watch.name, target.c_str()) != 0)
        return false;
    watch.used = 0;
    (void)close(watch.descriptor);
    watch.descriptor = -1;
    sync_folder(folder_of(target));
    return true;
}

bool sync_data(int descriptor)
{
#if defined(__APPLE__)
    return fsync(descriptor) == 0;
#else
    return fdatasync(descriptor) == 0;
#endif
}

void start_write_back([[maybe_unused]] int descriptor, [[maybe_unused]] std::uint64_t offset,
                      [[maybe_unused]] std::uint64_t bytes)
{
#if defined(__linux__)
    (void)sync_file_range(descriptor, static_cast<off_t>(offset), static_cast<off_t>(bytes), SYNC_FILE_RANGE_WRITE);
#endif
}

// Removes the own files that runs of the program stopped without a chance to
// clean up (a power cut, SIGKILL) left in `folder`: those that no running
// program holds. Never any other name.
void remove_stale_partials(const std::string& folder)
{
    DIR* const listing = opendir(folder_path(folder));
    if (listing == nullptr)
        return;
    while (const dirent* const entry = readdir(listing)) {
        if (!is_own_partial_name(entry->d_name))
            continue;
        const std::string path = folder + entry->d_name;
        const int descriptor = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (descriptor < 0)
            continue;
        // A running program holds its own file locked; one that no program
        // holds is removed while this run holds it, and only if the name still
        // names the file that was locked.
        struct stat locked = {};
        struct stat named = {};
        if (flock(descriptor, LOCK_EX | LOCK_NB) == 0 && fstat(descriptor, &locked) == 0 && S_ISREG(locked.st_mode) &&
            lstat(path.c_str(), &named) == 0 && same_file(named, locked))
            (void)unlink(path.c_str());
        (void)close(descriptor);
    }
    (void)closedir(listing);
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

std::FILE* open_for_reading(const std::string& name)
{
    return std::fopen(name.c_str(), "rb");
}

std::optional<std::uint64_t> file_size(std::FILE* file)
{
    struct stat status = {};
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(status.st_size);
}

struct Replacement::State {
    enum class Way { beside, in_place, through, own };
    Way way = Way::own;
    Watch* watch = nullptr;    // the own file, beside a result or of its own
    int descriptor = -1;       // a file written straight through
    std::string target;        // the file a result takes the place of
    struct stat earlier = {};  // that file, when there is one
    bool replaces = false;
    std::string pending;       // a result to be written in place, whole
    std::uint64_t written = 0;
    std::uint64_t sent = 0;    // of which the system was asked to write back
    bool ok = true;
};

Replacement::Replacement() = default;

Replacement::~Replacement()
{
    abandon();
}

bool Replacement::open(const std::string& name, const std::vector<std::string>& inputs)
{
    abandon();
    auto state = std::make_unique<State>();
    const auto target = follow_links(name);
    if (!target)
        return false;
    state->target = *target;
    state->replaces = stat(target->c_str(), &state->earlier) == 0;
    if (!state->replaces && errno != ENOENT)
        return false;
    if (state->replaces) {
        for (const std::string& input : inputs) {
            struct stat read = {};
            if (stat(input.c_str(), &read) == 0 && same_file(read, state->earlier))
                return false;
        }
        if (S_ISDIR(state->earlier.st_mode))
            return false;
        if (!S_ISREG(state->earlier.st_mode)) {
            state->way = State::Way::through;
            state->descriptor = ::open(target->c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            if (state->descriptor < 0)
                return false;
            state_ = std::move(state);
            return true;
        }
        // A read-only result is the user's word that it must stay.
        if (access(target->c_str(), W_OK) != 0)
            return false;
    }
    remove_stale_partials(folder_of(name));
    // A result that replaces another stays private until it takes the earlier
    // one's mode; a new one is made as any file in its folder is, with the
    // folder's default access list where it has one.
    const OwnFile own = create_own_file(folder_of(*target) + "mordavelle", ".partial", state->replaces ? 0600 : 0666);
    if (own.watch != nullptr && (!state->replaces || takes_on(own.watch->descriptor, *target, state->earlier))) {
        state->way = State::Way::beside;
        state->watch = own.watch;
    } else if (state->replaces && (own.watch != nullptr || own.error == EACCES || own.error == EPERM)) {
        if (own.watch != nullptr)
            remove_own_file(*own.watch);
        state->way = State::Way::in_place;
    } else {
        return false;
    }
    state_ = std::move(state);
    return true;
}

std::string Replacement::open_first_free(const std::string& stem, std::string_view suffix)
{
    abandon();
    const OwnFile own = create_own_file(stem, suffix, 0600);
    if (own.watch == nullptr)
        return {};
    state_ = std::make_unique<State>();
    state_->watch = own.watch;
    return own.watch->name;
}

bool Replacement::write(std::string_view bytes)
{
    if (!state_ || !state_->ok)
        return false;
    State& state = *state_;
    if (state.way == State::Way::in_place) {
        state.pending.append(bytes);
        return true;
    }
    state.ok = write_all(state.watch != nullptr ? state.watch->descriptor : state.descriptor, bytes);
    state.written += bytes.size();
    if (state.way == State::Way::beside && state.written - state.sent >= kWriteBackStep) {
        start_write_back(state.watch->descriptor, state.sent, state.written - state.sent);
        state.sent = state.written;
    }
    return state.ok;
}

bool Replacement::commit()
{
    if (!state_)
        return false;
    State& state = *state_;
    bool done = state.ok;
    switch (state.way) {
    case State::Way::own:
        return done;
    case State::Way::through:
        done = close(state.descriptor) == 0 && done;
        state.descriptor = -1;
        break;
    case State::Way::in_place:
        done = done && copy_in(state.target, state.earlier, state.pending);
        break;
    case State::Way::beside:
        // The new file reaches the disk before it takes the earlier one's
        // place, so that a power cut leaves the earlier result or the new one,
        // whole. A file system without permission bits (FAT) refuses the
        // mode, and the result then has the bits it gives every file.
        if (done && state.replaces)
            (void)fchmod(state.watch->descriptor, state.earlier.st_mode & 07777);
        done = done && sync_data(state.watch->descriptor) && rename_into_place(*state.watch, state.target);
        if (!done)
            abandon();
        break;
    }
    state_.reset();
    return done;
}

void Replacement::abandon()
{
    if (!state_)
        return;
    if (state_->watch != nullptr && state_->watch->used != 0)
        remove_own_file(*state_->watch);
    if (state_->descriptor >= 0)
        (void)close(state_->descriptor);
    state_.reset();
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

// The frame takes "| " on the left and " |" on the right of every line.
constexpr std::size_t kFrameColumns = 4;

std::vector<std::string> wrap_text(std::string_view text, std::size_t width)
{
    // A line must hold at least one character, or a long word would never end.
    width = std::max<std::size_t>(width, 1);
    std::vector<std::string> lines;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(' ', at)) != std::string_view::npos) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        std::string_view word = text.substr(at, end - at);
        at = end;
        if (!lines.empty() && lines.back().size() + 1 + word.size() <= width) {
            lines.back().append(1, ' ').append(word);
            continue;
        }
        // A word too long for any line fills whole lines; its rest begins the next.
        for (; word.size() > width; word.remove_prefix(width))
            lines.emplace_back(word.substr(0, width));
        lines.emplace_back(word);
    }
    return lines;
}

std::string help_frame(std::string_view caption, std::string_view text, std::size_t width)
{
    const std::size_t line_width = width > kFrameColumns ? width - kFrameColumns : 1;
    const std::vector<std::vector<std::string>> blocks = {wrap_text(caption, line_width), wrap_text(text, line_width)};

    std::size_t inner = 0;
    for (const auto& block : blocks) {
        for (const auto& line : block)
            inner = std::max(inner, line.size());
    }
    std::string rule(inner + kFrameColumns, '-');
    rule.front() = '+';
    rule.back() = '+';
    rule += '\n';

    std::string frame = rule;
    for (const auto& block : blocks) {
        for (const auto& line : block)
            frame.append("| ").append(line).append(inner - line.size(), ' ').append(" |\n");
        frame += rule;
    }
    return frame;
}

}  // namespace platform
