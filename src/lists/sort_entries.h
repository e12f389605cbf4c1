// Sorting entries in byte order: keys compared as unsigned bytes, the first
// differing byte deciding and a key that is the beginning of a longer one first.
// The entries stay views into the list text. The sort moves small records that
// carry seven bytes of each key as one number, so that it reads each byte of
// the text about once instead of once for every comparison.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace lists {

// The department of an address: everything after its first at sign, or the
// whole entry when it has none.
constexpr std::string_view department_key(std::string_view entry)
{
    const auto at = entry.find('@');
    return at == std::string_view::npos ? entry : entry.substr(at + 1);
}

namespace sort_detail {

// One entry in the sort: the key bytes from the current depth as a chunk, the
// entry itself, and where its key begins within it (a key is always a tail).
struct Item {
    std::uint64_t chunk;
    const char* entry;
    std::uint32_t entry_size;
    std::uint32_t key_offset;

    std::string_view key() const { return {entry + key_offset, entry_size - key_offset}; }
};

constexpr std::size_t kChunkBytes = 7;
constexpr std::uint64_t kKeyGoesOn = 8;

// The seven key bytes from depth, most significant first, then in the lowest
// byte how many key bytes are left from depth (0 to 7), or 8 when more follow.
// Chunks then compare as the keys do: a key that ends before another with the
// same bytes so far is the smaller, whatever byte the other goes on with.
inline std::uint64_t load_chunk(std::string_view key, std::size_t depth)
{
    const std::size_t left = key.size() > depth ? key.size() - depth : 0;
    const std::size_t count = std::min(left, kChunkBytes);
    std::uint64_t chunk = 0;
    for (std::size_t i = 0; i < count; ++i)
        chunk |= std::uint64_t{static_cast<unsigned char>(key[depth + i])} << (56 - 8 * i);
    return chunk | (left > kChunkBytes ? kKeyGoesOn : left);
}

// Whole-key order of two items whose keys agree before the depth their chunks were loaded at.
inline bool key_less(const Item& a, const Item& b, std::size_t depth)
{
    if (a.chunk != b.chunk)
        return a.chunk < b.chunk;
    if ((a.chunk & 0xff) != kKeyGoesOn)
        return false;
    return a.key().substr(depth + kChunkBytes) < b.key().substr(depth + kChunkBytes);
}

inline void insertion_sort(Item* items, std::size_t count, std::size_t depth)
{
    for (std::size_t i = 1; i < count; ++i) {
        const Item item = items[i];
        std::size_t j = i;
        for (; j > 0 && key_less(item, items[j - 1], depth); --j)
            items[j] = items[j - 1];
        items[j] = item;
    }
}

// Records that fit in a core's cache, where scattering them costs little.
constexpr std::size_t kCachedItems = std::size_t{1} << 15;

// A stable radix sort on the chunks, one byte a pass; a byte that is the same in
// every chunk costs no pass. A range too large for the cache is first split on
// its most significant differing byte, so that the passes over each part stay
// in the cache instead of scattering the whole range through memory each time.
inline void radix_sort_chunks(Item* items, Item* scratch, std::size_t count)
{
    std::array<std::array<std::size_t, 256>, 8> places{};
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t chunk = items[i].chunk;
        for (std::size_t digit = 0; digit < 8; ++digit)
            ++places[digit][(chunk >> (8 * digit)) & 0xff];
    }
    const auto varies = [&](std::size_t digit) { return places[digit][(items[0].chunk >> (8 * digit)) & 0xff] != count; };

    if (count > kCachedItems) {
        std::size_t digit = 8;
        while (digit > 0 && !varies(digit - 1))
            --digit;
        if (digit-- == 0)
            return;
        const unsigned shift = static_cast<unsigned>(8 * digit);
        std::array<std::size_t, 257> starts{};
        for (std::size_t byte = 0; byte < 256; ++byte)
            starts[byte + 1] = starts[byte] + places[digit][byte];
        auto next = starts;
        for (std::size_t i = 0; i < count; ++i)
            scratch[next[(items[i].chunk >> shift) & 0xff]++] = items[i];
        std::copy(scratch, scratch + count, items);
        for (std::size_t byte = 0; byte < 256; ++byte) {
            const std::size_t part = starts[byte + 1] - starts[byte];
            if (part > 1)
                radix_sort_chunks(items + starts[byte], scratch + starts[byte], part);
        }
        return;
    }

