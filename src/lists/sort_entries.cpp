// The sort behind sort_entries.h. The keys stay where they are, in the list
// text; the sort moves small records that carry the first 21 bytes of each key
// as three numbers, read while the text is passed through in order. Most keys
// differ within those bytes, so the sort seldom has to look into the text
// again, where every look at a far-off key is a wait for memory.
#include "lists/sort_entries.h"

#include "platform/hints.h"
#include "shell/entries.h"
#include "shell/list_file.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <utility>

namespace lists {
namespace {

constexpr std::size_t kChunkBytes = 7;
constexpr std::size_t kCarried = 3;
constexpr std::uint64_t kKeyGoesOn = 8;

// The one limit of the sort: a record keeps the size of its key, and the
// number that comes with the key, in 32 bits.
constexpr std::size_t kLargestInRecord = std::numeric_limits<std::uint32_t>::max();

// How many keys ahead of the one being read out are asked for early: the
// records are in key order, and the keys they lead to lie all over the text.
constexpr std::size_t kPrefetchAhead = 12;

}  // namespace

// An entry in the sort: three chunks of its key, where the key is, and where
// the key begins in its entry, from which the entry is read out again.
struct SortedText::Record {
    std::array<std::uint64_t, kCarried> chunks;
    const char* key;
    std::uint32_t key_size;
    std::uint32_t key_offset;

    std::string_view entry() const { return {key - key_offset, std::size_t{key_size} + key_offset}; }
};

// A key in the sort: three chunks of it, where it is, and the number that
// orders it among equal keys.
struct SortedKeys::Record {
    std::array<std::uint64_t, kCarried> chunks;
    const char* key;
    std::uint32_t key_size;
    std::uint32_t tie;
};

namespace {

// Equal keys keep their input order, unless their records carry a tie.
template <typename Record>
constexpr bool kOrdersTies = requires(const Record& record) { record.tie; };

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

template <typename Record>
std::string_view key_of(const Record& record)
{
    return {record.key, record.key_size};
}

// Whole-key order of two records whose keys agree before `level`'s depth, and
// then the order of their ties where they carry them.
template <typename Record>
bool record_less(const Record& a, const Record& b, std::size_t level)
{
    const std::size_t slot = level % kCarried;
    if (a.chunks[slot] != b.chunks[slot])
        return a.chunks[slot] < b.chunks[slot];
    if ((a.chunks[slot] & 0xff) == kKeyGoesOn) {
        const std::size_t depth = (level + 1) * kChunkBytes;
        const int order = key_of(a).substr(depth).compare(key_of(b).substr(depth));
        if (order != 0)
            return order < 0;
    }
    if constexpr (kOrdersTies<Record>)
        return a.tie < b.tie;
    else
        return false;
}

template <typename Record>
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
// every chunk costs no pass. A range too large for the cache is first split on
// its most significant differing byte, so that the passes over each part stay
// in the cache instead of scattering the whole range through memory each time.
template <typename Record>
void radix_sort_chunks(Record* records, Record* scratch, std::size_t count, std::size_t slot)
{
    std::array<std::array<std::size_t, 256>, 8> places{};
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t chunk = records[i].chunks[slot];
        for (std::size_t digit = 0; digit < 8; ++digit)
            ++places[digit][(chunk >> (8 * digit)) & 0xff];
    }
    const std::uint64_t first = records[0].chunks[slot];
    const auto varies = [&](std::size_t digit) { return places[digit][(first >> (8 * digit)) & 0xff] != count; };

    if (count > kCachedRecords) {
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
            scratch[next[(records[i].chunks[slot] >> shift) & 0xff]++] = records[i];
        std::copy(scratch, scratch + count, records);
        for (std::size_t byte = 0; byte < 256; ++byte) {
            const std::size_t part = starts[byte + 1] - starts[byte];
            if (part > 1)
                radix_sort_chunks(records + starts[byte], scratch + starts[byte], part, slot);
        }
        return;
    }

