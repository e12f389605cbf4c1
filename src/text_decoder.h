// A file's text from its bytes: without a UTF-8 byte-order mark, from UTF-16
// and UTF-32 into UTF-8, marks inside a text read as the files that copy /b
// joined, and on Windows a blank for each 0x1A. It works on bytes in memory
// and reads no file.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace mordavelle {

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

}  // namespace mordavelle
