// Subtract and join against the plainest model: the list of all less every
// entry some responder equals; both lists without repeats, first occurrences first.
#include "lists/join.h"
#include "lists/subtract.h"
#include "shell/entries.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first line end splits the input into the two lists.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto split = std::min(text.find('\n'), text.size());
    const auto first = shell::split_entries(text.substr(0, split));
    const auto second = shell::split_entries(text.substr(split));

    const auto dropped = lists::mark_responders(first, second);
    if (dropped.size() != first.size())
        std::abort();
    for (std::size_t i = 0; i < first.size(); ++i)
        if (dropped[i] != (std::find(second.begin(), second.end(), first[i]) != second.end()))
            std::abort();

    std::vector<std::string_view> expected;
    for (const auto* list : {&first, &second})
        for (const std::string_view entry : *list)
            if (std::find(expected.begin(), expected.end(), entry) == expected.end())
                expected.push_back(entry);
    if (lists::join(first, second) != expected)
        std::abort();
    return 0;
}
