// A set of distinct entries for the commands that test whole lists against
// one another. It holds no copies: each member is its place in a list of views
// that the caller keeps, stored with some bits of its hash in one open-
// addressing table of eight-byte slots, so that a million entries cost one
// array and a probe rarely reads the text of an entry that does not match.
#pragma once

#include "platform/hints.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace mordavelle {

class EntrySet {
public:
    // A set over `entries`, with room for up to `most` members; the list must
    // outlive the set and keep its members in their places.
    EntrySet(const std::vector<std::string_view>& entries, std::size_t most) : entries_(entries)
    {
        if (most >= kNoPlace)
            throw std::length_error("too many entries for one set");
        // At most four slots in five are ever taken, and fewer when entries repeat.
        const std::size_t size = std::bit_ceil(std::max<std::size_t>(16, most + most / 4));
        // Fresh zeroed memory from the system needs no clearing, and pages
        // that no member ever reaches are never touched at all.
        slots_.reset(static_cast<std::uint64_t*>(std::calloc(size, sizeof(std::uint64_t))));
        if (!slots_)
            throw std::bad_alloc();
        platform::prefer_large_pages(slots_.get(), size * sizeof(std::uint64_t));
        mask_ = size - 1;
    }

    static std::size_t hash(std::string_view entry) { return std::hash<std::string_view>{}(entry); }

    // Asks early for the slot where a probe for that hash begins.
    void prefetch(std::size_t hash) const { platform::prefetch(&slots_[hash & mask_]); }

    // Adds entries[place], whose hash is given, unless an equal entry is a
    // member; true when added.
    bool insert(std::size_t place, std::size_t hash)
    {
        const std::string_view entry = entries_[place];
        std::size_t slot = hash & mask_;
        for (; slots_[slot] != 0; slot = (slot + 1) & mask_) {
            if (holds(slots_[slot], hash, entry))
                return false;
        }
        slots_[slot] = tag(hash) | (static_cast<std::uint64_t>(place) + 1);
        return true;
    }

    bool contains(std::string_view entry, std::size_t hash) const
    {
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

    struct Free {
        void operator()(std::uint64_t* slots) const { std::free(slots); }
    };

    static std::uint64_t tag(std::size_t hash) { return static_cast<std::uint64_t>(hash) >> 32 << 32; }

    bool holds(std::uint64_t slot, std::size_t hash, std::string_view entry) const
    {
        return (slot >> 32 << 32) == tag(hash) && entries_[(slot & kNoPlace) - 1] == entry;
    }

    const std::vector<std::string_view>& entries_;
    std::unique_ptr<std::uint64_t[], Free> slots_;
    std::size_t mask_ = 0;
};

// The entries of a list of views one at a time, as EntryCursor gives
// those of a text: an empty view at the end. The list holds no empty entry.
class ListCursor {
public:
    explicit ListCursor(const std::vector<std::string_view>& entries)
        : at_(entries.data()), end_(entries.data() + entries.size())
    {
    }

    std::string_view next() { return at_ == end_ ? std::string_view{} : *at_++; }

private:
    const std::string_view* at_;
    const std::string_view* end_;
};

struct HashedEntry {
    std::string_view entry;
    std::size_t hash = 0;
};

// Hands out the entries of a cursor (an EntryCursor or a ListCursor)
// in order with their hashes, each some entries after hashing it and asking
// for its slot in the set: the slots of a large set lie far apart in memory,
// and asking early lets the waits for several of them overlap instead of
// coming one by one.
template <typename Cursor>
class SlotsAhead {
public:
    SlotsAhead(const EntrySet& set, Cursor cursor) : set_(set), cursor_(cursor)
    {
        while (waiting_ < kAhead && pull(waiting_))
            ++waiting_;
    }

    // The next entry and its hash; an empty entry at the end.
    HashedEntry next()
    {
        if (waiting_ == 0)
            return {};
        const HashedEntry taken = ahead_[at_];
        // Once the cursor has run out, the entries still waiting follow in
        // the places after this one.
        if (!pull(at_))
            --waiting_;
        at_ = (at_ + 1) % kAhead;
        return taken;
    }

private:
    static constexpr std::size_t kAhead = 16;

    // Puts the cursor's next entry in a place of the ring; false at the end.
    bool pull(std::size_t place)
    {
        const std::string_view entry = cursor_.next();
        if (entry.empty())
            return false;
        ahead_[place] = {entry, EntrySet::hash(entry)};
        set_.prefetch(ahead_[place].hash);
        return true;
    }

    const EntrySet& set_;
    Cursor cursor_;
    std::array<HashedEntry, kAhead> ahead_{};
    std::size_t waiting_ = 0;
    std::size_t at_ = 0;
};

// The list of responders as a set, against which the list of all is marked
// entry by entry: S writes or drops each entry as it is marked, so no list of
// the entries of all and no list of marks is ever made.
class Responders {
public:
    // The list must outlive the set and keep its entries in their places.
    explicit Responders(const std::vector<std::string_view>& responders) : set_(responders, responders.size())
    {
        SlotsAhead ahead(set_, ListCursor(responders));
        for (std::size_t place = 0; place < responders.size(); ++place)
            set_.insert(place, ahead.next().hash);
    }

    // Hands each entry of the list of all, as the cursor gives them, to
    // take(entry, dropped), in order; dropped is true where the entry equals
    // some responder.
    template <typename Cursor, typename Take>
    void mark(Cursor all, Take take) const
    {
        SlotsAhead ahead(set_, all);
        for (HashedEntry next = ahead.next(); !next.entry.empty(); next = ahead.next())
            take(next.entry, set_.contains(next.entry, next.hash));
    }

private:
    EntrySet set_;
};

// Every distinct entry of two cursors once, at its first occurrence, as J
// joins two lists: the entries of the first in order, then those of the
// second that the first does not hold. `most` bounds how many they hold.
template <typename Cursor>
std::vector<std::string_view> join_entries(Cursor first, Cursor second, std::size_t most)
{
    std::vector<std::string_view> joined;
    joined.reserve(most);
    platform::prefer_large_pages(joined.data(), most * sizeof(std::string_view));
    EntrySet seen(joined, most);
    for (Cursor* cursor : {&first, &second}) {
        SlotsAhead ahead(seen, *cursor);
        for (HashedEntry next = ahead.next(); !next.entry.empty(); next = ahead.next()) {
            joined.push_back(next.entry);
            if (!seen.insert(joined.size() - 1, next.hash))
                joined.pop_back();
        }
    }
    return joined;
}

}  // namespace mordavelle
