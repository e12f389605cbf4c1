// The real Windows calls behind the seam. Console lines and list files end in
// CR LF because the C runtime keeps the console streams in text mode and the
// list files are written with file_line_end(). Files are opened, created,
// renamed and removed through the wide calls, and a console is read through
// ReadConsoleW.
#include "platform/console.h"
#include "platform/files.h"
#include "platform/piped_word.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string_view>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace platform {
namespace {

// Standard input that is a console is read as UTF-16 (read_typed_word), so
// that every character typed there names its file, whatever the console's
// code page; other input is read as bytes through the C runtime. Either way
// a word is kept in UTF-8, and so is every name the program uses.
bool input_is_console()
{
    static const bool console = [] {
        DWORD mode = 0;
        return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
    }();
    return console;
}

// Empty also when `flags` ask for a failure on bytes that are no characters.
std::wstring wide_from(std::string_view bytes, UINT code_page, DWORD flags = 0)
{
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(code_page, flags, bytes.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    if (size > 0)
        (void)MultiByteToWideChar(code_page, flags, bytes.data(), length, wide.data(), size);
    return wide;
}

std::string bytes_from(const std::wstring& wide, UINT code_page)
{
    const int length = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(code_page, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (size > 0)
        (void)WideCharToMultiByte(code_page, 0, wide.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// A piped word in UTF-8. A word that is valid UTF-8 beyond ASCII was saved
// as UTF-8, as Notepad saves a command file; any other is in the code page
// of the console's input, or the OEM code page where the program has no
// console, which is what a console window starts with.
std::string piped_in_utf8(const std::string& word)
{
    const int length = static_cast<int>(word.size());
    const bool ascii = std::all_of(word.begin(), word.end(), [](char byte) { return (byte & 0x80) == 0; });
    if (ascii || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, word.data(), length, nullptr, 0) > 0)
        return word;
    const UINT console = GetConsoleCP();
    return bytes_from(wide_from(word, console != 0 ? console : GetOEMCP()), CP_UTF8);
}

// The attributes the console had before the program first coloured it, so
// that the user's own colours come back at the end. Output that is not a
// console has none, and then nothing is given back.
bool console_looked_at = false;
bool original_known = false;
WORD original_attributes = 0;

void remember_original_attributes(HANDLE console)
{
    console_looked_at = true;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(console, &info) != 0) {
        original_attributes = info.wAttributes;
        original_known = true;
    }
}

// The console's line being taken word by word, in UTF-8, and where the next
// word is looked for. Words typed ahead on a line wait there for later reads.
std::string console_line;
std::size_t console_next = 0;
bool console_ended = false;

// The blanks of the C locale, which the extractor of piped words uses too.
bool is_blank(char byte)
{
    return std::isspace(static_cast<unsigned char>(byte)) != 0;
}

// Waits for the user's next line (the console hands over whole lines) and
// makes it the one that words are taken from; false once console input ends.
bool read_console_line()
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring line;
    wchar_t chunk[4096];
    // A line longer than the chunk comes in several reads.
    while (line.empty() || line.back() != L'\n') {
        DWORD got = 0;
        SetLastError(ERROR_SUCCESS);
        const BOOL read = ReadConsoleW(input, chunk, static_cast<DWORD>(std::size(chunk)), &got, nullptr);
        // Ctrl-C breaks off a read with nothing read while the console's handler
        // ends the program on a thread of its own: reading on waits for that end,
        // which an end of input would race with.
        if (got == 0 && GetLastError() == ERROR_OPERATION_ABORTED)
            continue;
        if (read == 0 || got == 0)
            break;
        line.append(chunk, got);
    }
    // Ctrl-Z at the beginning of a line ends a console's input, as ReadFile
    // and so the C runtime have it on Windows; Ctrl-Z Enter is how users type it.
    if (line.empty() || line.front() == L'\x1a')
        return false;
    console_line = bytes_from(line, CP_UTF8);
    console_next = 0;
    return true;
}

}  // namespace

bool read_typed_word(std::string& word)
{
    word.clear();
    if (!input_is_console()) {
        if (!detail::read_piped_word(word))
            return false;
        word = piped_in_utf8(word);
        return true;
    }
    // Input that has ended stays ended, as a stream's end of file does.
    while (!console_ended) {
        while (console_next < console_line.size() && is_blank(console_line[console_next]))
            ++console_next;
        if (console_next < console_line.size()) {
            const std::size_t begin = console_next;
            while (console_next < console_line.size() && !is_blank(console_line[console_next]))
                ++console_next;
            word.assign(console_line, begin, console_next - begin);
            return true;
        }
        console_ended = !read_console_line();
    }
    return false;
}

void set_colour(Colour colour)
{
    // The console's text attributes: red or green with intensity, on black.
    const WORD attribute = colour == Colour::light_red ? 12 : 10;
    // Text already streamed must take the colour it was written in.
    std::cout.flush();
    // The handle is fetched anew each time: the standard handle may have been
    // replaced since the last change.
    const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!console_looked_at)
        remember_original_attributes(console);
    (void)SetConsoleTextAttribute(console, attribute);
}

