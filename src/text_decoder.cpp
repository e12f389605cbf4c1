#include "text_decoder.h"

#include "characters.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace mordavelle {

namespace {

using Encoding = TextDecoder::Encoding;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr unsigned char kUtf8MarkStart = 0xEF;
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::string_view kUtf32LeBom("\xFF\xFE\0\0", 4);
constexpr std::string_view kUtf32BeBom("\0\0\xFE\xFF", 4);

constexpr char32_t kReplacement = 0xFFFD;
// Inside a text the byte-order mark separates entries as a blank does.
constexpr char32_t kByteOrderMark = 0xFEFF;
// The mark of the other byte order, read in this one.
constexpr char32_t kSwappedByteOrderMark = 0xFFFE;

// How many bytes a code unit takes: 0 for a text read byte for byte.
std::size_t unit_size(Encoding encoding)
{
    switch (encoding) {
    case Encoding::utf16_le:
    case Encoding::utf16_be: return 2;
    case Encoding::utf32_le:
    case Encoding::utf32_be: return 4;
    case Encoding::plain:
    case Encoding::utf8_bom: break;
    }
    return 0;
}

bool is_big_endian(Encoding encoding)
{
    return encoding == Encoding::utf16_be || encoding == Encoding::utf32_be;
}

std::size_t mark_size(Encoding encoding)
{
    return encoding == Encoding::utf8_bom ? kUtf8Bom.size() : unit_size(encoding);
}

// True when the first bytes are too few to tell: they are the beginning of a
// mark that is not complete yet.
bool may_grow_into_bom(std::string_view first_bytes)
{
    for (const std::string_view bom : {kUtf8Bom, kUtf16LeBom, kUtf16BeBom, kUtf32LeBom, kUtf32BeBom}) {
        if (first_bytes.size() < bom.size() && bom.starts_with(first_bytes))
            return true;
    }
    return false;
}

char32_t read_unit(const char* bytes, std::size_t size, bool big_endian)
{
    char32_t unit = 0;
    for (std::size_t i = 0; i < size; ++i)
        unit = (unit << 8) | static_cast<unsigned char>(bytes[big_endian ? i : size - 1 - i]);
    return unit;
}

// The encoding that a file's first bytes announce. Only a complete byte-order
// mark counts: a file of fewer bytes than that, or one whose first bytes only
// begin like a mark, is plain.
Encoding detect_encoding(std::string_view first_bytes)
{
    if (first_bytes.starts_with(kUtf8Bom))
        return Encoding::utf8_bom;
    // The UTF-32LE mark begins with the UTF-16LE one, so it is looked for first.
    if (first_bytes.starts_with(kUtf32LeBom))
        return Encoding::utf32_le;
    if (first_bytes.starts_with(kUtf32BeBom))
        return Encoding::utf32_be;
    if (first_bytes.starts_with(kUtf16LeBom))
        return Encoding::utf16_le;
    if (first_bytes.starts_with(kUtf16BeBom))
        return Encoding::utf16_be;
    return Encoding::plain;
}

// True for the bytes that begin a byte-order mark: 0xEF (UTF-8), 0xFF and
// 0xFE (UTF-16 of either order).
constexpr bool begins_mark(unsigned char byte)
{
    return byte == kUtf8MarkStart || byte >= 0xFE;
}

// The first byte at or after `from` that may begin a mark, or `end`. Such bytes
// are rare in any list, so the bytes are looked at a block at a time for one
// of 0xEF or above, which the compiler tests many at once, and only a block
// that holds one is looked at byte by byte.
char* find_mark_byte(char* from, char* end)
{
    constexpr std::ptrdiff_t kBlock = 256;
    auto* at = reinterpret_cast<unsigned char*>(from);
    auto* const stop = reinterpret_cast<unsigned char*>(end);
    for (; stop - at >= kBlock; at += kBlock) {
        unsigned char highest = 0;
        for (std::ptrdiff_t i = 0; i < kBlock; ++i)
            highest = std::max(highest, at[i]);
        if (highest < kUtf8MarkStart)
            continue;
        for (std::ptrdiff_t i = 0; i < kBlock; ++i) {
            if (begins_mark(at[i]))
                return reinterpret_cast<char*>(at + i);
        }
    }
    for (; at != stop; ++at) {
        if (begins_mark(*at))
            return reinterpret_cast<char*>(at);
    }
    return end;
}

bool starts_with_utf16_mark(std::string_view bytes)
{
    return bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom);
}

