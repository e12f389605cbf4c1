#include "commands.h"
#include "console.h"
#include "list_file.h"
#include "platform/console.h"
#include "result_file.h"
#include "sort.h"
#include "entries.h"
#include "name_extraction.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace mordavelle {
namespace {

constexpr std::string_view kPrompt[] = {
    "Extracting 'Name Lastname' from e-mail address.",
    "Enter name of list.",
    "I will add the .txt suffix.",
};
constexpr std::string_view kBadRead = "bad first cin";
constexpr unsigned kBadReadPauseMs = 3000;
constexpr std::string_view kCantFind = "can't find file ";
constexpr std::string_view kCantWrite = "can't write file ";
constexpr std::string_view kExampleWithoutDot = "name@mordavelle.se";
constexpr std::string_view kWillNotWork = "That will not work for this N function, exiting...";
constexpr unsigned kRefusalPauseMs = 10000;
constexpr std::string_view kDone = "Done! Names are in:";
// What fUpper says of an empty first or last name.
constexpr std::string_view kEmptyPart = "bad string in fUpper, closing...";
constexpr unsigned kEmptyPartPauseMs = 3000;

// What a walk through the local part of an entry found.
struct LocalPart {
    const char* end;  // the entry's first at sign, or the end of the entry when it has none
    const char* first_dot = nullptr;
    std::int64_t dots = 0;
};

// The bytes of a word equal to `byte`, each marked by its high bit, exactly.
std::uint64_t bytes_equal(std::uint64_t word, unsigned char byte)
{
    constexpr std::uint64_t kLow7 = 0x7f * kEachByte;
    const std::uint64_t x = word ^ (kEachByte * byte);
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// The bytes of a word that may end a local part, each marked by its high bit:
// an at sign (a byte that the XOR makes 0), or a byte low enough to be a
// separator. Only the lowest mark is exact.
std::uint64_t possible_ends(std::uint64_t word)
{
    return bytes_below(word, 0x21) | bytes_below(word ^ ('@' * kEachByte), 1);
}

// Walks the local part that begins at `from`, the first byte of an entry, and
// counts its dots on the way, so that each byte of it is looked at once.
LocalPart walk_local_part(const char* from, const char* end)
{
    LocalPart local;
    const auto ends_local_part = [](char byte) {
        return byte == '@' || is_separator(static_cast<unsigned char>(byte));
    };
    if constexpr (std::endian::native == std::endian::little) {
        // Eight bytes at a time until one may end the local part; that one is
        // then looked at alone, and the dots before it are counted.
        while (end - from >= 8) {
            const std::uint64_t word = eight_bytes(from);
            const std::uint64_t ends = possible_ends(word);
            // The bits of the bytes before the first that may end it.
            const int before = ends == 0 ? 64 : std::countr_zero(ends) - 7;
            const std::uint64_t kept = before == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << before) - 1;
            const std::uint64_t dots = bytes_equal(word, '.') & kept;
            if (dots != 0) {
                if (local.first_dot == nullptr)
                    local.first_dot = from + std::countr_zero(dots) / 8;
                // One bit a byte at most: the product gathers their sum in the
                // top byte, where std::popcount may cost a call on a processor
                // the build does not assume.
                local.dots += static_cast<std::int64_t>(((dots >> 7) * kEachByte) >> 56);
            }
            from += before / 8;
            if (ends == 0)
                continue;
            if (ends_local_part(*from))
                break;
            ++from;
        }
    }
    for (; from != end && !ends_local_part(*from); ++from) {
        if (*from == '.') {
            if (local.first_dot == nullptr)
                local.first_dot = from;
            ++local.dots;
        }
    }
    local.end = from;
    return local;
}

}  // namespace

NameKeys make_name_keys(std::string& text)
{
    // The entries are found here rather than by for_each_entry, so that
    // the bytes of each local part are looked at once: for its end, its dots
    // and the end of its entry's part before an at sign together. Each key is
    // moved down to where the keys before it end, which never reaches bytes
    // not yet looked at, as an entry is at least its local part and a
    // separator; the sort then has half the text to walk through.
    NameKeys made;
    char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* cursor = begin;
    char* keys_end = begin;
    for (;;) {
        while (cursor != end && is_separator(static_cast<unsigned char>(*cursor)))
            ++cursor;
        if (cursor == end)
            break;
        ++made.entries;
        const char* const entry = cursor;
        const LocalPart local = walk_local_part(entry, end);
        cursor = local.end != end && *local.end == '@' ? find_separator(local.end + 1, end) : local.end;
        if (local.first_dot == nullptr) {
            made.passes = false;
            continue;
        }
        made.dots += local.dots;
        made.empty_part = made.empty_part || local.first_dot == entry || local.first_dot + 1 == local.end;
        if (!made.passes || made.empty_part)
            continue;
        if (keys_end != begin)
            *keys_end++ = '\n';
        const std::size_t size = static_cast<std::size_t>(local.end - entry);
        char* const key = static_cast<char*>(std::memmove(keys_end, entry, size));
        keys_end += size;
        const std::size_t dot = static_cast<std::size_t>(local.first_dot - entry);
        key[0] = fUpper(key[0]);
        key[dot] = '%';
        key[dot + 1] = fUpper(key[dot + 1]);
    }
    if (made.passes && !made.empty_part)
        text.resize(static_cast<std::size_t>(keys_end - begin));
    return made;
}

std::string_view name_line(std::string& text, std::string_view key)
{
    // The per cent sign is most often a few bytes in, where a plain look at
    // each byte finds it sooner than a search that first sets itself up.
    std::size_t split = 0;
    while (split < key.size() && key[split] != '%')
        ++split;
    if (split < key.size())
        text[static_cast<std::size_t>(key.data() - text.data()) + split] = ' ';
    return key;
}

void run_name_extraction()
{
    for (std::string_view line : kPrompt)
        print_line(line);
    std::string stem;
    if (!platform::read_typed_word(stem))
        throw Failure{{{std::string{kBadRead}, {}, {}}}, {}, kBadReadPauseMs};
    const std::string input_name = stem + ".txt";

    std::string text = read_list(input_name, failure(kCantFind, input_name, kExiting));
    print_line();

    const NameKeys made = make_name_keys(text);
    if (!made.passes) {
        throw Failure{{{"list in ", input_name, " contains an address of type " + std::string{kExampleWithoutDot}},
                       {std::string{kWillNotWork}, {}, {}},
                       {"iTestDot: " + std::to_string(made.dots) + "vEmails.size(): " + std::to_string(made.entries),
                        {}, {}}},
                      {},
                      kRefusalPauseMs};
    }
    if (made.empty_part)
        throw Failure{{{std::string{kEmptyPart}, {}, {}}}, {}, kEmptyPartPauseMs};
    const SortedEntries keys(text, SortKey::whole_entry);
    const std::string result_name = stem + "_N.txt";
    ResultFile out;
    if (out.open(result_name, {input_name}, InputsRead::whole))
        keys.for_each([&](std::string_view key) { out.write_line(name_line(text, key)); });
    if (!out.close())
        fail(kCantWrite, result_name, kExiting);
    print_line();
    print_line_with_name(kDone, result_name);
    print_line();
}

}  // namespace mordavelle
