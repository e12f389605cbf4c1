// The sort behind sort.h. The keys stay where they are, in the list
// text; the sort moves small records that carry the first 21 bytes of each key
// as three numbers, read while the text is passed through in order. Most keys
// differ within those bytes, so the sort seldom has to look into the text
// again, where every look at a far-off key is a wait for memory.
#include "sort.h"

#include "platform/hints.h"
#include "entries.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <utility>

namespace mordavelle {
namespace {

using Record = SortedEntries::Record;

constexpr std::size_t kChunkBytes = 7;
constexpr std::size_t kCarried = std::tuple_size_v<decltype(Record::chunks)>;
constexpr std::uint64_t kKeyGoesOn = 8;

// The seven key bytes from depth, most significant first, then in the lowest
// byte how many key bytes are left from depth (0 to 7), or 8 when more follow.
// Chunks then compare as the keys do: a key that ends before another with the
// same bytes so far is the smaller, whatever byte the other goes on with.
std::uint64_t load_chunk(const char* key, std::size_t size, std::size_t depth)
{
    const auto byte = [key, depth](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(key[depth + i])}; };
    if (size > depth + kChunkBytes) {
        return byte(0) << 56 | byte(1) << 48 | byte(2) << 40 | byte(3) << 32 | byte(4) << 24 | byte(5) << 16 |
               byte(6) << 8 | kKeyGoesOn;
    }
    const std::size_t left = size > depth ? size - depth : 0;
    std::uint64_t chunk = 0;
    for (std::size_t i = 0; i < left; ++i)
        chunk |= byte(i) << (56 - 8 * i);
    return chunk | left;
}

// Whole-key order of two records whose keys agree before `level`'s depth.
bool record_less(const Record& a, const Record& b, std::size_t level)
{
    const std::size_t slot = level % kCarried;
    if (a.chunks[slot] != b.chunks[slot])
        return a.chunks[slot] < b.chunks[slot];
    if ((a.chunks[slot] & 0xff) != kKeyGoesOn)
        return false;
    const std::size_t depth = (level + 1) * kChunkBytes;
    return a.key_bytes().substr(depth) < b.key_bytes().substr(depth);
}

void insertion_sort(Record* records, std::size_t count, std::size_t level)
{
    for (std::size_t i = 1; i < count; ++i) {
        const Record record = records[i];
        std::size_t j = i;
        for (; j > 0 && record_less(record, records[j - 1], level); --j)
            records[j] = records[j - 1];
        records[j] = record;
    }
}

// Records that fit in a core's cache, where scattering them costs little.
constexpr std::size_t kCachedRecords = std::size_t{1} << 14;

// A stable radix sort on one chunk, one byte a pass; a byte that is the same in
// every chunk costs no pass, nor any count. The records are read from `from`
// and left in `from`, or in `to` when `land_in_to`; both hold room for `count`
// records and whichever does not end with them is scratch. A range too large
// for the cache is first split on its most significant differing byte,
// straight into the other buffer, so that the passes over each part stay in
// the cache instead of scattering the whole range through memory each time;
// each part then goes on from where the split put it, and only a part that the
// cache holds is copied back when it ends in the wrong buffer.
void radix_sort_chunks(Record* from, Record* to, std::size_t count, std::size_t slot, bool land_in_to)
{
    // The bits in which some chunk differs from the first, found in one cheap
    // pass, tell which bytes need counting at all.
    const std::uint64_t first = from[0].chunks[slot];
    std::uint64_t differ = 0;
    for (std::size_t i = 0; i < count; ++i)
        differ |= from[i].chunks[slot] ^ first;
    if (differ == 0) {
        if (land_in_to)
            std::copy(from, from + count, to);
        return;
    }

    if (count > kCachedRecords) {
        const unsigned shift = static_cast<unsigned>((63 - std::countl_zero(differ)) / 8 * 8);
        std::array<std::size_t, 257> starts{};
        for (std::size_t i = 0; i < count; ++i)
            ++starts[((from[i].chunks[slot] >> shift) & 0xff) + 1];
        for (std::size_t byte = 0; byte < 256; ++byte)
            starts[byte + 1] += starts[byte];
        auto next = starts;
        for (std::size_t i = 0; i < count; ++i)
            to[next[(from[i].chunks[slot] >> shift) & 0xff]++] = from[i];
        for (std::size_t byte = 0; byte < 256; ++byte) {
            const std::size_t part = starts[byte + 1] - starts[byte];
            if (part > 1)
                radix_sort_chunks(to + starts[byte], from + starts[byte], part, slot, !land_in_to);
            else if (part == 1 && !land_in_to)
                from[starts[byte]] = to[starts[byte]];
        }
        return;
    }

    // The differing bytes, least significant first, each counted in one walk.
    std::array<unsigned, 8> shifts{};
    std::size_t varying = 0;
    for (unsigned digit = 0; digit < 8; ++digit) {
        if (((differ >> (8 * digit)) & 0xff) != 0)
            shifts[varying++] = 8 * digit;
    }
    std::array<std::array<std::uint32_t, 256>, 8> places;
    for (std::size_t k = 0; k < varying; ++k)
        places[k].fill(0);
    if (varying == 8) {
        // Every byte differs somewhere: the count written out for all eight.
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint64_t chunk = from[i].chunks[slot];
            for (std::size_t k = 0; k < 8; ++k)
                ++places[k][(chunk >> (8 * k)) & 0xff];
        }
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint64_t chunk = from[i].chunks[slot];
            for (std::size_t k = 0; k < varying; ++k)
                ++places[k][(chunk >> shifts[k]) & 0xff];
        }
    }

    Record* in = from;
    Record* out = to;
    for (std::size_t k = 0; k < varying; ++k) {
        auto& place = places[k];
        const unsigned shift = shifts[k];
        std::uint32_t next = 0;
        for (auto& slot_place : place)
            next += std::exchange(slot_place, next);
        for (std::size_t i = 0; i < count; ++i)
            out[place[(in[i].chunks[slot] >> shift) & 0xff]++] = in[i];
        std::swap(in, out);
    }
    Record* const wanted = land_in_to ? to : from;
    if (in != wanted)
        std::copy(in, in + count, wanted);
}

