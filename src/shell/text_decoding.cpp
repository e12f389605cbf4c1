#include "shell/text_decoding.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace shell {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

bool is_utf16(TextEncoding encoding)
{
    return encoding == TextEncoding::utf16_le || encoding == TextEncoding::utf16_be;
}

// True when the first bytes are too few to tell: they are the beginning of a
// mark that is not complete yet.
bool may_grow_into_bom(std::string_view first_bytes)
{
    for (const std::string_view bom : {kUtf8Bom, kUtf16LeBom, kUtf16BeBom}) {
        if (first_bytes.size() < bom.size() && bom.starts_with(first_bytes))
            return true;
    }
    return false;
}

// A piece is decoded in blocks of this many bytes, so that the room made in
// the output ahead of each block stays small and in the cache.
constexpr std::size_t kBlockBytes = std::size_t{1} << 16;

// The most UTF-8 that decoding `input_bytes` more bytes and then finishing can
// give: three bytes for every code unit, one of them completed by a byte that
// was waiting, and three for a high surrogate that was waiting.
constexpr std::size_t most_output(std::size_t input_bytes)
{
    return input_bytes / 2 * 3 + 6;
}

std::uint64_t load_little_endian_64(const unsigned char* from)
{
    std::uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, from, sizeof word);
    } else {
        for (int i = 7; i >= 0; --i)
            word = (word << 8) | from[i];
    }
    return word;
}

void store_little_endian_32(char* to, std::uint32_t word)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(to, &word, sizeof word);
    } else {
        for (int i = 0; i < 4; ++i)
            to[i] = static_cast<char>(word >> (8 * i));
    }
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

char* put_replacement(char* to)
{
    to[0] = '\xEF';
    to[1] = '\xBF';
    to[2] = '\xBD';
    return to + 3;
}

// Where a decoding stands: the next code unit to read, the next byte to
// write, and the high surrogate that waits for its low half (0 when none does).
struct Cursor {
    const unsigned char* from;
    char* to;
    char16_t high;
};

// Decodes the whole code units from the cursor up to `end`, an even number of
// bytes away. In place, the UTF-8 is written in the memory of the code units
// themselves, behind those still to be read, and the decoding stops early
// where the next character could overtake them; it then stops at a unit that
// no high surrogate waits for.
template <bool big_endian, bool in_place>
void decode_units_as(Cursor& cursor, const unsigned char* const end)
{
    // Four code units are ASCII when every bit but the low seven of each is clear.
    constexpr std::uint64_t kNotAscii = big_endian ? 0x80FF80FF80FF80FFu : 0xFF80FF80FF80FF80u;
    // Local copies, as the stores through `to` could otherwise change them for all the compiler knows.
    const unsigned char* from = cursor.from;
    char* to = cursor.to;
    char16_t high = cursor.high;
    while (from != end) {
        if (high == 0) {
            // Lists are mostly ASCII: four code units at a time, their low
            // bytes gathered into four output bytes.
            while (end - from >= 8) {
                std::uint64_t word = load_little_endian_64(from);
                if ((word & kNotAscii) != 0)
                    break;
                if constexpr (big_endian)
                    word >>= 8;
                word = (word | (word >> 8)) & 0x0000FFFF0000FFFFu;
                word = word | (word >> 16);
                store_little_endian_32(to, static_cast<std::uint32_t>(word));
                from += 8;
                to += 4;
            }
            if (from == end)
                break;
        }
        if constexpr (in_place) {
            // A unit can give three bytes for its two, and six with the
            // replacement of a high surrogate before it. A high surrogate that
            // waits is read again by whoever goes on: its bytes lie beyond `to`.
            if (from - reinterpret_cast<const unsigned char*>(to) < (high != 0 ? 4 : 1)) {
                if (high != 0)
                    from -= 2;
                high = 0;
                break;
            }
        }
        const unsigned unit = big_endian ? (unsigned{from[0]} << 8) | from[1] : (unsigned{from[1]} << 8) | from[0];
        from += 2;
        if (high != 0) {
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                const std::uint32_t code = 0x10000u + ((std::uint32_t{high} - 0xD800u) << 10) + (unit - 0xDC00u);
                to[0] = static_cast<char>(0xF0u | (code >> 18));
                to[1] = static_cast<char>(0x80u | ((code >> 12) & 0x3Fu));
                to[2] = static_cast<char>(0x80u | ((code >> 6) & 0x3Fu));
                to[3] = static_cast<char>(0x80u | (code & 0x3Fu));
                to += 4;
                high = 0;
                continue;
            }
            // The high surrogate has no low half; the unit after it is read as itself.
            to = put_replacement(to);
            high = 0;
        }
        if (unit < 0x80) {
            *to++ = static_cast<char>(unit);
        } else if (unit < 0x800) {
            to[0] = static_cast<char>(0xC0u | (unit >> 6));
            to[1] = static_cast<char>(0x80u | (unit & 0x3Fu));
            to += 2;
        } else if (unit >= 0xD800 && unit <= 0xDBFF) {
            high = static_cast<char16_t>(unit);
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            to = put_replacement(to);
        } else {
            to[0] = static_cast<char>(0xE0u | (unit >> 12));
            to[1] = static_cast<char>(0x80u | ((unit >> 6) & 0x3Fu));
            to[2] = static_cast<char>(0x80u | (unit & 0x3Fu));
            to += 3;
        }
    }
    cursor = {from, to, high};
}