// How far bytes match a mark: not at all, as the beginning that the end of the
// bytes cuts short, or whole.
enum class Match { none, beginning, whole };

Match match_mark(std::string_view bytes, std::string_view mark)
{
    if (bytes.starts_with(mark))
        return Match::whole;
    return !bytes.empty() && mark.starts_with(bytes) ? Match::beginning : Match::none;
}

// Reads plain bytes in place, each UTF-8 mark among them becoming three
// blanks, and says how many of them are plain text: all of them, or those
// before a UTF-16 mark, or those before the beginning of a mark that their end
// cuts short.
std::size_t plain_in_place(std::span<char> text)
{
    char* at = text.data();
    char* const end = at + text.size();
    while ((at = find_mark_byte(at, end)) != end) {
        const std::string_view rest(at, static_cast<std::size_t>(end - at));
        if (rest.starts_with(kUtf8Bom)) {
            std::fill_n(at, kUtf8Bom.size(), ' ');
            at += kUtf8Bom.size();
        } else if (starts_with_utf16_mark(rest) || may_grow_into_bom(rest)) {
            return static_cast<std::size_t>(at - text.data());
        } else {
            ++at;
        }
    }
    return text.size();
}

// Where a UTF-8 mark stands among the bytes from the start of a UTF-16 code
// unit on: in none, from the unit's first byte (after a part of an even
// number of bytes, as copy /b joins a UTF-16 file and a UTF-8 one), from its
// second byte (after an odd number), or perhaps, which the bytes after these
// will tell.
enum class Utf8MarkInUnit { none, first_byte, second_byte, perhaps };

Utf8MarkInUnit utf8_mark_in_unit(std::string_view bytes)
{
    const Match first = match_mark(bytes, kUtf8Bom);
    const Match second = match_mark(bytes.substr(1), kUtf8Bom);
    if (first == Match::whole)
        return Utf8MarkInUnit::first_byte;
    if (second == Match::whole)
        return Utf8MarkInUnit::second_byte;
    return first == Match::beginning || second == Match::beginning ? Utf8MarkInUnit::perhaps : Utf8MarkInUnit::none;
}

}  // namespace

std::span<char> TextDecoder::decode(std::span<char> piece, std::string& out)
{
    out.clear();
    if (!decided_) {
        // The beginning is held until it shows whether it is a mark, which
        // takes at most the first few bytes.
        const bool in_one_piece = held_.empty();
        std::size_t taken = 0;
        while (taken < piece.size() && may_grow_into_bom(held_))
            held_ += piece[taken++];
        if (may_grow_into_bom(held_))
            return {};
        if (in_one_piece) {
            // The piece is read from where its mark ends.
            const Encoding first = decide();
            held_.clear();
            if (first == Encoding::utf8_bom)
                std::fill_n(piece.data(), kUtf8Bom.size(), ' ');
            else
                piece = piece.subspan(mark_size(first));
        } else {
            // The beginning came in several pieces: it is read before the rest of this one.
            decide();
            piece = piece.subspan(taken);
        }
    }
    if (!held_.empty()) {
        joined_.assign(held_).append(piece.data(), piece.size());
        held_.clear();
        decode_parts(std::span<char>(joined_), out);
        return apply_rule(std::span<char>(out));
    }
    if (encoding_ == Encoding::plain) {
        // Plain text, the common case, stays where it was read.
        const std::size_t plain = plain_in_place(piece);
        const std::string_view rest(piece.data() + plain, piece.size() - plain);
        if (!starts_with_utf16_mark(rest)) {
            held_.assign(rest);
            return apply_rule(piece.first(plain));
        }
        out.assign(piece.data(), plain);
        piece = piece.subspan(plain);
    }
    decode_parts(piece, out);
    return apply_rule(std::span<char>(out));
}

