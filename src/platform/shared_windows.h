// What the console and the files of Windows share: text turned into UTF-16
// and back, and the console's own colours, which an interrupt gives back.
#pragma once

#include <string>
#include <string_view>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace platform {

// The UTF-16 of bytes in a code page; empty also when `flags` ask for a
// failure on bytes that are no characters.
std::wstring wide_from(std::string_view bytes, UINT code_page, DWORD flags = 0);
std::string bytes_from(const std::wstring& wide, UINT code_page);

// Gives the console the colours it had before the program first coloured it,
// where it had any; safe on the thread of the console's handler.
void give_back_console_colours();

}  // namespace platform