template <bool in_place>
void decode_units(bool big_endian, Cursor& cursor, const unsigned char* end)
{
    if (big_endian)
        decode_units_as<true, in_place>(cursor, end);
    else
        decode_units_as<false, in_place>(cursor, end);
}

// Decodes a UTF-16 text, its mark included, in its own memory. Only a text
// whose three-byte characters outrun its ASCII ones makes the UTF-8 catch up
// with the code units not yet read; the rest of it is then decoded from a copy.
void decode_utf16_in_place(std::string& text, bool big_endian)
{
    const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t unit_bytes = (text.size() - kUtf16LeBom.size()) & ~std::size_t{1};
    Cursor cursor{begin + kUtf16LeBom.size(), text.data(), 0};
    decode_units<true>(big_endian, cursor, cursor.from + unit_bytes);
    const auto* const rest_begin = reinterpret_cast<const char*>(cursor.from);
    const std::string rest(rest_begin, static_cast<std::size_t>(text.data() + text.size() - rest_begin));
    text.resize(static_cast<std::size_t>(cursor.to - text.data()));
    if (cursor.high != 0)
        text.append(kReplacement);
    Utf16Decoder decoder(big_endian);
    decoder.decode(rest, text);
    decoder.finish(text);
}

}  // namespace

TextEncoding detect_encoding(std::string_view first_bytes)
{
    if (first_bytes.starts_with(kUtf8Bom))
        return TextEncoding::utf8_bom;
    if (first_bytes.starts_with(kUtf16LeBom))
        return TextEncoding::utf16_le;
    if (first_bytes.starts_with(kUtf16BeBom))
        return TextEncoding::utf16_be;
    return TextEncoding::plain;
}

std::size_t bom_size(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::utf8_bom: return kUtf8Bom.size();
    case TextEncoding::utf16_le:
    case TextEncoding::utf16_be: return kUtf16LeBom.size();
    case TextEncoding::plain: break;
    }
    return 0;
}

std::size_t text_end(std::string_view text, EndOfText rule)
{
    if (rule == EndOfText::none || text.empty())
        return text.size();
    const void* const found = std::memchr(text.data(), kEndOfTextByte, text.size());
    return found == nullptr ? text.size() : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
}

void Utf16Decoder::decode(std::string_view bytes, std::string& out)
{
    const auto* from = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = from + bytes.size();
    while (from != end) {
        const auto* const stop = from + std::min(static_cast<std::size_t>(end - from), kBlockBytes);
        const std::size_t old_size = out.size();
        out.resize(old_size + most_output(static_cast<std::size_t>(stop - from)));
        Cursor cursor{nullptr, out.data() + old_size, high_surrogate_};
        if (has_byte_) {
            const unsigned char unit[2] = {byte_, *from++};
            cursor.from = unit;
            decode_units<false>(big_endian_, cursor, unit + 2);
            has_byte_ = false;
        }
        cursor.from = from;
        decode_units<false>(big_endian_, cursor, from + ((stop - from) & ~std::ptrdiff_t{1}));
        from = cursor.from;
        if (from != stop) {
            byte_ = *from++;
            has_byte_ = true;
        }
        high_surrogate_ = cursor.high;
        out.resize(static_cast<std::size_t>(cursor.to - out.data()));
    }
}