std::span<char> TextDecoder::finish(std::string& out)
{
    out.clear();
    if (!decided_)
        decide();   // the file ended within its first bytes: they tell what they can
    const std::size_t size = unit_size(encoding_);
    if (size == 0) {
        out += held_;
    } else {
        // What was held for a mark that the end of the file left unfinished
        // is read as code units.
        std::string_view rest = held_;
        for (; rest.size() >= size; rest.remove_prefix(size))
            put_unit(read_unit(rest.data(), size, is_big_endian(encoding_)), out);
        // The high surrogate came before the unfinished unit, so its U+FFFD goes first.
        if (high_surrogate_ != 0)
            append_utf8(kReplacement, out);
        if (!rest.empty())
            append_utf8(kReplacement, out);
    }
    held_.clear();
    high_surrogate_ = 0;
    return apply_rule(std::span<char>(out));
}

// Tells the encoding that the file's first bytes announce, and returns it;
// those bytes stay held without their mark (a UTF-8 mark as blanks).
Encoding TextDecoder::decide()
{
    decided_ = true;
    const Encoding first = detect_encoding(held_);
    encoding_ = first == Encoding::utf8_bom ? Encoding::plain : first;
    if (first == Encoding::utf8_bom)
        held_.replace(0, kUtf8Bom.size(), kUtf8Bom.size(), ' ');
    else
        held_.erase(0, mark_size(first));
    return first;
}

// Appends the text of the bytes to `out`, part after part as the marks inside
// them begin and end them; what the end of the bytes leaves undecided is held.
void TextDecoder::decode_parts(std::span<char> bytes, std::string& out)
{
    for (;;) {
        const Encoding before = encoding_;
        std::size_t used = 0;
        if (encoding_ == Encoding::plain) {
            used = plain_in_place(bytes);
            out.append(bytes.data(), used);
            if (starts_with_utf16_mark({bytes.data() + used, bytes.size() - used})) {
                encoding_ = bytes[used] == kUtf16LeBom[0] ? Encoding::utf16_le : Encoding::utf16_be;
                out += ' ';
                used += kUtf16LeBom.size();
            }
        } else if (unit_size(encoding_) == 2) {
            used = decode_utf16({bytes.data(), bytes.size()}, out);
        } else {
            used = decode_utf32({bytes.data(), bytes.size()}, out);
        }
        bytes = bytes.subspan(used);
        // The part goes on where the bytes end, and what is left of them waits for the next piece.
        if (encoding_ == before)
            break;
    }
    held_.assign(bytes.data(), bytes.size());
}

