// The characters of an entry: UTF-8 and its code points, what a text is
// written in, and entries in two encodings compared by their characters.
#pragma once

#include "entries.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace mordavelle {

// Appends a code point to `out` in UTF-8.
void append_utf8(char32_t code, std::string& out);

// How many bytes the UTF-8 sequence at `bytes` takes, or 0 when it is not
// valid: a stray continuation byte, an overlong form, a surrogate, a
// character above U+10FFFF or a sequence cut short.
std::size_t utf8_sequence_size(const unsigned char* bytes, std::size_t available);

constexpr bool is_high_surrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

constexpr bool is_low_surrogate(char32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

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

}  // namespace mordavelle
