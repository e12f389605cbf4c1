// The entries of a list's text, the runs of bytes between white space, and
// the routines that change their letters. All of it works on bytes in memory
// and reads no file.
#pragma once

#include "platform/hints.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mordavelle {

// The six bytes that separate entries: blank, tab, line feed, vertical tab,
// form feed and carriage return. Every other byte, NUL and 0x80-0xFF included,
// belongs to an entry.
constexpr bool is_separator(unsigned char byte)
{
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

// How many entries a list text holds, without making them. `beyond_ascii`,
// where given, is set when the text holds a byte above 0x7F, so that the
// commands that must know learn it from the same pass.
std::size_t count_entries(std::string_view text, bool* beyond_ascii = nullptr);

// The first separator at or after `from`, or `end` when there is none.
const char* find_separator(const char* from, const char* end);

// The entries of a list text one at a time, in order, as views into the text.
class EntryCursor {
public:
    explicit EntryCursor(std::string_view text) : cursor_(text.data()), end_(text.data() + text.size()) {}

    // The next entry, or an empty view when the text holds no more (an entry
    // is never empty).
    std::string_view next()
    {
        while (cursor_ != end_ && is_separator(static_cast<unsigned char>(*cursor_)))
            ++cursor_;
        const char* const start = cursor_;
        cursor_ = find_separator(cursor_, end_);
        return {start, static_cast<std::size_t>(cursor_ - start)};
    }

private:
    const char* cursor_;
    const char* end_;
};

// The `count` entries of a cursor (an EntryCursor, or one that gives the
// entries of a text otherwise) in order, as a list of views.
template <typename Cursor>
std::vector<std::string_view> list_entries(Cursor cursor, std::size_t count)
{
    // Sized once: a list that grows by doubling copies itself into fresh
    // memory, page by page, several times over.
    std::vector<std::string_view> entries;
    entries.reserve(count);
    platform::prefer_large_pages(entries.data(), count * sizeof(std::string_view));
    for (std::string_view entry = cursor.next(); !entry.empty(); entry = cursor.next())
        entries.push_back(entry);
    return entries;
}

// The entries of a list text in order, as views into the text.
inline std::vector<std::string_view> split_entries(std::string_view text)
{
    return list_entries(EntryCursor(text), count_entries(text));
}

// Hands each entry of a list text to `take` in order, as a view into the text.
template <typename Take>
void for_each_entry(std::string_view text, Take take)
{
    EntryCursor entries(text);
    for (std::string_view entry = entries.next(); !entry.empty(); entry = entries.next())
        take(entry);
}

// The walks over entries pass eight bytes at a time: `bytes_below` marks by
// its high bit each byte of a word that is below `limit` (at most 0x80), so
// that one test finds the first byte a walk must look at alone. Only the
// lowest mark is exact, as a borrow can mark a byte above it.
inline constexpr std::uint64_t kEachByte = 0x0101010101010101u;

constexpr std::uint64_t bytes_below(std::uint64_t word, unsigned char limit)
{
    return (word - limit * kEachByte) & ~word & (0x80 * kEachByte);
}

inline std::uint64_t eight_bytes(const char* at)
{
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// fCaser: every English capital letter A-Z of the bytes lowered, in place;
// no locale, no code page, one byte for one byte. As it never touches white
// space, lowering a whole list text lowers each of its entries.
void fCaser(std::span<char> bytes);

// fUpper for one byte: an English small letter a-z raised, any other byte as it is.
constexpr char fUpper(char byte)
{
    return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - ('a' - 'A')) : byte;
}

}  // namespace mordavelle
