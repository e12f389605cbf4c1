// The text of a list: its entries, the runs of bytes between white space; the
// text in a file's bytes; what its entries are written in; and the routines
// that change letters or break a text into words. All of it works on bytes in
// memory and reads no file.
#pragma once

#include "platform/hints.h"

#include <algorithm>
#include <cstddef>
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

// What a byte 0x1A is in a text: a byte like any other (POSIX), or a blank
// (Windows, where older programs end a text with it and copy /b leaves it in
// the middle of the files it joins). The platform layer says which applies.
enum class EofByte { kept, blank };

// A file's text from its bytes, given in consecutive pieces cut anywhere, down
// to single bytes: the texts of the pieces, one after the other, are the same
// however the file is cut. A UTF-8 byte-order mark at the start is no part of
// the first entry, and one inside a text separates entries as a blank does. A
// plain or UTF-8 file's text is its piece, changed in place (a mark's bytes,
// and under the Windows rule a 0x1A, become blanks); a file that begins with a
// UTF-16 or UTF-32 mark is turned into UTF-8 in a buffer of its own, where the
// character U+001A is the byte 0x1A that the rule applies to. A code unit that
// is no character (a surrogate without its partner, in UTF-32 any surrogate or
// a unit above U+10FFFF) and an unfinished last unit each become U+FFFD.
//
// Files joined by copy /b carry each file's mark where that file begins: a
// UTF-16 mark inside a plain or UTF-16 text starts a UTF-16 text of its byte
// order, which ends at a UTF-8 mark (whichever byte of a code unit it begins
// in), and after which the bytes are plain again; each of these marks
// separates entries as a blank does. Nothing is guessed: every other file is
// taken byte for byte.
class TextDecoder {
public:
    explicit TextDecoder(EofByte rule) : rule_(rule) {}

    // The text of the next piece: the start of the piece itself, or the start
    // of `out`, which is cleared first and whose memory is reused.
    std::span<char> decode(std::span<char> piece, std::string& out);

    // The text that the end of the file completes, in `out`: a beginning too
    // short to be a mark, or the U+FFFD of an unfinished last character.
    std::span<char> finish(std::string& out);

    enum class Encoding { plain, utf8_bom, utf16_le, utf16_be, utf32_le, utf32_be };

private:
    Encoding decide();
    void decode_parts(std::span<char> bytes, std::string& out);
    std::size_t decode_utf16(std::string_view bytes, std::string& out);
    std::size_t decode_utf32(std::string_view bytes, std::string& out);
    void end_utf16_part(bool odd_byte_before, std::string& out);
    void put_unit(char32_t unit, std::string& out);
    std::span<char> apply_rule(std::span<char> text) const;

    EofByte rule_;
    // The encoding of the part being read: the file's own, then, after a mark
    // inside it, the one that mark begins. A UTF-8 mark at the start leaves it plain.
    Encoding encoding_ = Encoding::plain;
    bool decided_ = false;
    // Bytes not taken yet, which go before the next piece: the file's first
    // bytes until they tell its encoding; then those that the end of a piece
    // cut off before they could be read (the part of a code unit, or what may
    // be the beginning of a mark).
    std::string held_;
    std::string joined_;            // the held bytes and the next piece, together
    char32_t high_surrogate_ = 0;   // 0 when none waits for its low half
};

// Turns a file read whole into its text, as one piece: a plain file in place,
// at the cost of a look at its first bytes and of a search for the 0xEF, 0xFE
// and 0xFF that begin marks and, under the Windows rule, one for 0x1A; a
// UTF-16 or UTF-32 file, and a plain one from a UTF-16 mark inside it on,
// through a buffer of its own.
void decode_whole_text(std::string& text, EofByte rule);

// What a text (a list's, or one entry), its mark already handled, is
// written in: ASCII alone (every byte below 0x80), UTF-8 beyond ASCII, or a
// legacy code page (the text is not valid UTF-8).
enum class CharacterSet { ascii, utf8, legacy };
CharacterSet classify_text(std::string_view text);

// True when two lists' texts together hold entries in UTF-8 beyond ASCII and
// entries that are not valid UTF-8, as a folder does where Notepad saved
// lists in the ANSI code page before it saved UTF-8, and as one list does
// that was joined from two such files. Only entries with a byte above 0x7F
// are looked at, and only until both kinds are found.
bool holds_two_encodings(std::string_view first, std::string_view second);

// Where two lists hold entries in two encodings, each entry of a list's text
// that is not UTF-8, in the UTF-8 of the ANSI code page, on a line of its own
// and in the order of the text. An entry that is no text of that code page
// (on a Windows whose ANSI code page is UTF-8, say) keeps its bytes.
std::string in_characters(std::string_view text);

// The entries of a list's text as they are compared: each one that is UTF-8
// as it is, each other as `converted` (made by in_characters) has it. With
// nothing converted, the text's entries are handed out untouched.
class CharacterCursor {
public:
    CharacterCursor(std::string_view text, std::string_view converted)
        : text_(text), converted_(converted), converting_(!converted.empty())
    {
    }

    std::string_view next()
    {
        const std::string_view entry = text_.next();
        const bool as_it_is = !converting_ || entry.empty() || classify_text(entry) != CharacterSet::legacy;
        return as_it_is ? entry : converted_.next();
    }

private:
    EntryCursor text_;
    EntryCursor converted_;
    bool converting_;
};

// fCaser: every English capital letter A-Z of the bytes lowered, in place;
// no locale, no code page, one byte for one byte. As it never touches white
// space, lowering a whole list text lowers each of its entries.
void fCaser(std::span<char> bytes);

// fUpper for one byte: an English small letter a-z raised, any other byte as it is.
constexpr char fUpper(char byte)
{
    return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - ('a' - 'A')) : byte;
}

// Turns each of the five break characters ( ) , < > into a line end, in place,
// so that an address in brackets or followed by a comma stands as a word alone.
void break_text(std::span<char> text);

// Hands each white-space-delimited word of the text that holds an at sign to
// `take`, in text order, as a view into the text; a word with k at signs is
// handed over k times in a row.
template <typename Take>
void for_each_word_with_at_signs(std::string_view text, Take take)
{
    // Everything before `unseen` belongs to words already handed over or to white space.
    std::size_t unseen = 0;
    for (std::size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', unseen)) {
        std::size_t start = at;
        while (start > unseen && !is_separator(static_cast<unsigned char>(text[start - 1])))
            --start;
        const char* const stop = find_separator(text.data() + at, text.data() + text.size());
        const auto end = static_cast<std::size_t>(stop - text.data());
        const std::string_view word = text.substr(start, end - start);
        for (auto at_signs = std::count(text.data() + at, stop, '@'); at_signs > 0; --at_signs)
            take(word);
        unseen = end;
    }
}

}  // namespace mordavelle
