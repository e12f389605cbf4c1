// The Windows console behind the seam: colours through SetConsoleTextAttribute,
// the help box through MessageBoxA, pauses and tones, and typed words read
// through ReadConsoleW, so that every character typed names its file.
// Console lines end in CR LF because the C runtime keeps the console streams
// in text mode.
#include "platform/console.h"
#include "platform/shared_windows.h"
#include "platform/piped_word.h"

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

// Empty also when `flags` ask for a failure on bytes that are no characters.
std::wstring wide_from(std::string_view bytes, UINT code_page, DWORD flags)
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

void give_back_console_colours()
{
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

}  // namespace platform
