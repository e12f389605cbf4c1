// Subtract and join against the plainest model: the list of all less every
// entry some responder equals; both lists without repeats, first occurrences
// first. Where the lists hold entries in UTF-8 beyond ASCII beside entries that
// are not UTF-8, entries are equal by their characters, each one not UTF-8 read
// in Windows-1252, and the join writes them in UTF-8.
#include "entry_set.h"
#include "characters.h"
#include "entries.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Valid UTF-8 by the plain definition: no overlong form, no surrogate, nothing above U+10FFFF.
bool valid_utf8(std::string_view bytes)
{
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const std::size_t size = lead < 0x80   ? 1
                                 : lead < 0xC0 ? 0
                                 : lead < 0xE0 ? 2
                                 : lead < 0xF0 ? 3
                                 : lead < 0xF8 ? 4
                                               : 0;
        if (size == 0 || at + size > bytes.size())
            return false;
        char32_t code = size == 1 ? lead : lead & (0x7F >> size);
        for (std::size_t i = 1; i < size; ++i) {
            const auto next = static_cast<unsigned char>(bytes[at + i]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = code << 6 | (next & 0x3F);
        }
        constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kLeast[size] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        at += size;
    }
    return true;
}

// The UTF-8 of bytes in Windows-1252, whose 0x80-0x9F differ from Latin-1.
std::string from_windows_1252(std::string_view bytes)
{
    constexpr char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    std::string out;
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        const char32_t c = code >= 0x80 && code < 0xA0 ? kHigh[code - 0x80] : code;
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (c < 0x800)
            out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        else
            out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
    }
    return out;
}

bool beyond_ascii(std::string_view entry)
{
    return std::any_of(entry.begin(), entry.end(), [](char byte) { return (byte & 0x80) != 0; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first line end splits the input into the two lists.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto split = std::min(text.find('\n'), text.size());
    const std::string_view all_text = text.substr(0, split);
    const std::string_view second_text = text.substr(split);
    const auto first = mordavelle::split_entries(all_text);
    const auto second = mordavelle::split_entries(second_text);

    // The model: each entry as the key it is compared by.
    bool utf8 = false;
    bool legacy = false;
    for (const auto* list : {&first, &second})
        for (const std::string_view entry : *list)
            (valid_utf8(entry) ? utf8 : legacy) |= beyond_ascii(entry);
    const bool in_two = utf8 && legacy;
    const auto keys_of = [&](const std::vector<std::string_view>& list) {
        std::vector<std::string> keys;
        for (const std::string_view entry : list)
            keys.emplace_back(in_two && !valid_utf8(entry) ? from_windows_1252(entry) : std::string(entry));
        return keys;
    };
    const auto first_keys = keys_of(first);
    const auto second_keys = keys_of(second);

    // The texts compared as the commands compare them.
    if (mordavelle::holds_two_encodings(all_text, second_text) != in_two)
        std::abort();
    const std::string all_converted = in_two ? mordavelle::in_characters(all_text) : std::string();
    const std::string second_converted = in_two ? mordavelle::in_characters(second_text) : std::string();
    const mordavelle::CharacterCursor all_entries(all_text, all_converted);
    const mordavelle::CharacterCursor second_entries(second_text, second_converted);

    // The list of all is marked from its text, as the command marks it.
    std::size_t marked = 0;
    const auto responders = mordavelle::list_entries(second_entries, second.size());
    const mordavelle::Responders responded(responders);
    responded.mark(all_entries, [&](std::string_view entry, bool dropped) {
        if (marked >= first.size() || entry != first_keys[marked] || (!in_two && entry.data() != first[marked].data()))
            std::abort();
        if (dropped != (std::find(second_keys.begin(), second_keys.end(), entry) != second_keys.end()))
            std::abort();
        ++marked;
    });
    if (marked != first.size())
        std::abort();

    std::vector<std::string_view> expected;
    for (const auto* keys : {&first_keys, &second_keys})
        for (const std::string& key : *keys)
            if (std::find(expected.begin(), expected.end(), key) == expected.end())
                expected.push_back(key);
    // Joined from the texts, as the command joins them, with a bound of both counts.
    const std::size_t most = first.size() + second.size();
    if (mordavelle::join_entries(all_entries, second_entries, most) != expected)
        std::abort();
    return 0;
}
