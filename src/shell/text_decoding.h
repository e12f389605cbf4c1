// The text in a list file's bytes: a UTF-8 byte-order mark is not part of the
// first entry, a file that begins with a UTF-16 byte-order mark is turned into
// UTF-8, and on Windows a byte 0x1A ends the text as the C runtime's text mode
// reads it. Every other file is taken byte for byte, and nothing is guessed.
// The routines work on bytes in memory, whole or in pieces, and read no file.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace shell {

enum class TextEncoding { plain, utf8_bom, utf16_le, utf16_be };

// Where a file's text ends: at the end of the file alone (POSIX), or also at the
// first byte 0x1A (Windows text mode). The platform layer says which applies.
enum class EndOfText { none, at_eof_byte };

inline constexpr char kEndOfTextByte = '\x1a';

// How many first bytes detect_encoding looks at, at most.
inline constexpr std::size_t kLongestBom = 3;

// The encoding that a file's first bytes announce. Only a complete byte-order
// mark counts: a file of fewer bytes than that, or one whose first bytes only
// begin like a mark, is plain. A caller that has more bytes passes at least
// the first kLongestBom of them.
TextEncoding detect_encoding(std::string_view first_bytes);

// How many bytes the byte-order mark of that encoding takes (0 for plain).
std::size_t bom_size(TextEncoding encoding);

// The size of the text's part before its end under `rule`: up to the first
// 0x1A, or the whole size. In decoded UTF-8 only the character U+001A is the
// byte 0x1A, so this may be asked of a UTF-16 file's text once it is decoded.
std::size_t text_end(std::string_view text, EndOfText rule);

// UTF-16 to UTF-8, in pieces cut anywhere: inside a code unit or between the
// two halves of a surrogate pair. A surrogate without its partner, and a last
// odd byte, each become U+FFFD. The output is the same however the input is cut.
class Utf16Decoder {
public:
    explicit Utf16Decoder(bool big_endian) : big_endian_(big_endian) {}

    // Appends the UTF-8 of the next piece to `out`; a byte or a high surrogate
    // at the piece's end waits for the next piece.
    void decode(std::string_view bytes, std::string& out);

    // Appends what the last piece left waiting, as U+FFFD, and starts afresh.
    void finish(std::string& out);

private:
    bool big_endian_;
    bool has_byte_ = false;
    unsigned char byte_ = 0;        // the first byte of a code unit cut in two
    char16_t high_surrogate_ = 0;   // 0 when none waits for its low half
};

// The UTF-8 of a whole UTF-16 text, given without its byte-order mark.
std::string decode_utf16(std::string_view bytes, bool big_endian);

// Turns a file read whole into its text, in place: a UTF-8 byte-order mark
// becomes three blanks (which separate entries like any white space, and cost
// no move of the rest), a UTF-16 file is decoded in the text's own memory,
// and the text is cut at its end under `rule`. A plain file costs a look at
// its first bytes, and under the Windows rule one search for 0x1A.
void decode_whole_text(std::string& text, EndOfText rule);

// The same for a file read in consecutive pieces of any size, down to single
// bytes: the pieces' texts, one after the other, equal decode_whole_text of the
// whole file. The beginning of the file is held back until it shows whether it
// is a byte-order mark, which takes at most its first three bytes.
class TextDecoder {
public:
    explicit TextDecoder(EndOfText rule) : rule_(rule) {}

    // The text of the next piece. For a plain or UTF-8 file it is the piece
    // itself, changed in place (a mark's bytes become blanks) and perhaps cut
    // short; for a UTF-16 file, and for a beginning that came in several
    // pieces, it is in `out`, which is cleared first and whose memory is reused.
    std::span<char> decode(std::span<char> piece, std::string& out);

    // The text that the end of the file completes: a beginning too short to be
    // a mark, or the U+FFFD of a UTF-16 file's unfinished last character. It is
    // in `out`.
    std::span<char> finish(std::string& out);

    // True once the text has ended at a 0x1A: what follows is not text, so the
    // rest of the file need not be read.
    bool ended() const { return ended_; }

private:
    std::span<char> cut(std::span<char> text);
    std::optional<std::span<char>> take_beginning(std::span<char>& piece, std::string& out);

    EndOfText rule_;
    TextEncoding encoding_ = TextEncoding::plain;
    bool decided_ = false;
    bool ended_ = false;
    char held_[kLongestBom] = {};
    std::size_t held_size_ = 0;
    Utf16Decoder utf16_{false};
};

}  // namespace shell
