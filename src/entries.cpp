#include "entries.h"

#include <algorithm>
#include <bit>

namespace mordavelle {

const char* find_separator(const char* from, const char* end)
{
    if constexpr (std::endian::native == std::endian::little) {
        // Entries are mostly letters, digits and punctuation: eight of their
        // bytes are passed over at a time until one is low enough to be a
        // separator, and that one is then looked at alone.
        while (end - from >= 8) {
            // The bytes below 0x21: the blank and the five control separators among them.
            const std::uint64_t low = bytes_below(eight_bytes(from), 0x21);
            if (low == 0) {
                from += 8;
                continue;
            }
            from += std::countr_zero(low) / 8;
            if (is_separator(static_cast<unsigned char>(*from)))
                return from;
            ++from;
        }
    }
    while (from != end && !is_separator(static_cast<unsigned char>(*from)))
        ++from;
    return from;
}

std::size_t count_entries(std::string_view text, bool* beyond_ascii)
{
    // An entry begins at each byte that is not a separator and follows one (or
    // begins the text). The blocks keep the sums in narrow lanes, which lets
    // the compiler test many bytes in one instruction.
    const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
    if (text.empty())
        return 0;
    std::size_t count = is_separator(bytes[0]) ? 0 : 1;
    unsigned char high = bytes[0];
    constexpr std::size_t kBlock = 4096;
    for (std::size_t at = 1; at < text.size();) {
        const std::size_t stop = std::min(text.size(), at + kBlock);
        unsigned starts = 0;
        for (std::size_t i = at; i < stop; ++i) {
            starts +=
                static_cast<unsigned>(is_separator(bytes[i - 1])) & static_cast<unsigned>(!is_separator(bytes[i]));
            high |= bytes[i];
        }
        count += starts;
        at = stop;
    }
    if (beyond_ascii != nullptr && high >= 0x80)
        *beyond_ascii = true;
    return count;
}

void fCaser(std::span<char> bytes)
{
    // Every byte is written, changed or not, so that the compiler can lower
    // many bytes in one instruction.
    for (char& byte : bytes)
        byte = static_cast<char>(byte + (static_cast<unsigned char>(byte - 'A') < 26 ? 'a' - 'A' : 0));
}

}  // namespace mordavelle
