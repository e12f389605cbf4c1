#pragma once

#include "lists/entry_set.h"
#include "shell/entries.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

namespace lists {

// Menu command S: writes Reminders.txt, the list of all less its responders.
void run_subtract();

// The list of responders as a set, against which the list of all is marked
// entry by entry: the command writes or drops each entry as it is marked, so
// no list of the entries of all and no list of marks is ever made.
class Responders {
public:
    // The list must outlive the set and keep its entries in their places.
    explicit Responders(const std::vector<std::string_view>& responders) : set_(responders, responders.size())
    {
        with_slots_ahead(
            set_, [&](auto visit) { std::for_each(responders.begin(), responders.end(), visit); },
            [this, place = std::size_t{0}](std::string_view, std::size_t hash) mutable { set_.insert(place++, hash); });
    }

    // Hands each entry of the list text `all` to take(entry, dropped), in
    // order; dropped is true where the entry equals some responder.
    template <typename Take>
    void mark(std::string_view all, Take take) const
    {
        with_slots_ahead(
            set_, [&](auto visit) { shell::for_each_entry(all, visit); },
            [&](std::string_view entry, std::size_t hash) { take(entry, set_.contains(entry, hash)); });
    }

private:
    EntrySet set_;
};

}  // namespace lists
