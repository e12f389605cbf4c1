// Reads a Windows program's resources back as Windows itself reads them, for
// the tests to compare: the version information through GetFileVersionInfoW,
// as Explorer's Properties > Details does, the sizes of its first icon, and
// its manifest. Prints one "name=value" line each, in UTF-8.
//   resource-probe.exe mordavelle.exe
#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>

namespace {

void print(const std::wstring& name, const std::wstring& value)
{
    const std::wstring line = name + L"=" + value + L"\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

bool print_version_information(const wchar_t* program)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program, &ignored);
    if (size == 0)
        return false;
    std::vector<unsigned char> info(size);
    if (!GetFileVersionInfoW(program, 0, size, info.data()))
        return false;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
        print(L"Fixed", std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
                            L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                            std::to_wstring(LOWORD(fixed->dwFileVersionLS)));
    }
    for (const wchar_t* name : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName", L"LegalCopyright",
                                L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
        wchar_t* value = nullptr;
        const std::wstring path = std::wstring{L"\\StringFileInfo\\040904B0\\"} + name;
        if (VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) && value)
            print(name, value);
    }
    return true;
}

// The group of icon 1, the one Explorer shows: the widths of its images.
void print_icon_sizes(HMODULE module)
{
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colours, reserved;
        WORD planes, bits;
        DWORD bytes;
        WORD id;
    };
    struct Group {
        WORD reserved, type, count;
        GroupEntry entries[1];
    };
#pragma pack(pop)
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    if (!found)
        return;
    const auto* group = static_cast<const Group*>(LockResource(LoadResource(module, found)));
    std::wstring sizes;
    for (WORD i = 0; i < group->count; ++i) {
        const BYTE width = group->entries[i].width;
        sizes += (sizes.empty() ? L"" : L",") + std::to_wstring(width == 0 ? 256 : width);
    }
    print(L"IconSizes", sizes);
}

void print_manifest(HMODULE module)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    if (!found)
        return;
    const auto* text = static_cast<const char*>(LockResource(LoadResource(module, found)));
    std::string manifest(text, SizeofResource(module, found));
    // One line, so that it reads as one value.
    for (char& byte : manifest) {
        if (byte == '\r' || byte == '\n')
            byte = ' ';
    }
    std::fwrite("Manifest=", 1, 9, stdout);
    std::fwrite(manifest.data(), 1, manifest.size(), stdout);
    std::fwrite("\n", 1, 1, stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fputs("usage: resource-probe.exe program.exe\n", stderr);
        return 2;
    }
    // LF only, as the tests compare lines.
    _setmode(_fileno(stdout), _O_BINARY);
    if (!print_version_information(argv[1]))
        std::fputs("no version information\n", stderr);
    HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
        std::fputs("cannot load the program's resources\n", stderr);
        return 1;
    }
    print_icon_sizes(module);
    print_manifest(module);
    FreeLibrary(module);
    return 0;
}
