#include "characters.h"

#include "platform/files.h"

#include <cstdint>

namespace mordavelle {

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

namespace {

// The first byte above 0x7F at or after `at`, or `end`. Lists are mostly
// ASCII: eight bytes are looked at a time while no high bit is set.
const char* skip_ascii(const char* at, const char* end)
{
    for (; end - at >= 8; at += 8) {
        if ((eight_bytes(at) & (0x80 * kEachByte)) != 0)
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

}  // namespace mordavelle