void reset_colour()
{
    std::cout.flush();
    if (original_known)
        (void)SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), original_attributes);
}

void show_help_box(const std::string& caption, const std::string& text)
{
    // No owner window: the box belongs to no window of ours, as the console has none.
    (void)MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

void write_typed_name(std::string_view name)
{
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(output, &mode) != 0) {
        // A console shows the name's characters whatever its code page.
        std::cout.flush();
        const std::wstring wide = wide_from(name, CP_UTF8);
        DWORD written = 0;
        if (WriteConsoleW(output, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) == 0)
            std::cout.setstate(std::ios::badbit);
        return;
    }
    // Elsewhere the bytes go in the code page of the console's output, or the
    // OEM one without a console, as piped input comes in.
    const UINT console_output = GetConsoleOutputCP();
    const UINT shown = console_output != 0 ? console_output : GetOEMCP();
    if (shown == CP_UTF8) {
        std::cout << name;
        return;
    }
    std::cout << bytes_from(wide_from(name, CP_UTF8), shown);
}

void pause(unsigned milliseconds)
{
    Sleep(milliseconds);
}

void tone(unsigned hertz, unsigned milliseconds)
{
    (void)Beep(hertz, milliseconds);
}

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

// Every file the program reads is opened with all sharing allowed. Its own
// files are not shared for deletion, so that no other program (another run
// cleaning up stale files included) removes or renames one while the program
// writes it; the program itself keeps the right to.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kShareOwn = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Another program (a virus scanner, an indexer, a backup, a second run
// cleaning up or writing the same result) may hold a file for a moment just
// as the program creates, replaces or removes one: such an attempt is made
// again after short waits that grow, for about two seconds, before it counts
// as failed.
constexpr DWORD kRetryMs = 2000;

bool held_by_another(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// A list is waited for only while another program holds it: one that may not
// be read at all, a folder among them, fails at once.
bool list_held_by_another(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
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
// from ending the program while a result is copied in place. Each watch holds
// the file's handle until it is moved or removed.
struct Watch {
    bool used = false;
    HANDLE held = INVALID_HANDLE_VALUE;
    wchar_t name[32768] = {};
};
Watch watches[4];
SRWLOCK watch_lock = SRWLOCK_INIT;

class HeldWatches {
public:
    HeldWatches() { AcquireSRWLockExclusive(&watch_lock); }
    ~HeldWatches() { ReleaseSRWLockExclusive(&watch_lock); }
    HeldWatches(const HeldWatches&) = delete;
    HeldWatches& operator=(const HeldWatches&) = delete;
};

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
    if (original_known)
        (void)SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), original_attributes);
    // TerminateProcess rather than ExitProcess: the main line may hold the C
    // runtime's locks, which ExitProcess would wait for as it flushes.
    (void)TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
    return TRUE;
}

}  // namespace

std::string folder_of(const std::string& name)
{
    // Names are in UTF-8, where no byte of a letter beyond ASCII looks like a
    // backslash, as one may in the code pages of East Asia.
    return name.substr(0, name.find_last_of("/\\:") + 1);
}