    Record* from = records;
    Record* to = scratch;
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
    if (from != records)
        std::copy(from, from + count, records);
}

constexpr std::size_t kInsertionSortMax = 16;

// Sorts records whose keys agree before the depth of `level`, stably. The
// chunks of the level are sorted, then each run of equal chunks whose keys go
// on is sorted on the next level, whose chunk the records carry for the first
// three levels and fetch from the text after that. The largest run is taken
// by the loop rather than by recursion, so that the recursion stays shallow
// whatever the keys.
template <typename Record>
void sort_records(Record* records, Record* scratch, std::size_t count, std::size_t level)
{
    for (;;) {
        if (count <= kInsertionSortMax) {
            insertion_sort(records, count, level);
            return;
        }
        const std::size_t slot = level % kCarried;
        radix_sort_chunks(records, scratch, count, slot);

        Record* largest = nullptr;
        std::size_t largest_count = 0;
        for (std::size_t begin = 0, end = 0; begin < count; begin = end) {
            const std::uint64_t chunk = records[begin].chunks[slot];
            for (end = begin + 1; end < count && records[end].chunks[slot] == chunk; ++end) {
            }
            const std::size_t run = end - begin;
            if (run < 2)
                continue;
            if ((chunk & 0xff) != kKeyGoesOn) {
                // Equal keys: in input order, or in the order of their ties.
                if constexpr (kOrdersTies<Record>) {
                    const auto by_tie = [](const Record& a, const Record& b) { return a.tie < b.tie; };
                    if (!std::is_sorted(records + begin, records + end, by_tie))
                        std::stable_sort(records + begin, records + end, by_tie);
                }
                continue;
            }
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
template <typename Record>
std::unique_ptr<Record[]> fresh_records(std::size_t count)
{
    auto records = std::make_unique_for_overwrite<Record[]>(count);
    platform::prefer_large_pages(records.get(), count * sizeof(Record));
    return records;
}

// Records made from keys as they come, each dealt out at once to the part of
// its first key byte, in the places that a count of the keys has measured;
// then each part is sorted. Fresh memory is dear (every new page costs the
// system a fault): dealing records out as they are made leaves the sort
// scratch space for the largest part only. A key or a number of 4 GiB or more
// does not fit a record; it is noted as it comes, and the sort refuses it with
// std::length_error.
template <typename Record>
class DealtRecords {
public:
    explicit DealtRecords(const std::array<std::size_t, 256>& first_bytes)
    {
        for (std::size_t byte = 0; byte < 256; ++byte) {
            largest_part_ = std::max(largest_part_, first_bytes[byte]);
            starts_[byte + 1] = starts_[byte] + first_bytes[byte];
        }
        records_ = fresh_records<Record>(starts_[256]);
        next_ = starts_;
    }

    std::size_t size() const { return starts_[256]; }

    // The number goes into the record's last field: where the key begins in
    // its entry, or its tie.
    void deal(std::string_view key, std::size_t number)
    {
        if (key.size() > kLargestInRecord || number > kLargestInRecord) {
            too_large_ = true;
            return;
        }
        // The three chunks written out, each at a depth the compiler knows.
        static_assert(kCarried == 3);
        const Record record{{load_chunk(key.data(), key.size(), 0), load_chunk(key.data(), key.size(), kChunkBytes),
                             load_chunk(key.data(), key.size(), 2 * kChunkBytes)},
                            key.data(),
                            static_cast<std::uint32_t>(key.size()),
                            static_cast<std::uint32_t>(number)};
        const auto first_byte = static_cast<std::size_t>(record.chunks[0] >> 56);
        assert(next_[first_byte] < starts_[first_byte + 1] && "more keys begin with this byte than were counted");
        records_[next_[first_byte]++] = record;
    }

    std::unique_ptr<Record[]> sort()
    {
        if (too_large_)
            throw std::length_error("a key too large for the sort");
        assert(std::equal(next_.begin(), next_.end() - 1, starts_.begin() + 1) && "fewer keys came than were counted");
        if (largest_part_ > 1) {
            const auto scratch = fresh_records<Record>(largest_part_);
            for (std::size_t byte = 0; byte < 256; ++byte)
                sort_records(records_.get() + starts_[byte], scratch.get(), starts_[byte + 1] - starts_[byte], 0);
        }
        return std::move(records_);
    }

private:
    std::array<std::size_t, 257> starts_{};
    std::array<std::size_t, 257> next_{};
    std::size_t largest_part_ = 0;
    bool too_large_ = false;
    std::unique_ptr<Record[]> records_;
};

// The entries of a list text dealt out as records of the keys that key_offset
// finds in them, each key an entry's tail: the text is passed through once to
// count the keys' first bytes, and once more to deal.
template <typename Record, typename KeyOffset>
DealtRecords<Record> dealt_entries(std::string_view text, KeyOffset key_offset)
{
    std::array<std::size_t, 256> first_bytes{};
    shell::for_each_entry(text, [&](std::string_view entry) {
        const std::string_view key = entry.substr(key_offset(entry));
        ++first_bytes[key.empty() ? 0 : static_cast<unsigned char>(key[0])];
    });
    DealtRecords<Record> dealt(first_bytes);
    shell::for_each_entry(text, [&](std::string_view entry) {
        const std::size_t offset = key_offset(entry);
        dealt.deal(entry.substr(offset), offset);
    });
    return dealt;
}

// Where the key begins in an entry, in each order.
constexpr auto kWholeEntry = [](std::string_view) { return std::size_t{0}; };
constexpr auto kDepartment = [](std::string_view entry) { return entry.size() - department_key(entry).size(); };

}  // namespace

SortedText::SortedText(std::string_view text, SortOrder order)
{
    static_assert(sizeof(Record) <= 40, "the sort's speed rests on records of 40 bytes");
    auto dealt = order == SortOrder::department ? dealt_entries<Record>(text, kDepartment)
                                                : dealt_entries<Record>(text, kWholeEntry);
    records_ = dealt.sort();
    count_ = dealt.size();
}

SortedText::~SortedText() = default;

std::string_view SortedText::operator[](std::size_t i) const
{
    return records_[i].entry();
}

bool write_sorted(const std::string& name, const SortedText& sorted)
{
    shell::OutputFile out;
    if (!out.open(name))
        return false;
    const SortedText::Record* const records = sorted.records_.get();
    for (std::size_t i = 0; i < sorted.count_; ++i) {
        if (i + kPrefetchAhead < sorted.count_)
            platform::prefetch(records[i + kPrefetchAhead].entry().data());
        out.write_line(records[i].entry());
    }
    return out.close();
}

SortedKeys::SortedKeys() = default;

SortedKeys::SortedKeys(SortedKeys&& other) noexcept
    : count_(std::exchange(other.count_, 0)), records_(std::move(other.records_))
{
}

SortedKeys& SortedKeys::operator=(SortedKeys&& other) noexcept
{
    count_ = std::exchange(other.count_, 0);
    records_ = std::move(other.records_);
    return *this;
}

SortedKeys::~SortedKeys() = default;

std::size_t SortedKeys::read(std::size_t from, std::array<Key, kBatch>& batch) const
{
    const std::size_t taken = std::min(kBatch, count_ - from);
    for (std::size_t i = 0; i < taken; ++i) {
        const std::size_t at = from + i;
        if (at + kPrefetchAhead < count_)
            platform::prefetch(records_[at + kPrefetchAhead].key);
        batch[i] = {key_of(records_[at]), records_[at].tie};
    }
    return taken;
}

struct KeySorter::Dealing : DealtRecords<SortedKeys::Record> {
    using DealtRecords::DealtRecords;
};

KeySorter::KeySorter(const std::array<std::size_t, 256>& first_bytes)
    : dealing_(std::make_unique<Dealing>(first_bytes))
{
    static_assert(sizeof(SortedKeys::Record) <= 40, "the sort's speed rests on records of 40 bytes");
}

KeySorter::~KeySorter() = default;

void KeySorter::add(std::string_view key, std::size_t tie)
{
    dealing_->deal(key, tie);
}

SortedKeys KeySorter::sort()
{
    SortedKeys sorted;
    sorted.records_ = dealing_->sort();
    sorted.count_ = dealing_->size();
    return sorted;
}

}  // namespace lists
