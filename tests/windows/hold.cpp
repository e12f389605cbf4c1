// Holds a file for a test as a virus scanner or an indexer does: opens it
// without sharing it for anything, writes the file named MARKER to say so,
// keeps it for MILLISECONDS, then lets it go. With "write", it holds the file
// as a program that writes a log does: open for writing, and shared with
// readers and writers.
//
//   hold.exe FILE MARKER MILLISECONDS [write]
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4 && argc != 5)
        return 2;
    const bool writes = argc == 5 && std::wcscmp(argv[4], L"write") == 0;
    const HANDLE held = CreateFileW(argv[1], writes ? GENERIC_WRITE : GENERIC_READ,
                                    writes ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return 1;
    const HANDLE marker =
        CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE)
        CloseHandle(marker);
    Sleep(static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
    CloseHandle(held);
    return 0;
}
