// Menu command E: every word of a free text that holds an at sign, written one
// per line under the stem plus "EPX.txt".
#pragma once

#include "shell/list_file.h"

#include <string>
#include <string_view>
#include <vector>

namespace extract {

// Menu command E.
void run_email_extraction();

// Turns each of the five break characters ( ) , < > into a line end, in place,
// so that an address in brackets or followed by a comma stands as a word alone.
void break_text(std::string& text);

// The white-space-delimited words of the text that hold an at sign, in text
// order, as views into it; a word with k at signs appears k times in a row.
std::vector<std::string_view> words_with_at_signs(std::string_view text);

// Creates the intermediate file under the first of "cleanfile.txt",
// "cleanfile1.txt", "cleanfile2.txt" ... that no file holds yet, so that no
// file of the user's is ever replaced; returns its name, or an empty name
// when a free name cannot be created.
std::string open_intermediate(shell::OutputFile& out);

}  // namespace extract
