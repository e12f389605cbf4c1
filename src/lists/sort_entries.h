// Sorting in byte order: keys compared as unsigned bytes, the first differing
// byte deciding and a key that is the beginning of a longer one first. The
// entries of a list text are sorted where they lie, as are keys that a
// command makes in its own text; the sort itself is in sort_entries.cpp.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace lists {

// The department of an address: everything after its first at sign, or the
// whole entry when it has none.
constexpr std::string_view department_key(std::string_view entry)
{
    const auto at = entry.find('@');
    return at == std::string_view::npos ? entry : entry.substr(at + 1);
}

// The two orders a list is sorted in.
enum class SortOrder {
    bytes,       // whole entries in byte order
    department,  // department keys in byte order
};

// The entries of a list text in sorted order, entries with equal keys in
// their input order, without a list of the entries in file order. The text
// must outlive it. An entry whose key, or the part before its key, is 4 GiB
// or more is refused with std::length_error, which the menu reports as too
// little memory.
class SortedText {
public:
    SortedText(std::string_view text, SortOrder order);
    SortedText(const SortedText&) = delete;
    SortedText& operator=(const SortedText&) = delete;
    ~SortedText();

    std::size_t size() const { return count_; }
    std::string_view operator[](std::size_t i) const;

private:
    friend bool write_sorted(const std::string& name, const SortedText& sorted);

    struct Record;
    std::size_t count_ = 0;
    std::unique_ptr<Record[]> records_;
};

// Writes the sorted entries one per line; false when the file could not be
// created or written completely.
bool write_sorted(const std::string& name, const SortedText& sorted);

// Keys in byte order, keys that are equal in the order of their ties; what
// KeySorter gives.
class SortedKeys {
public:
    SortedKeys();
    SortedKeys(SortedKeys&&) noexcept;
    SortedKeys& operator=(SortedKeys&&) noexcept;
    ~SortedKeys();

    std::size_t size() const { return count_; }

    // Hands each key, in order, to take(key, tie).
    template <typename Take>
    void for_each(Take take) const
    {
        std::array<Key, kBatch> batch;
        for (std::size_t from = 0; from < count_; from += kBatch) {
            const std::size_t taken = read(from, batch);
            for (std::size_t i = 0; i < taken; ++i)
                take(batch[i].bytes, batch[i].tie);
        }
    }

private:
    friend class KeySorter;

    struct Record;
    struct Key {
        std::string_view bytes;
        std::size_t tie = 0;
    };
    // Keys are read out in batches, so that a walk through them calls into
    // the sort once for many keys rather than once for each.
    static constexpr std::size_t kBatch = 16;
    std::size_t read(std::size_t from, std::array<Key, kBatch>& batch) const;

    std::size_t count_ = 0;
    std::unique_ptr<Record[]> records_;
};

// Sorts keys that a caller makes one at a time, where they lie. Told first how
// many keys begin with each byte, it deals each key out to its part as it is
// added, which leaves the sort scratch space for the largest part only, and
// spares the caller a list of its keys.
class KeySorter {
public:
    // first_bytes[b]: how many of the keys to come begin with byte b, an
    // empty key counted as beginning with 0. Exactly those keys must follow.
    explicit KeySorter(const std::array<std::size_t, 256>& first_bytes);
    KeySorter(const KeySorter&) = delete;
    KeySorter& operator=(const KeySorter&) = delete;
    ~KeySorter();

    // A key, which must stay where it is, and the number that orders it among
    // equal keys; equal keys with equal ties keep the order they came in.
    void add(std::string_view key, std::size_t tie);

    // The keys in order; the sorter is spent. A key or a tie of 4 GiB or more
    // is refused here with std::length_error, not when it is added, so that a
    // caller can finish its own checks of every key first.
    SortedKeys sort();

private:
    struct Dealing;
    std::unique_ptr<Dealing> dealing_;
};

}  // namespace lists
