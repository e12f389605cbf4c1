// A set of distinct entries for the commands that test whole lists against
// one another. It holds no copies: each member is its place in a list of views
// that the caller keeps, stored with some bits of its hash in one open-
// addressing table of eight-byte slots, so that a million entries cost one
// array and a probe rarely reads the text of an entry that does not match.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace lists {

class EntrySet {
public:
    // A set over `entries`, with room for up to `most` members; the list must
    // outlive the set and keep its members in their places.
    EntrySet(const std::vector<std::string_view>& entries, std::size_t most) : entries_(entries)
    {
        if (most >= kNoPlace)
            throw std::length_error("too many entries for one set");
        // At most four slots in five are ever taken, and fewer when entries repeat.
        slots_.resize(std::bit_ceil(std::max<std::size_t>(16, most + most / 4)));
        mask_ = slots_.size() - 1;
    }

    // Adds entries[place] unless an equal entry is a member; true when added.
    bool insert(std::size_t place)
    {
        const std::string_view entry = entries_[place];
        const std::size_t hash = std::hash<std::string_view>{}(entry);
        std::size_t slot = hash & mask_;
        for (; slots_[slot] != 0; slot = (slot + 1) & mask_) {
            if (holds(slots_[slot], hash, entry))
                return false;
        }
        slots_[slot] = tag(hash) | (static_cast<std::uint64_t>(place) + 1);
        return true;
    }

    bool contains(std::string_view entry) const
    {
        const std::size_t hash = std::hash<std::string_view>{}(entry);
        for (std::size_t slot = hash & mask_; slots_[slot] != 0; slot = (slot + 1) & mask_) {
            if (holds(slots_[slot], hash, entry))
                return true;
        }
        return false;
    }

private:
    // A slot holds the member's place plus one in its low half (zero: empty)
    // and the high half of its hash in its high half.
    static constexpr std::uint64_t kNoPlace = 0xffffffffu;

    static std::uint64_t tag(std::size_t hash) { return static_cast<std::uint64_t>(hash) >> 32 << 32; }

    bool holds(std::uint64_t slot, std::size_t hash, std::string_view entry) const
    {
        return (slot >> 32 << 32) == tag(hash) && entries_[(slot & kNoPlace) - 1] == entry;
    }

    const std::vector<std::string_view>& entries_;
    std::vector<std::uint64_t> slots_;
    std::size_t mask_ = 0;
};

}  // namespace lists
