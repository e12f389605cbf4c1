// Sorting entries in byte order: keys compared as unsigned bytes, the first
// differing byte deciding and a key that is the beginning of a longer one first.
// The entries stay where they are, in the list text; the sort moves small
// records that carry the first 21 bytes of each key as three numbers, read
// while the text is passed through in order. Most keys differ within those
// bytes, so the sort seldom has to look into the text again, where every look
// at a far-off entry is a wait for memory.
#pragma once

#include "platform/platform.h"
#include "shell/list_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace lists {

// The department of an address: everything after its first at sign, or the
// whole entry when it has none.
constexpr std::string_view department_key(std::string_view entry)
{
    const auto at = entry.find('@');
    return at == std::string_view::npos ? entry : entry.substr(at + 1);
}

namespace sort_detail {

constexpr std::size_t kChunkBytes = 7;
constexpr std::size_t kCarried = 3;
constexpr std::uint64_t kKeyGoesOn = 8;

// One key in the sort: three chunks of its bytes, where it is, and one number
// that travels with it (where the key begins in its entry, or what the caller
// needs to tell equal keys apart).
struct Item {
    std::array<std::uint64_t, kCarried> chunks;
    const char* key;
    std::uint32_t key_size;
    std::uint32_t extra;

    std::string_view key_view() const { return {key, key_size}; }
};

// The seven key bytes from depth, most significant first, then in the lowest
// byte how many key bytes are left from depth (0 to 7), or 8 when more follow.
// Chunks then compare as the keys do: a key that ends before another with the
// same bytes so far is the smaller, whatever byte the other goes on with.
inline std::uint64_t load_chunk(const char* key, std::size_t size, std::size_t depth)
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

// Whole-key order of two items whose keys agree before `level`'s depth, and
// then of their numbers when `ties` asks for it.
inline bool item_less(const Item& a, const Item& b, std::size_t level, bool ties)
{
    const std::size_t slot = level % kCarried;
    if (a.chunks[slot] != b.chunks[slot])
        return a.chunks[slot] < b.chunks[slot];
    if ((a.chunks[slot] & 0xff) == kKeyGoesOn) {
        const std::size_t depth = (level + 1) * kChunkBytes;
        const int order = a.key_view().substr(depth).compare(b.key_view().substr(depth));
        if (order != 0)
            return order < 0;
    }
    return ties && a.extra < b.extra;
}

inline void insertion_sort(Item* items, std::size_t count, std::size_t level, bool ties)
{
    for (std::size_t i = 1; i < count; ++i) {
        const Item item = items[i];
        std::size_t j = i;
        for (; j > 0 && item_less(item, items[j - 1], level, ties); --j)
            items[j] = items[j - 1];
        items[j] = item;
    }
}

// Records that fit in a core's cache, where scattering them costs little.
constexpr std::size_t kCachedItems = std::size_t{1} << 14;

// A stable radix sort on one chunk, one byte a pass; a byte that is the same in
// every chunk costs no pass. A range too large for the cache is first split on
// its most significant differing byte, so that the passes over each part stay
// in the cache instead of scattering the whole range through memory each time.
inline void radix_sort_chunks(Item* items, Item* scratch, std::size_t count, std::size_t slot)
{
    std::array<std::array<std::size_t, 256>, 8> places{};
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t chunk = items[i].chunks[slot];
        for (std::size_t digit = 0; digit < 8; ++digit)
            ++places[digit][(chunk >> (8 * digit)) & 0xff];
    }
    const std::uint64_t first = items[0].chunks[slot];
    const auto varies = [&](std::size_t digit) { return places[digit][(first >> (8 * digit)) & 0xff] != count; };

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
            scratch[next[(items[i].chunks[slot] >> shift) & 0xff]++] = items[i];
        std::copy(scratch, scratch + count, items);
        for (std::size_t byte = 0; byte < 256; ++byte) {
            const std::size_t part = starts[byte + 1] - starts[byte];
            if (part > 1)
                radix_sort_chunks(items + starts[byte], scratch + starts[byte], part, slot);
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
        for (auto& slot_place : place)
            next += std::exchange(slot_place, next);
        for (std::size_t i = 0; i < count; ++i)
            to[place[(from[i].chunks[slot] >> shift) & 0xff]++] = from[i];
        std::swap(from, to);
    }
    if (from != items)
        std::copy(from, from + count, items);
}

