// Types on a console for a test, as a Swedish user does: makes a console of
// its own with input and output in code page 850, starts the program on it,
// presses the keys of the text on standard input (UTF-8; a line end is the
// Enter key, a byte 0x1A is Ctrl-Z), and when the program has ended writes
// what the console shows to standard output, in UTF-8, and how the program
// ended to standard error.
//
//   console_keys.exe PROGRAM
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr UINT kSwedishConsole = 850;

std::string all_of(std::FILE* file)
{
    std::string bytes;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, got);
    return bytes;
}

std::wstring wide_from_utf8(const std::string& bytes)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    (void)MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size);
    return wide;
}

std::string utf8_from(const std::wstring& wide)
{
    const int length = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    (void)WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// A key pressed and let go, as the keyboard gives it to the console.
void press(std::vector<INPUT_RECORD>& keys, WORD key, wchar_t character, DWORD modifiers = 0)
{
    INPUT_RECORD record = {};
    record.EventType = KEY_EVENT;
    record.Event.KeyEvent.bKeyDown = TRUE;
    record.Event.KeyEvent.wRepeatCount = 1;
    record.Event.KeyEvent.wVirtualKeyCode = key;
    record.Event.KeyEvent.uChar.UnicodeChar = character;
    record.Event.KeyEvent.dwControlKeyState = modifiers;
    keys.push_back(record);
    record.Event.KeyEvent.bKeyDown = FALSE;
    keys.push_back(record);
}

std::vector<INPUT_RECORD> keys_of(const std::wstring& text)
{
    std::vector<INPUT_RECORD> keys;
    for (const wchar_t character : text) {
        if (character == L'\r')
            continue;
        if (character == L'\n')
            press(keys, VK_RETURN, L'\r');
        else if (character == L'\x1a')
            press(keys, 'Z', character, LEFT_CTRL_PRESSED);
        else if (character == L' ')
            press(keys, VK_SPACE, character);
        else
            press(keys, VK_PACKET, character);  // what an input method sends for any character
    }
    return keys;
}

HANDLE open_console(const wchar_t* name)
{
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                       OPEN_EXISTING, 0, nullptr);
}

// The lines of the screen up to the cursor, without their trailing blanks.
std::string screen_text(HANDLE output)
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(output, &info) == 0)
        return {};
    std::wstring text;
    std::wstring row(static_cast<std::size_t>(info.dwSize.X), L' ');
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
        DWORD got = 0;
        (void)ReadConsoleOutputCharacterW(output, row.data(), static_cast<DWORD>(row.size()), COORD{0, y}, &got);
        const std::size_t end = row.find_last_not_of(L' ', got == 0 ? 0 : got - 1);
        text += (end == std::wstring::npos ? std::wstring{} : row.substr(0, end + 1)) + L'\n';
    }
    return utf8_from(text);
}

// A console of its own for the helper, which the program then shares. Wine
// without a display makes a working console only for a process started
// without a window, so the helper starts itself again that way.
int on_new_console(const wchar_t* helper, const wchar_t* program)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring command_line = std::wstring{L"\""} + helper + L"\" \"" + program + L"\" console";
    PROCESS_INFORMATION helper_again;
    if (CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                       &startup, &helper_again) == 0)
        return 3;
    (void)WaitForSingleObject(helper_again.hProcess, INFINITE);
    DWORD status = 0;
    (void)GetExitCodeProcess(helper_again.hProcess, &status);
    return static_cast<int>(status);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 2)
        return on_new_console(argv[0], argv[1]);
    if (argc != 3)
        return 2;
    (void)_setmode(_fileno(stdin), _O_BINARY);
    const std::vector<INPUT_RECORD> keys = keys_of(wide_from_utf8(all_of(stdin)));

    const HANDLE input = open_console(L"CONIN$");
    const HANDLE output = open_console(L"CONOUT$");
    if (input == INVALID_HANDLE_VALUE || output == INVALID_HANDLE_VALUE)
        return 4;
    (void)SetConsoleCP(kSwedishConsole);
    (void)SetConsoleOutputCP(kSwedishConsole);
    // Room for every line of the dialogue, so that none scrolls away.
    (void)SetConsoleScreenBufferSize(output, COORD{120, 2000});

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::wstring command_line = std::wstring{L"\""} + argv[1] + L"\"";
    PROCESS_INFORMATION program;
    if (CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &program) == 0)
        return 5;
    DWORD written = 0;
    (void)WriteConsoleInputW(input, keys.data(), static_cast<DWORD>(keys.size()), &written);
    const bool ended = WaitForSingleObject(program.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended)
        (void)TerminateProcess(program.hProcess, 1);
    DWORD status = 0;
    (void)GetExitCodeProcess(program.hProcess, &status);

    const std::string screen = screen_text(output);
    (void)_setmode(_fileno(stdout), _O_BINARY);
    (void)_setmode(_fileno(stderr), _O_BINARY);
    std::fwrite(screen.data(), 1, screen.size(), stdout);
    std::fprintf(stderr, "%s %lu\n", ended ? "exit" : "still running", status);
    return 0;
}
