// What the POSIX and the recording platforms do alike apart from files and
// interrupts (posix_files.cpp): typed names, text files' line ends, and the
// large-page hint.
#include "platform/console.h"
#include "platform/files.h"
#include "platform/hints.h"

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
    return static_cast<bool>(std::cin >> word);
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

bool text_ends_at_eof_byte()
{
    return false;
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