    Item* from = items;
    Item* to = scratch;
    for (std::size_t digit = 0; digit < 8; ++digit) {
        if (!varies(digit))
            continue;
        auto& place = places[digit];
        const unsigned shift = static_cast<unsigned>(8 * digit);
        std::size_t next = 0;
        for (auto& slot : place)
            next += std::exchange(slot, next);
        for (std::size_t i = 0; i < count; ++i)
            to[place[(from[i].chunk >> shift) & 0xff]++] = from[i];
        std::swap(from, to);
    }
    if (from != items)
        std::copy(from, from + count, items);
}

constexpr std::size_t kInsertionSortMax = 16;

inline void load_chunks(Item* items, std::size_t count, std::size_t depth)
{
    for (std::size_t i = 0; i < count; ++i)
        items[i].chunk = load_chunk(items[i].key(), depth);
}

// Sorts items whose keys agree before depth and whose chunks hold the bytes
// from depth, stably. The chunks are sorted, then each run of equal chunks
// whose keys go on is sorted on the next chunk. The largest run is taken by the
// loop rather than by recursion, so that the recursion stays shallow whatever
// the keys.
inline void sort_items(Item* items, Item* scratch, std::size_t count, std::size_t depth)
{
    for (;;) {
        if (count <= kInsertionSortMax) {
            insertion_sort(items, count, depth);
            return;
        }
        radix_sort_chunks(items, scratch, count);

        Item* largest = nullptr;
        std::size_t largest_count = 0;
        for (std::size_t begin = 0, end = 0; begin < count; begin = end) {
            for (end = begin + 1; end < count && items[end].chunk == items[begin].chunk; ++end) {
            }
            const std::size_t run = end - begin;
            if (run < 2 || (items[begin].chunk & 0xff) != kKeyGoesOn)
                continue;
            load_chunks(items + begin, run, depth + kChunkBytes);
            if (run > largest_count) {
                if (largest_count > 0)
                    sort_items(largest, scratch, largest_count, depth + kChunkBytes);
                largest = items + begin;
                largest_count = run;
            } else {
                sort_items(items + begin, scratch, run, depth + kChunkBytes);
            }
        }
        if (largest_count == 0)
            return;
        items = largest;
        count = largest_count;
        depth += kChunkBytes;
    }
}

// Sorts the entries by the keys that key_offset finds in them, stably.
// Fresh memory is dear (every new page costs the system a fault), so the
// records are dealt out by the first key byte as they are made, and the
// scratch space need only hold the largest of those parts.
template <typename KeyOffset>
void sort_by_key(std::vector<std::string_view>& entries, KeyOffset key_offset)
{
    const std::size_t count = entries.size();
    if (count < 2)
        return;
    const auto top_byte = [](std::uint64_t chunk) { return static_cast<std::size_t>(chunk >> 56); };

    std::array<std::size_t, 257> starts{};
    for (const std::string_view entry : entries) {
        // Records keep sizes in 32 bits; an entry of four gigabytes takes the plain way.
        if (entry.size() > std::numeric_limits<std::uint32_t>::max()) {
            std::stable_sort(entries.begin(), entries.end(), [&](std::string_view a, std::string_view b) {
                return a.substr(key_offset(a)) < b.substr(key_offset(b));
            });
            return;
        }
        const std::size_t offset = key_offset(entry);
        ++starts[1 + (offset < entry.size() ? static_cast<unsigned char>(entry[offset]) : 0)];
    }
    std::size_t largest_part = 0;
    for (std::size_t byte = 0; byte < 256; ++byte) {
        largest_part = std::max(largest_part, starts[byte + 1]);
        starts[byte + 1] += starts[byte];
    }

    const auto items = std::make_unique_for_overwrite<Item[]>(count);
    auto next = starts;
    for (const std::string_view entry : entries) {
        Item item{0, entry.data(), static_cast<std::uint32_t>(entry.size()), static_cast<std::uint32_t>(key_offset(entry))};
        item.chunk = load_chunk(item.key(), 0);
        items[next[top_byte(item.chunk)]++] = item;
    }
    const auto scratch = std::make_unique_for_overwrite<Item[]>(largest_part);
    for (std::size_t byte = 0; byte < 256; ++byte)
        sort_items(items.get() + starts[byte], scratch.get(), starts[byte + 1] - starts[byte], 0);
    for (std::size_t i = 0; i < count; ++i)
        entries[i] = {items[i].entry, items[i].entry_size};
}

}  // namespace sort_detail

// Byte order of whole entries; equal entries are indistinguishable.
inline void sort_by_bytes(std::vector<std::string_view>& entries)
{
    sort_detail::sort_by_key(entries, [](std::string_view) { return std::size_t{0}; });
}

// Order of department keys; addresses of one department keep their input order.
inline void sort_by_department(std::vector<std::string_view>& entries)
{
    sort_detail::sort_by_key(entries, [](std::string_view entry) { return entry.size() - department_key(entry).size(); });
}

}  // namespace lists