constexpr std::size_t kInsertionSortMax = 16;

// Sorts items whose keys agree before the depth of `level`, stably. The chunks
// of the level are sorted, then each run of equal chunks whose keys go on is
// sorted on the next level, whose chunk the items carry for the first three
// levels and fetch from the text after that. The largest run is taken by the
// loop rather than by recursion, so that the recursion stays shallow whatever
// the keys.
inline void sort_items(Item* items, Item* scratch, std::size_t count, std::size_t level, bool ties)
{
    for (;;) {
        if (count <= kInsertionSortMax) {
            insertion_sort(items, count, level, ties);
            return;
        }
        const std::size_t slot = level % kCarried;
        radix_sort_chunks(items, scratch, count, slot);

        Item* largest = nullptr;
        std::size_t largest_count = 0;
        for (std::size_t begin = 0, end = 0; begin < count; begin = end) {
            const std::uint64_t chunk = items[begin].chunks[slot];
            for (end = begin + 1; end < count && items[end].chunks[slot] == chunk; ++end) {
            }
            const std::size_t run = end - begin;
            if (run < 2)
                continue;
            if ((chunk & 0xff) != kKeyGoesOn) {
                // Equal keys: in input order, or in the order of their numbers.
                const auto by_extra = [](const Item& a, const Item& b) { return a.extra < b.extra; };
                if (ties && !std::is_sorted(items + begin, items + end, by_extra))
                    std::stable_sort(items + begin, items + end, by_extra);
                continue;
            }
            if (level + 1 >= kCarried) {
                const std::size_t depth = (level + 1) * kChunkBytes;
                for (Item* item = items + begin; item != items + end; ++item)
                    item->chunks[(level + 1) % kCarried] = load_chunk(item->key, item->key_size, depth);
            }
            if (run > largest_count) {
                if (largest_count > 0)
                    sort_items(largest, scratch, largest_count, level + 1, ties);
                largest = items + begin;
                largest_count = run;
            } else {
                sort_items(items + begin, scratch, run, level + 1, ties);
            }
        }
        if (largest_count == 0)
            return;
        items = largest;
        count = largest_count;
        ++level;
    }
}

// Fresh memory for records, asked for in large pages before it is touched.
inline std::unique_ptr<Item[]> fresh_items(std::size_t count)
{
    auto items = std::make_unique_for_overwrite<Item[]>(count);
    platform::prefer_large_pages(items.get(), count * sizeof(Item));
    return items;
}

// The one limit of the sort: a record keeps the size of its key, and its
// number, in 32 bits.
constexpr std::size_t kLargestKey = std::numeric_limits<std::uint32_t>::max();

// How many keys begin with each byte, as the places where each byte's part
// of the records begins.
struct KeyCounts {
    std::array<std::size_t, 257> starts{};

    std::size_t total() const
    {
        std::size_t sum = 0;
        for (const std::size_t count : starts)
            sum += count;
        return sum;
    }
};

// `for_each_key(take)` calls take(key, number) for each key in order.
template <typename ForEachKey>
KeyCounts count_keys(ForEachKey for_each_key)
{
    KeyCounts counts;
    for_each_key([&counts](std::string_view key, std::size_t) {
        ++counts.starts[1 + (key.empty() ? 0 : static_cast<unsigned char>(key[0]))];
    });
    return counts;
}

// Records made from keys as they come, each dealt out at once to the part of
// its first key byte, in the places that a count of the keys has measured;
// then each part is sorted, stably, and with equal keys in the order of their
// numbers when `ties` is set. Fresh memory is dear (every new page costs the
// system a fault): dealing records out as they are made leaves the sort
// scratch space for the largest part only. A key or a number of 4 GiB or more
// does not fit a record: the sort refuses it with std::length_error, which
// the menu reports as too little memory, as it does for a set of too many
// entries. It is refused when the sort begins, not when it is dealt, so that
// a caller can finish its own checks of every key first.
class DealtItems {
public:
    explicit DealtItems(const KeyCounts& counts) : starts_(counts.starts)
    {
        for (std::size_t byte = 0; byte < 256; ++byte) {
            largest_part_ = std::max(largest_part_, starts_[byte + 1]);
            starts_[byte + 1] += starts_[byte];
        }
        items_ = fresh_items(starts_[256]);
        next_ = starts_;
    }