void Utf16Decoder::finish(std::string& out)
{
    // The high surrogate came before the odd byte, so its U+FFFD goes first.
    char replacements[6];
    char* to = replacements;
    if (high_surrogate_ != 0)
        to = put_replacement(to);
    if (has_byte_)
        to = put_replacement(to);
    out.append(replacements, static_cast<std::size_t>(to - replacements));
    high_surrogate_ = 0;
    has_byte_ = false;
}

std::string decode_utf16(std::string_view bytes, bool big_endian)
{
    // Room for a text of ASCII alone, the common case, which therefore never
    // moves; other texts grow as they need.
    std::string out;
    out.reserve(bytes.size() / 2 + most_output(kBlockBytes));
    Utf16Decoder decoder(big_endian);
    decoder.decode(bytes, out);
    decoder.finish(out);
    return out;
}

void decode_whole_text(std::string& text, EndOfText rule)
{
    const TextEncoding encoding = detect_encoding(text);
    if (is_utf16(encoding))
        decode_utf16_in_place(text, encoding == TextEncoding::utf16_be);
    else if (encoding == TextEncoding::utf8_bom)
        std::fill_n(text.begin(), kUtf8Bom.size(), ' ');
    text.resize(text_end(text, rule));
}

std::span<char> TextDecoder::decode(std::span<char> piece, std::string& out)
{
    out.clear();
    if (ended_)
        return {};
    if (!decided_) {
        if (const auto settled = take_beginning(piece, out))
            return *settled;
    }
    if (is_utf16(encoding_)) {
        utf16_.decode(std::string_view(piece.data(), piece.size()), out);
        return cut(std::span<char>(out));
    }
    return cut(piece);
}

// Holds the file's first bytes until they tell its encoding. Then, as a rule,
// the piece is left as what remains to be read as text, and nothing is
// returned; but when the beginning came in several pieces and belongs to the
// text, that text is made in `out` and returned, and while the beginning is
// still too short to tell, the empty text is returned.
std::optional<std::span<char>> TextDecoder::take_beginning(std::span<char>& piece, std::string& out)
{
    const std::size_t held_before = held_size_;
    std::size_t taken = 0;
    while (taken < piece.size() && may_grow_into_bom(std::string_view(held_, held_size_)))
        held_[held_size_++] = piece[taken++];
    if (may_grow_into_bom(std::string_view(held_, held_size_)))
        return std::span<char>();
    decided_ = true;
    encoding_ = detect_encoding(std::string_view(held_, held_size_));
    if (is_utf16(encoding_)) {
        // What is held is the mark alone: the text begins after it.
        utf16_ = Utf16Decoder(encoding_ == TextEncoding::utf16_be);
        piece = piece.subspan(taken);
        return std::nullopt;
    }
    if (held_before == 0) {
        // The whole beginning is in this piece, which is read in place.
        if (encoding_ == TextEncoding::utf8_bom)
            std::fill_n(piece.data(), kUtf8Bom.size(), ' ');
        return std::nullopt;
    }
    if (encoding_ == TextEncoding::utf8_bom)
        out.assign(kUtf8Bom.size(), ' ');
    else
        out.assign(held_, held_size_);
    out.append(piece.data() + taken, piece.size() - taken);
    return cut(std::span<char>(out));
}

std::span<char> TextDecoder::finish(std::string& out)
{
    out.clear();
    if (ended_)
        return {};
    if (!decided_) {
        // Too short for a mark: the bytes held are plain text.
        decided_ = true;
        out.assign(held_, held_size_);
        return cut(std::span<char>(out));
    }
    if (is_utf16(encoding_)) {
        utf16_.finish(out);
        return cut(std::span<char>(out));
    }
    return {};
}

std::span<char> TextDecoder::cut(std::span<char> text)
{
    const std::size_t end = text_end(std::string_view(text.data(), text.size()), rule_);
    if (end == text.size())
        return text;
    ended_ = true;
    return text.first(end);
}

}  // namespace shell
