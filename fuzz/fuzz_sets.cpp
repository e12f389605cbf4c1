// Subtract and join against the plainest model: the list of all less every
// entry some responder equals; both lists without repeats, first occurrences first.
#include "entry_set.h"
#include "text.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first line end splits the input into the two lists.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto split = std::min(text.find('\n'), text.size());
    const auto first = mordavelle::split_entries(text.substr(0, split));
    const auto second = mordavelle::split_entries(text.substr(split));

    // The list of all is marked from its text, as the command marks it.
    std::size_t marked = 0;
    const mordavelle::EntryCursor all(text.substr(0, split));
    mordavelle::Responders(second).mark(all, [&](std::string_view entry, bool dropped) {
        if (marked >= first.size() || entry.data() != first[marked].data() || entry != first[marked])
            std::abort();
        if (dropped != (std::find(second.begin(), second.end(), entry) != second.end()))
            std::abort();
        ++marked;
    });
    if (marked != first.size())
        std::abort();

    std::vector<std::string_view> expected;
    for (const auto* list : {&first, &second})
        for (const std::string_view entry : *list)
            if (std::find(expected.begin(), expected.end(), entry) == expected.end())
                expected.push_back(entry);
    // Joined from the texts, as the command joins them, with a bound of both counts.
    const mordavelle::EntryCursor second_entries(text.substr(split));
    if (mordavelle::join_entries(all, second_entries, first.size() + second.size()) != expected)
        std::abort();
    return 0;
}