// Decodes UTF-16 code units until a UTF-8 mark ends the part, or the mark of
// the other byte order goes on in that order; returns how many bytes it read.
// It stops before a unit that the end of the bytes cuts short, and before one
// that may begin such a mark.
std::size_t TextDecoder::decode_utf16(std::string_view bytes, std::string& out)
{
    const bool big_endian = encoding_ == Encoding::utf16_be;
    const auto* const data = reinterpret_cast<const unsigned char*>(bytes.data());
    // Room for a text of ASCII alone, the common case, so that it never moves.
    out.reserve(out.size() + bytes.size() / 2 + 8);
    std::size_t at = 0;
    for (; bytes.size() - at >= 2; at += 2) {
        // A UTF-8 mark, as copy /b leaves one where a UTF-8 file follows, may
        // begin in either byte of a unit.
        if (data[at] == kUtf8MarkStart || data[at + 1] == kUtf8MarkStart) {
            const Utf8MarkInUnit mark = utf8_mark_in_unit(bytes.substr(at));
            if (mark == Utf8MarkInUnit::perhaps)
                return at;
            if (mark != Utf8MarkInUnit::none) {
                end_utf16_part(mark == Utf8MarkInUnit::second_byte, out);
                return at + kUtf8Bom.size() + (mark == Utf8MarkInUnit::second_byte ? 1 : 0);
            }
        }
        const auto unit = static_cast<char32_t>(big_endian ? data[at] << 8 | data[at + 1]
                                                           : data[at + 1] << 8 | data[at]);
        // Lists are mostly ASCII, which takes no further look.
        if (unit < 0x80 && high_surrogate_ == 0) {
            out += static_cast<char>(unit);
        } else if (unit == kSwappedByteOrderMark) {
            put_unit(kByteOrderMark, out);
            encoding_ = big_endian ? Encoding::utf16_le : Encoding::utf16_be;
            return at + 2;
        } else {
            put_unit(unit, out);
        }
    }
    return at;
}

std::size_t TextDecoder::decode_utf32(std::string_view bytes, std::string& out)
{
    const bool big_endian = encoding_ == Encoding::utf32_be;
    out.reserve(out.size() + bytes.size() / 4 + 8);
    std::size_t at = 0;
    for (; bytes.size() - at >= 4; at += 4) {
        const char32_t unit = read_unit(bytes.data() + at, 4, big_endian);
        if (unit < 0x80)
            out += static_cast<char>(unit);
        else
            put_unit(unit, out);
    }
    return at;
}

// A UTF-8 mark ends the UTF-16 part: a high surrogate still waiting and a lone
// byte before the mark are characters unfinished, and the mark is a blank.
void TextDecoder::end_utf16_part(bool odd_byte_before, std::string& out)
{
    if (high_surrogate_ != 0)
        append_utf8(kReplacement, out);
    high_surrogate_ = 0;
    if (odd_byte_before)
        append_utf8(kReplacement, out);
    out += ' ';
    encoding_ = Encoding::plain;
}

void TextDecoder::put_unit(char32_t unit, std::string& out)
{
    if (high_surrogate_ != 0) {
        const char32_t high = high_surrogate_;
        high_surrogate_ = 0;
        if (is_low_surrogate(unit)) {
            append_utf8(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00), out);
            return;
        }
        // The high surrogate has no low half; the unit after it is read as itself.
        append_utf8(kReplacement, out);
    }
    // Only UTF-16 pairs its surrogates; in UTF-32 each is a unit without a character.
    if (is_high_surrogate(unit) && unit_size(encoding_) == 2)
        high_surrogate_ = unit;
    else if (unit == kByteOrderMark)
        out += ' ';
    else
        append_utf8(is_high_surrogate(unit) || is_low_surrogate(unit) || unit > 0x10FFFF ? kReplacement : unit, out);
}

std::span<char> TextDecoder::apply_rule(std::span<char> text) const
{
    if (rule_ == EofByte::kept || text.empty())
        return text;
    char* at = text.data();
    char* const end = at + text.size();
    while ((at = static_cast<char*>(std::memchr(at, '\x1a', static_cast<std::size_t>(end - at)))) != nullptr)
        *at++ = ' ';
    return text;
}

void decode_whole_text(std::string& text, EofByte rule)
{
    TextDecoder decoder(rule);
    std::string out;
    const std::span<char> decoded = decoder.decode(text, out);
    if (decoded.data() == text.data()) {
        text.resize(decoded.size());
    } else {
        out.resize(decoded.size());
        text.swap(out);
    }
    const std::span<char> last = decoder.finish(out);
    text.append(last.data(), last.size());
}

}  // namespace mordavelle
