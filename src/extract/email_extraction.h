// Menu command E: every word of a free text that holds an at sign, written one
// per line under the stem plus "EPX.txt".
#pragma once

#include "shell/engine/entries.h"
#include "shell/engine/list_reading.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace extract {

// Menu command E.
void run_email_extraction();

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
        while (start > unseen && !shell::is_separator(static_cast<unsigned char>(text[start - 1])))
            --start;
        const char* const stop = shell::find_separator(text.data() + at, text.data() + text.size());
        const auto end = static_cast<std::size_t>(stop - text.data());
        const std::string_view word = text.substr(start, end - start);
        for (auto at_signs = std::count(text.data() + at, stop, '@'); at_signs > 0; --at_signs)
            take(word);
        unseen = end;
    }
}

// Creates the intermediate file under the first of "cleanfile.txt",
// "cleanfile1.txt", "cleanfile2.txt" ... that no file holds yet, so that no
// file of the user's is ever replaced; returns its name, or an empty name
// when a free name cannot be created.
std::string open_intermediate(shell::OutputFile& out);

}  // namespace extract