constexpr std::size_t kInsertionSortMax = 16;

// Sorts records whose keys agree before the depth of `level`, stably. The
// chunks of the level are sorted, then each run of equal chunks whose keys go
// on is sorted on the next level, whose chunk the records carry for the first
// three levels and fetch from the text after that. The largest run is taken
// by the loop rather than by recursion, so that the recursion stays shallow
// whatever the keys.
void sort_records(Record* records, Record* scratch, std::size_t count, std::size_t level)
{
    for (;;) {
        if (count <= kInsertionSortMax) {
            insertion_sort(records, count, level);
            return;
        }
        const std::size_t slot = level % kCarried;
        radix_sort_chunks(records, scratch, count, slot, false);

        Record* largest = nullptr;
        std::size_t largest_count = 0;
        for (std::size_t begin = 0, end = 0; begin < count; begin = end) {
            const std::uint64_t chunk = records[begin].chunks[slot];
            for (end = begin + 1; end < count && records[end].chunks[slot] == chunk; ++end) {
            }
            // A run of equal keys is in input order already.
            const std::size_t run = end - begin;
            if (run < 2 || (chunk & 0xff) != kKeyGoesOn)
                continue;
            if (level + 1 >= kCarried) {
                const std::size_t depth = (level + 1) * kChunkBytes;
                for (Record* record = records + begin; record != records + end; ++record)
                    record->chunks[(level + 1) % kCarried] = load_chunk(record->key, record->key_size, depth);
            }
            if (run > largest_count) {
                if (largest_count > 0)
                    sort_records(largest, scratch, largest_count, level + 1);
                largest = records + begin;
                largest_count = run;
            } else {
                sort_records(records + begin, scratch, run, level + 1);
            }
        }
        if (largest_count == 0)
            return;
        records = largest;
        count = largest_count;
        ++level;
    }
}

