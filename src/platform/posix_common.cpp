// What the POSIX and the recording platforms do alike apart from files and
// interrupts (posix_files.cpp): typed names, text files' line ends and ANSI
// text, and the large-page hint.
#include "platform/console.h"
#include "platform/files.h"
#include "platform/hints.h"
#include "platform/piped_word.h"

#include <cstdint>
#include <iostream>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace platform {

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

bool ansi_to_utf8(std::string_view text, std::string& out)
{
    const auto byte = [](unsigned bits) { return static_cast<char>(bits); };
    for (const char next : text) {
        const auto code = static_cast<unsigned char>(next);
        const unsigned character = code >= 0x80 && code < 0xA0 ? kWindows1252[code - 0x80] : code;
        if (character < 0x80)
            out += next;
        else if (character < 0x800)
            out += {byte(0xC0 | (character >> 6)), byte(0x80 | (character & 0x3F))};
        else
            out += {byte(0xE0 | (character >> 12)), byte(0x80 | ((character >> 6) & 0x3F)),
                    byte(0x80 | (character & 0x3F))};
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

}  // namespace platform
