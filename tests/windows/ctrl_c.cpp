// Presses Ctrl-C for a test: starts the program on a console of its own with
// the test's standard streams, waits, sends Ctrl-C to the console, and tells
// on standard error how the program ended.
//
//   ctrl_c.exe WAIT PROGRAM [PIPE FEED]
//
// WAIT is a number of milliseconds, or the name of a file to wait for. With
// PIPE and FEED, the program may read the named pipe PIPE, through which the
// bytes of the file FEED go, and which then stays open, unended.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

BOOL WINAPI ignore_ctrl_c(DWORD)
{
    return TRUE;
}

bool wait_for(const wchar_t* what)
{
    wchar_t* end = nullptr;
    const unsigned long milliseconds = std::wcstoul(what, &end, 10);
    if (*end == L'\0') {
        Sleep(milliseconds);
        return true;
    }
    for (int tries = 0; tries < 2000; ++tries) {
        if (GetFileAttributesW(what) != INVALID_FILE_ATTRIBUTES)
            return true;
        Sleep(10);
    }
    return false;
}

std::string contents(const wchar_t* name)
{
    std::string bytes;
    if (std::FILE* file = _wfopen(name, L"rb")) {
        char buffer[65536];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, got);
        std::fclose(file);
    }
    return bytes;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3 && argc != 5)
        return 2;
    const STARTUPINFOW streams = {sizeof streams, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, 0, 0,
                                  STARTF_USESTDHANDLES, 0, 0, nullptr, GetStdHandle(STD_INPUT_HANDLE),
                                  GetStdHandle(STD_OUTPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE)};
    // Ctrl-C reaches every program on a console: a console of our own, shared
    // with the program, which this helper outlives.
    (void)FreeConsole();
    if (AllocConsole() == 0)
        return 3;
    (void)SetConsoleCtrlHandler(ignore_ctrl_c, TRUE);

    HANDLE pipe = INVALID_HANDLE_VALUE;
    if (argc == 5) {
        pipe = CreateNamedPipeW(argv[3], PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1 << 16, 1 << 16, 0,
                                nullptr);
        if (pipe == INVALID_HANDLE_VALUE)
            return 4;
    }
    std::wstring command_line = argv[2];
    STARTUPINFOW startup = streams;
    PROCESS_INFORMATION program;
    if (CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &program) == 0)
        return 5;
    if (pipe != INVALID_HANDLE_VALUE) {
        (void)ConnectNamedPipe(pipe, nullptr);
        const std::string feed = contents(argv[4]);
        DWORD wrote = 0;
        (void)WriteFile(pipe, feed.data(), static_cast<DWORD>(feed.size()), &wrote, nullptr);
    }
    const bool waited = wait_for(argv[1]);
    const BOOL sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    (void)WaitForSingleObject(program.hProcess, 30000);
    DWORD status = 0;
    (void)GetExitCodeProcess(program.hProcess, &status);
    // One line as a POSIX program writes it, for the test to compare.
    (void)_setmode(_fileno(stderr), _O_BINARY);
    std::fprintf(stderr, "%s%s exit %lx\n", waited ? "" : "nothing to wait for, ", sent ? "ctrl-c" : "no ctrl-c",
                 status);
    return 0;
}