namespace {

// What a name leads to, after any links: its volume and index, which tell one
// file from another whatever its names, its links, and whether it is a file
// on a disk (not a device such as NUL or CON). Nothing when it cannot be seen.
struct Looked {
    BY_HANDLE_FILE_INFORMATION info{};
    bool on_disk = false;
};

std::optional<Looked> look_at(const std::wstring& name)
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (!with_retries([&] {
            handle = CreateFileW(name.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
            return handle != INVALID_HANDLE_VALUE;
        }))
        return std::nullopt;
    Looked looked;
    looked.on_disk = GetFileType(handle) == FILE_TYPE_DISK;
    const bool known = !looked.on_disk || GetFileInformationByHandle(handle, &looked.info) != 0;
    (void)CloseHandle(handle);
    return known ? std::optional<Looked>(looked) : std::nullopt;
}

bool same_file(const BY_HANDLE_FILE_INFORMATION& one, const BY_HANDLE_FILE_INFORMATION& other)
{
    return one.dwVolumeSerialNumber == other.dwVolumeSerialNumber && one.nFileIndexHigh == other.nFileIndexHigh &&
           one.nFileIndexLow == other.nFileIndexLow;
}

bool write_all(HANDLE handle, std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), DWORD{1} << 30));
        DWORD written = 0;
        if (WriteFile(handle, bytes.data(), size, &written, nullptr) == 0 || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

struct OwnFile {
    Watch* watch = nullptr;
    std::string name;
    DWORD error = ERROR_SUCCESS;  // why none was created
};

// Creates a file of the program's own for writing, under the first name of
// stem + suffix, stem + "1" + suffix ... that no file holds, so that no file
// is ever replaced. It is not shared for deletion while it exists, so that no
// other run takes it for a stale one, and watched, so that an interrupt
// removes it.
OwnFile create_own_file(const std::string& stem, std::string_view suffix)
{
    for (unsigned number = 0;; ++number) {
        OwnFile own;
        own.name = stem + (number == 0 ? std::string{} : std::to_string(number)) + std::string{suffix};
        const std::wstring wide = wide_name(own.name);
        if (wide.size() >= std::size(watches[0].name))
            return {nullptr, {}, ERROR_FILENAME_EXCED_RANGE};
        const HeldWatches held;
        const auto free_watch =
            std::find_if(std::begin(watches), std::end(watches), [](const Watch& w) { return !w.used; });
        if (free_watch == std::end(watches))
            return {nullptr, {}, ERROR_TOO_MANY_OPEN_FILES};
        // CREATE_NEW refuses a taken name, also one taken between a look and
        // the creation. DELETE lets the interrupt's handler mark the file to go.
        HANDLE handle = INVALID_HANDLE_VALUE;
        if (!with_retries([&] {
                handle = CreateFileW(wide.c_str(), GENERIC_WRITE | DELETE, kShareOwn, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
                return handle != INVALID_HANDLE_VALUE;
            })) {
            own.error = GetLastError();
            if (own.error == ERROR_FILE_EXISTS || own.error == ERROR_ALREADY_EXISTS ||
                GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES)
                continue;
            return {nullptr, {}, own.error};
        }
        std::copy(wide.begin(), wide.end(), free_watch->name);
        free_watch->name[wide.size()] = L'\0';
        free_watch->held = handle;
        free_watch->used = true;
        own.watch = &*free_watch;
        return own;
    }
}

// The watch gives up its handle on the file, which no other program could
// then remove or rename, just before the program itself does.
void let_go(Watch& watch)
{
    if (watch.held != INVALID_HANDLE_VALUE)
        (void)CloseHandle(watch.held);
    watch.held = INVALID_HANDLE_VALUE;
}

void remove_own_file(Watch& watch)
{
    const HeldWatches held;
    let_go(watch);
    (void)with_retries([&] { return DeleteFileW(watch.name) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND; });
    watch.used = false;
}

bool rename_into_place(Watch& watch, const std::wstring& target)
{
    const HeldWatches held;
    let_go(watch);
    if (!with_retries([&] {
            return MoveFileExW(watch.name, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        }))
        return false;
    watch.used = false;
    return true;
}

// Copies a whole result into the earlier file, as one run's: opened without
// write sharing, so that another run writing the same result waits for it as
// for any held file, and with the interrupt's handler kept waiting until the
// result is whole. Its links and access list stay.
bool copy_in(const std::wstring& target, const BY_HANDLE_FILE_INFORMATION& earlier, std::string_view result)
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (!with_retries([&] {
            handle = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            return handle != INVALID_HANDLE_VALUE;
        }))
        return false;
    BY_HANDLE_FILE_INFORMATION now{};
    bool done = GetFileInformationByHandle(handle, &now) != 0 && same_file(now, earlier);
    if (done) {
        const HeldWatches held;
        done = SetEndOfFile(handle) != 0 && write_all(handle, result);
    }
    return CloseHandle(handle) != 0 && done;
}

// Removes the own files that runs of the program stopped without a chance to
// clean up (a power cut, a killed process) left in `folder`: a running
// program's own file is not shared for deletion, so the removal fails for it
// alone. Never any other name.
void remove_stale_partials(const std::string& folder)
{
    const std::wstring wide_folder = wide_name(folder);
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((wide_folder + L"mordavelle*.partial").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        // The pattern also matches short 8.3 names; only the long name counts.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            is_own_partial_name(bytes_from(found.cFileName, CP_UTF8)))
            (void)DeleteFileW((wide_folder + found.cFileName).c_str());
    } while (FindNextFileW(search, &found) != 0);
    (void)FindClose(search);
}

}  // namespace

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

std::FILE* open_for_reading(const std::string& name)
{
    // A backup or an indexer that holds a list for a moment is waited for.
    HANDLE handle = INVALID_HANDLE_VALUE;
    (void)with_retries(
        [&] {
            handle = CreateFileW(wide_name(name).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
            return handle != INVALID_HANDLE_VALUE;
        },
        list_held_by_another);
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

struct Replacement::State {
    enum class Way { beside, in_place, through, own };
    Way way = Way::own;
    Watch* watch = nullptr;                 // the own file, beside a result or of its own
    HANDLE handle = INVALID_HANDLE_VALUE;   // a device written straight through
    std::wstring target;                    // the file a result takes the place of
    BY_HANDLE_FILE_INFORMATION earlier{};   // that file, when there is one
    std::string pending;                    // a result to be written in place, whole
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
    state->target = wide_name(name);
    const DWORD attributes = GetFileAttributesW(state->target.c_str());
    const bool replaces = attributes != INVALID_FILE_ATTRIBUTES;
    if (replaces) {
        // Windows keeps no permission bits: a read-only file is the user's
        // word that it must stay.
        if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
            return false;
        const auto earlier = look_at(state->target);
        if (!earlier)
            return false;
        if (!earlier->on_disk) {
            state->way = State::Way::through;
            state->handle = CreateFileW(state->target.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
            if (state->handle == INVALID_HANDLE_VALUE)
                return false;
            state_ = std::move(state);
            return true;
        }
        for (const std::string& input : inputs) {
            const auto read = look_at(wide_name(input));
            if (read && read->on_disk && same_file(read->info, earlier->info))
                return false;
        }
        state->earlier = earlier->info;
    }
    remove_stale_partials(folder_of(name));
    // A new file takes the rights of its folder, as a file that Explorer
    // saves does; what a rename would lose here is the earlier file's other
    // names (hard links), or the link itself that the name is.
    const OwnFile own = create_own_file(folder_of(name) + "mordavelle", ".partial");
    const bool keeps_all = !replaces || (state->earlier.nNumberOfLinks == 1 &&
                                         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0);
    if (own.watch != nullptr && keeps_all) {
        state->way = State::Way::beside;
        state->watch = own.watch;
    } else if (replaces && (own.watch != nullptr || own.error == ERROR_ACCESS_DENIED)) {
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
    OwnFile own = create_own_file(stem, suffix);
    if (own.watch == nullptr)
        return {};
    state_ = std::make_unique<State>();
    state_->watch = own.watch;
    return std::move(own.name);
}

bool Replacement::write(std::string_view bytes)
{
    if (!state_ || !state_->ok)
        return false;
    State& state = *state_;
    if (state.way == State::Way::in_place)
        state.pending.append(bytes);
    else
        state.ok = write_all(state.watch != nullptr ? state.watch->held : state.handle, bytes);
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
        done = CloseHandle(state.handle) != 0 && done;
        state.handle = INVALID_HANDLE_VALUE;
        break;
    case State::Way::in_place:
        done = done && copy_in(state.target, state.earlier, state.pending);
        break;
    case State::Way::beside:
        // The new file reaches the disk before it takes the earlier one's
        // place, so that a power cut leaves the earlier result or the new one.
        done = done && FlushFileBuffers(state.watch->held) != 0 && rename_into_place(*state.watch, state.target);
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
    if (state_->watch != nullptr && state_->watch->used)
        remove_own_file(*state_->watch);
    if (state_->handle != INVALID_HANDLE_VALUE)
        (void)CloseHandle(state_->handle);
    state_.reset();
}

}  // namespace platform
