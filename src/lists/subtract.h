#pragma once

#include "lists/engine/entry_set.h"
#include "shell/engine/entries.h"

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

}  // namespace lists