    void deal(std::string_view key, std::size_t extra)
    {
        if (key.size() > kLargestKey || extra > kLargestKey) {
            too_large_ = true;
            return;
        }
        Item item{{}, key.data(), static_cast<std::uint32_t>(key.size()), static_cast<std::uint32_t>(extra)};
        for (std::size_t slot = 0; slot < kCarried; ++slot)
            item.chunks[slot] = load_chunk(item.key, key.size(), slot * kChunkBytes);
        items_[next_[static_cast<std::size_t>(item.chunks[0] >> 56)]++] = item;
    }

    std::unique_ptr<Item[]> sort(bool ties)
    {
        if (too_large_)
            throw std::length_error("a key too large for the sort");
        if (largest_part_ > 1) {
            const auto scratch = fresh_items(largest_part_);
            for (std::size_t byte = 0; byte < 256; ++byte)
                sort_items(items_.get() + starts_[byte], scratch.get(), starts_[byte + 1] - starts_[byte], 0, ties);
        }
        return std::move(items_);
    }

private:
    std::array<std::size_t, 257> starts_;
    std::array<std::size_t, 257> next_{};
    std::size_t largest_part_ = 0;
    bool too_large_ = false;
    std::unique_ptr<Item[]> items_;
};

// Sorts the keys that count_keys has counted; for_each_key must hand over the
// same keys again.
template <typename ForEachKey>
std::unique_ptr<Item[]> deal_and_sort(const KeyCounts& counts, ForEachKey for_each_key, bool ties)
{
    DealtItems dealt(counts);
    for_each_key([&dealt](std::string_view key, std::size_t extra) { dealt.deal(key, extra); });
    return dealt.sort(ties);
}

// The keys that key_offset finds in the entries of a list text, each an
// entry's tail, handed over as count_keys and deal_and_sort ask for them.
template <typename KeyOffset>
auto text_keys(std::string_view text, KeyOffset key_offset)
{
    return [text, key_offset](auto take) {
        shell::for_each_entry(text, [&](std::string_view entry) {
            const std::size_t offset = key_offset(entry);
            take(entry.substr(offset), offset);
        });
    };
}

inline std::size_t no_offset(std::string_view)
{
    return 0;
}

inline std::size_t department_offset(std::string_view entry)
{
    return entry.size() - department_key(entry).size();
}

}  // namespace sort_detail

// The two orders a list is sorted in.
enum class SortOrder {
    bytes,       // whole entries in byte order
    department,  // department keys in byte order
};

// The entries of a list text in sorted order, entries with equal keys in
// their input order, without a list of the entries in file order: records
// made straight from the text are sorted, and the entries are read out of
// them in turn. An entry of 4 GiB or more is refused with std::length_error.
class SortedText {
public:
    SortedText(std::string_view text, SortOrder order);

    std::size_t size() const { return count_; }
    std::string_view operator[](std::size_t i) const
    {
        const sort_detail::Item& item = items_[i];
        return {item.key - item.extra, std::size_t{item.key_size} + item.extra};
    }

private:
    template <typename ForEachKey>
    void sort(ForEachKey for_each_key)
    {
        const auto counts = sort_detail::count_keys(for_each_key);
        count_ = counts.total();
        items_ = sort_detail::deal_and_sort(counts, for_each_key, false);
    }

    std::size_t count_ = 0;
    std::unique_ptr<sort_detail::Item[]> items_;
};

inline SortedText::SortedText(std::string_view text, SortOrder order)
{
    if (order == SortOrder::department)
        sort(sort_detail::text_keys(text, sort_detail::department_offset));
    else
        sort(sort_detail::text_keys(text, sort_detail::no_offset));
}

// How many entries ahead of the one being written are asked for early.
constexpr std::size_t kPrefetchAhead = 12;

// Writes the sorted entries one per line; false when the file could not be
// created or written completely.
inline bool write_sorted(const std::string& name, const SortedText& sorted)
{
    shell::OutputFile out;
    if (!out.open(name))
        return false;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (i + kPrefetchAhead < sorted.size())
            platform::prefetch(sorted[i + kPrefetchAhead].data());
        out.write_line(sorted[i]);
    }
    return out.close();
}

}  // namespace lists
