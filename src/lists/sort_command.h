// The one run of the two sort commands, A and D, which differ only in their
// texts, their key and what a missing list does.
#pragma once

#include "lists/engine/sort_entries.h"

#include <span>
#include <string_view>

namespace lists {

// What sets a sort command apart.
struct SortCommand {
    std::span<const std::string_view> introduction;  // the lines before the stem is read
    SortKey key;
    std::string_view result_suffix;  // the result is the stem followed by it
    bool missing_list_ends;          // or it is reported and the menu comes back
    std::string_view cant_write;     // before the result's name when it cannot be written
    std::string_view closing_word;   // of a failure
    std::string_view sorted;         // before the result's name when it is written
};

// Asks for a list, sorts its entries by the command's key and writes them to
// the result, one a line.
void run_sort_command(const SortCommand& command);

}  // namespace lists
