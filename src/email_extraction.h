// What E does to a text, in memory: its break characters made line ends, and
// the words with at signs handed out.
#pragma once

#include "entries.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <string_view>

namespace mordavelle {

// Turns each of the five break characters ( ) , < > into a line end, in place,
// so that an address in brackets or followed by a comma stands as a word alone.
void break_text(std::span<char> text);

// Hands each white-space-delimited word of the text that holds an at sign to
// `take`, in text order, as a view into the text; a word with k at signs is
// handed over k times in a row.
template <typename Take>
void for_each_word_with_at_signs(std::string_view text, Take take)
{
    // Everything before `unseen` belongs to words already handed over or to white space.
    std::size_t unseen = 0;
    for (std::size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', unseen)) {
        std::size_t start = at;
        while (start > unseen && !is_separator(static_cast<unsigned char>(text[start - 1])))
            --start;
        const char* const stop = find_separator(text.data() + at, text.data() + text.size());
        const auto end = static_cast<std::size_t>(stop - text.data());
        const std::string_view word = text.substr(start, end - start);
        for (auto at_signs = std::count(text.data() + at, stop, '@'); at_signs > 0; --at_signs)
            take(word);
        unseen = end;
    }
}

}  // namespace mordavelle
