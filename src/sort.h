// Sorting the entries of a list text where they lie, by a key that is a part
// of each entry: keys compared as unsigned bytes, the first differing byte
// deciding and a key that is the beginning of a longer one first; entries with
// equal keys in their input order.
#pragma once

#include "platform/hints.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace mordavelle {

// The department of an address: everything after its first at sign, or the
// whole entry when it has none.
constexpr std::string_view department_key(std::string_view entry)
{
    const auto at = entry.find('@');
    return at == std::string_view::npos ? entry : entry.substr(at + 1);
}

// Which part of each entry is its key.
enum class SortKey {
    whole_entry,  // the entry itself
    department,   // department_key(entry)
};

// The entries of a list text in the order of their keys, without a list of the
// entries in file order. The text must outlive it; the keys are read from it
// while the sort is made, the entries as they are handed out. A text with an
// entry that does not fit in a record (4 GiB or more before the end of its key)
// is refused with std::length_error, which the menu reports as too little memory.
class SortedEntries {
public:
    SortedEntries(std::string_view text, SortKey key);

    std::size_t size() const { return count_; }

    // Hands take() each whole entry in the order of the keys.
    template <typename Take>
    void for_each(Take take) const
    {
        for (std::size_t i = 0; i < count_; ++i) {
            // The records are in key order and the entries they lead to lie
            // all over the text, so entries some way ahead are asked for early.
            if (i + kPrefetchAhead < count_)
                platform::prefetch(records_[i + kPrefetchAhead].through_key().data());
            take(records_[i].through_key());
        }
    }

    // An entry in the sort: the first 21 bytes of its key as three numbers,
    // where the key is, and where the key begins in its entry.
    struct Record {
        std::array<std::uint64_t, 3> chunks;
        const char* key;
        std::uint32_t key_size;
        std::uint32_t key_offset;

        std::string_view key_bytes() const { return {key, key_size}; }
        std::string_view through_key() const { return {key - key_offset, std::size_t{key_size} + key_offset}; }
    };
    static_assert(sizeof(Record) <= 40, "the sort's speed rests on records of 40 bytes");

private:
    static constexpr std::size_t kPrefetchAhead = 12;

    std::size_t count_ = 0;
    std::unique_ptr<Record[]> records_;
};

}  // namespace mordavelle