// Fresh memory for records, asked for in large pages before it is touched.
std::unique_ptr<Record[]> fresh_records(std::size_t count)
{
    auto records = std::make_unique_for_overwrite<Record[]>(count);
    platform::prefer_large_pages(records.get(), count * sizeof(Record));
    return records;
}

template <SortKey kind>
std::string_view key_of(std::string_view entry)
{
    if constexpr (kind == SortKey::department)
        return department_key(entry);
    else
        return entry;
}

// The first byte of an entry's key, which the count of first bytes takes (an
// empty key is counted with NUL, as its records begin with a chunk of 0).
template <SortKey kind>
unsigned char first_byte(std::string_view entry)
{
    const std::string_view key = key_of<kind>(entry);
    return key.empty() ? 0 : static_cast<unsigned char>(key[0]);
}

// The records of a text's entries, sorted. The text is passed through once to
// count the keys' first bytes and once more to deal each record out at once to
// the part of its first byte, in the places that the count measured; then each
// part is sorted. Fresh memory is dear (every new page costs the system a
// fault): dealing records out as they are made leaves the sort scratch space
// for the largest part only, and needs no list of the entries in file order.
template <SortKey kind>
std::unique_ptr<Record[]> sorted_records(std::string_view text, std::size_t& count)
{
    std::array<std::size_t, 256> first_bytes{};
    // A record keeps the size of a key and where it begins in its entry in 32
    // bits: an entry that fits whole has a key that fits.
    constexpr std::size_t kLargest = std::numeric_limits<std::uint32_t>::max();
    bool fits = true;
    for_each_entry(text, [&](std::string_view entry) {
        if (entry.size() > kLargest) {
            const std::string_view key = key_of<kind>(entry);
            fits = fits && static_cast<std::size_t>(key.data() - entry.data()) <= kLargest && key.size() <= kLargest;
        }
        ++first_bytes[first_byte<kind>(entry)];
    });
    if (!fits)
        throw std::length_error("an entry too large for the sort");

    std::array<std::size_t, 257> starts{};
    std::size_t largest_part = 0;
    for (std::size_t byte = 0; byte < 256; ++byte) {
        largest_part = std::max(largest_part, first_bytes[byte]);
        starts[byte + 1] = starts[byte] + first_bytes[byte];
    }
    count = starts[256];
    auto records = fresh_records(count);
    auto next = starts;
    for_each_entry(text, [&](std::string_view entry) {
        const std::string_view key = key_of<kind>(entry);
        // The three chunks written out, each at a depth the compiler knows.
        static_assert(kCarried == 3);
        const Record record{{load_chunk(key.data(), key.size(), 0), load_chunk(key.data(), key.size(), kChunkBytes),
                             load_chunk(key.data(), key.size(), 2 * kChunkBytes)},
                            key.data(),
                            static_cast<std::uint32_t>(key.size()),
                            static_cast<std::uint32_t>(key.data() - entry.data())};
        records[next[record.chunks[0] >> 56]++] = record;
    });

    if (largest_part > 1) {
        const auto scratch = fresh_records(largest_part);
        for (std::size_t byte = 0; byte < 256; ++byte)
            sort_records(records.get() + starts[byte], scratch.get(), starts[byte + 1] - starts[byte], 0);
    }
    return records;
}

}  // namespace

SortedEntries::SortedEntries(std::string_view text, SortKey key)
{
    switch (key) {
    case SortKey::whole_entry: records_ = sorted_records<SortKey::whole_entry>(text, count_); break;
    case SortKey::department: records_ = sorted_records<SortKey::department>(text, count_); break;
    }
}

}  // namespace mordavelle
