// The text in a list file's bytes: a UTF-8 byte-order mark is not part of the
// first entry, a file that begins with a UTF-16 or UTF-32 byte-order mark is
// turned into UTF-8, a byte-order mark inside a text separates entries as a
// blank does, and so on Windows does a byte 0x1A, the end of a text for older
// programs, which files joined with copy /b carry in their middle. Every other
// file is taken byte for byte, and nothing is guessed.
// The decoder works on bytes in memory, whole or in pieces, and reads no file;
// so do the routines at the end, which tell a decoded text's character sets.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace shell {

enum class TextEncoding { plain, utf8_bom, utf16_le, utf16_be, utf32_le, utf32_be };

// What a byte 0x1A is in a text: a byte like any other (POSIX), or a blank
// (Windows). The platform layer says which applies.
enum class EofByte { kept, blank };

// The encoding that a file's first bytes announce. Only a complete byte-order
// mark counts: a file of fewer bytes than that, or one whose first bytes only
// begin like a mark, is plain.
TextEncoding detect_encoding(std::string_view first_bytes);

// A file's text from its bytes, given in consecutive pieces cut anywhere, down
// to single bytes: the texts of the pieces, one after the other, are the same
// however the file is cut. A plain or UTF-8 file's text is its piece, changed
// in place (a mark's bytes, and under the Windows rule a 0x1A, become blanks,
// which separate entries like any white space); a UTF-16 or UTF-32 file's text
// is made in a buffer of its own, where the character U+001A is the byte 0x1A
// that the rule applies to. A code unit that is no character (a surrogate
// without its partner, in UTF-32 any surrogate or a unit above U+10FFFF) and
// an unfinished last unit each become U+FFFD.
class TextDecoder {
public:
    explicit TextDecoder(EofByte rule) : rule_(rule) {}

    // The text of the next piece: the start of the piece itself, or the start
    // of `out`, which is cleared first and whose memory is reused.
    std::span<char> decode(std::span<char> piece, std::string& out);

    // The text that the end of the file completes, in `out`: a beginning too
    // short to be a mark, or the U+FFFD of an unfinished last character.
    std::span<char> finish(std::string& out);

private:
    std::string decide();
    std::span<char> plain_text(std::span<char> text);
    std::span<char> apply_rule(std::span<char> text) const;
    void decode_units(std::string_view bytes, std::string& out);
    void put_unit(char32_t unit, std::string& out);

    EofByte rule_;
    TextEncoding encoding_ = TextEncoding::plain;
    bool decided_ = false;
    // The file's first bytes until they tell its encoding; then the bytes of a
    // code unit that the end of a piece cut in two.
    std::string held_;
    char32_t high_surrogate_ = 0;   // 0 when none waits for its low half
};

// Turns a file read whole into its text, as one piece: a plain file in place,
// at the cost of a look at its first bytes and of a search for the 0xEF that
// begins a mark and, under the Windows rule, one for 0x1A; a UTF-16 or UTF-32
// file through a buffer of its own.
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

}  // namespace shell
