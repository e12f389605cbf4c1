#include "text.h"

#include "platform/files.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace mordavelle {

const char* find_separator(const char* from, const char* end)
{
    if constexpr (std::endian::native == std::endian::little) {
        // Entries are mostly letters, digits and punctuation: eight of their
        // bytes are passed over at a time until one is low enough to be a
        // separator, and that one is then looked at alone.
        while (end - from >= 8) {
            std::uint64_t word;
            std::memcpy(&word, from, sizeof word);
            // A byte of the word holds its high bit in `low` when it is below
            // 0x21, the blank and the five control separators among them; a flag
            // can be false only above a true one, so the lowest flag is always true.
            const std::uint64_t low = (word - 0x2121212121212121u) & ~word & 0x8080808080808080u;
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

namespace {

using Encoding = TextDecoder::Encoding;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::string_view kUtf32LeBom("\xFF\xFE\0\0", 4);
constexpr std::string_view kUtf32BeBom("\0\0\xFE\xFF", 4);

constexpr char32_t kReplacement = 0xFFFD;
// Inside a text the byte-order mark separates entries as a blank does.
constexpr char32_t kByteOrderMark = 0xFEFF;

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

void append_utf8(char32_t code, std::string& out)
{
    const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
    if (code < 0x80) {
        out += byte(code);
    } else if (code < 0x800) {
        out += {byte(0xC0 | (code >> 6)), byte(0x80 | (code & 0x3F))};
    } else if (code < 0x10000) {
        out += {byte(0xE0 | (code >> 12)), byte(0x80 | ((code >> 6) & 0x3F)), byte(0x80 | (code & 0x3F))};
    } else {
        out += {byte(0xF0 | (code >> 18)), byte(0x80 | ((code >> 12) & 0x3F)), byte(0x80 | ((code >> 6) & 0x3F)),
                byte(0x80 | (code & 0x3F))};
    }
}

char32_t read_unit(const char* bytes, std::size_t size, bool big_endian)
{
    char32_t unit = 0;
    for (std::size_t i = 0; i < size; ++i)
        unit = (unit << 8) | static_cast<unsigned char>(bytes[big_endian ? i : size - 1 - i]);
    return unit;
}

bool is_high_surrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool is_low_surrogate(char32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// How many bytes the UTF-8 sequence at `bytes` takes, or 0 when it is not
// valid: a stray continuation byte, an overlong form, a surrogate, a
// character above U+10FFFF or a sequence cut short.
std::size_t utf8_sequence_size(const unsigned char* bytes, std::size_t available)
{
    const unsigned char lead = bytes[0];
    std::size_t size = 0;
    unsigned char lowest = 0x80;
    unsigned char highest = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
        lowest = lead == 0xE0 ? 0xA0 : lowest;
        highest = lead == 0xED ? 0x9F : highest;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
        lowest = lead == 0xF0 ? 0x90 : lowest;
        highest = lead == 0xF4 ? 0x8F : highest;
    }
    if (size == 0 || available < size || bytes[1] < lowest || bytes[1] > highest)
        return 0;
    for (std::size_t i = 2; i < size; ++i) {
        if (bytes[i] < 0x80 || bytes[i] > 0xBF)
            return 0;
    }
    return size;
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
            decide();
            if (encoding_ == Encoding::utf8_bom)
                std::fill_n(piece.data(), kUtf8Bom.size(), ' ');
            else
                piece = piece.subspan(mark_size(encoding_));
        } else {
            // The beginning came in several pieces: its text goes before the rest of this one.
            const std::string beginning = decide();
            if (unit_size(encoding_) != 0)
                decode_units(beginning, out);
            else
                held_ = beginning;
            piece = piece.subspan(taken);
        }
    }
    if (unit_size(encoding_) != 0) {
        decode_units(std::string_view(piece.data(), piece.size()), out);
        return apply_rule(std::span<char>(out));
    }
    if (held_.empty())
        return plain_text(piece);
    out = std::move(held_);
    held_.clear();
    out.append(piece.data(), piece.size());
    return plain_text(std::span<char>(out));
}

std::span<char> TextDecoder::finish(std::string& out)
{
    out.clear();
    if (!decided_) {
        // The file ended within its first bytes: they tell what they can.
        const std::string beginning = decide();
        if (unit_size(encoding_) != 0)
            decode_units(beginning, out);
        else
            held_ = beginning;
    }
    if (unit_size(encoding_) == 0) {
        out += held_;
    } else {
        // The high surrogate came before the unfinished unit, so its U+FFFD goes first.
        if (high_surrogate_ != 0)
            append_utf8(kReplacement, out);
        if (!held_.empty())
            append_utf8(kReplacement, out);
    }
    held_.clear();
    high_surrogate_ = 0;
    return apply_rule(std::span<char>(out));
}

std::string TextDecoder::decide()
{
    decided_ = true;
    encoding_ = detect_encoding(held_);
    std::string beginning = std::move(held_);
    held_.clear();
    if (encoding_ == Encoding::utf8_bom)
        beginning.replace(0, kUtf8Bom.size(), kUtf8Bom.size(), ' ');
    else
        beginning.erase(0, mark_size(encoding_));
    return beginning;
}

// A byte-order mark inside a plain or UTF-8 text separates entries as a
// blank does, and its three bytes become blanks. A piece that ends in what may
// be the beginning of one keeps those bytes back for the next piece.
std::span<char> TextDecoder::plain_text(std::span<char> text)
{
    text = apply_rule(text);
    if (text.empty())
        return text;
    char* at = text.data();
    char* const end = at + text.size();
    while ((at = static_cast<char*>(std::memchr(at, kUtf8Bom[0], static_cast<std::size_t>(end - at)))) != nullptr) {
        if (std::string_view(at, static_cast<std::size_t>(end - at)).starts_with(kUtf8Bom)) {
            std::fill_n(at, kUtf8Bom.size(), ' ');
            at += kUtf8Bom.size();
        } else if (kUtf8Bom.starts_with(std::string_view(at, static_cast<std::size_t>(end - at)))) {
            held_.assign(at, end);
            return text.first(static_cast<std::size_t>(at - text.data()));
        } else {
            ++at;
        }
    }
    return text;
}

void TextDecoder::decode_units(std::string_view bytes, std::string& out)
{
    const std::size_t size = unit_size(encoding_);
    const bool big_endian = is_big_endian(encoding_);
    // Room for a text of ASCII alone, the common case, so that it never moves.
    out.reserve(out.size() + bytes.size() / size + 8);
    // A code unit that the end of the last piece cut in two is completed first.
    if (!held_.empty()) {
        const std::size_t missing = std::min(size - held_.size(), bytes.size());
        held_.append(bytes.substr(0, missing));
        bytes.remove_prefix(missing);
        if (held_.size() < size)
            return;
        put_unit(read_unit(held_.data(), size, big_endian), out);
        held_.clear();
    }
    for (; bytes.size() >= size; bytes.remove_prefix(size)) {
        // Lists are mostly ASCII, which takes no further look.
        const char32_t unit = read_unit(bytes.data(), size, big_endian);
        if (unit < 0x80 && high_surrogate_ == 0)
            out += static_cast<char>(unit);
        else
            put_unit(unit, out);
    }
    held_.append(bytes);
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

namespace {

// The first byte above 0x7F at or after `at`, or `end`. Lists are mostly
// ASCII: eight bytes are looked at a time while no high bit is set.
const char* skip_ascii(const char* at, const char* end)
{
    for (std::uint64_t word = 0; end - at >= 8; at += 8) {
        std::memcpy(&word, at, sizeof word);
        if ((word & 0x8080808080808080u) != 0)
            break;
    }
    while (at != end && static_cast<unsigned char>(*at) < 0x80)
        ++at;
    return at;
}

}  // namespace

CharacterSet classify_text(std::string_view text)
{
    const char* at = text.data();
    const char* const end = at + text.size();
    bool beyond_ascii = false;
    while ((at = skip_ascii(at, end)) != end) {
        const std::size_t sequence =
            utf8_sequence_size(reinterpret_cast<const unsigned char*>(at), static_cast<std::size_t>(end - at));
        if (sequence == 0)
            return CharacterSet::legacy;
        beyond_ascii = true;
        at += sequence;
    }
    return beyond_ascii ? CharacterSet::utf8 : CharacterSet::ascii;
}

bool holds_two_encodings(std::string_view first, std::string_view second)
{
    bool utf8 = false;
    bool legacy = false;
    for (const std::string_view text : {first, second}) {
        const char* at = text.data();
        const char* const end = at + text.size();
        while (!(utf8 && legacy) && (at = skip_ascii(at, end)) != end) {
            // The entry's bytes before `at` are ASCII, so its rest tells what it is.
            const char* const entry_end = find_separator(at, end);
            const auto rest = static_cast<std::size_t>(entry_end - at);
            (classify_text({at, rest}) == CharacterSet::legacy ? legacy : utf8) = true;
            at = entry_end;
        }
    }
    return utf8 && legacy;
}

std::string in_characters(std::string_view text)
{
    std::string converted;
    std::u16string characters;
    for_each_entry(text, [&](std::string_view entry) {
        if (classify_text(entry) != CharacterSet::legacy)
            return;
        // No code page has a character above 0x7F that is white space in
        // UTF-8, so the characters are one entry, as the bytes were.
        characters.clear();
        if (!platform::ansi_characters(entry, characters)) {
            converted.append(entry).append(1, '\n');
            return;
        }
        for (std::size_t i = 0; i < characters.size(); ++i) {
            const char32_t unit = characters[i];
            const bool paired = is_high_surrogate(unit) && i + 1 < characters.size() &&
                                is_low_surrogate(characters[i + 1]);
            append_utf8(paired ? 0x10000 + ((unit - 0xD800) << 10) + (characters[++i] - 0xDC00) : unit, converted);
        }
        converted += '\n';
    });
    return converted;
}

void fCaser(std::span<char> bytes)
{
    // Every byte is written, changed or not, so that the compiler can lower
    // many bytes in one instruction.
    for (char& byte : bytes)
        byte = static_cast<char>(byte + (static_cast<unsigned char>(byte - 'A') < 26 ? 'a' - 'A' : 0));
}

void break_text(std::span<char> text)
{
    // The five break characters, tested without branches so that the compiler
    // checks many bytes at once: "(" and ")" are neighbours, and "<" and ">"
    // differ only in the bit of value 2.
    for (char& byte : text) {
        const bool breaks = (static_cast<unsigned char>(byte - '(') < 2) | ((byte | 2) == '>') | (byte == ',');
        byte = breaks ? '\n' : byte;
    }
}

}  // namespace mordavelle
