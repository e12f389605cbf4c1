// The words of standard input read as bytes, as the POSIX platforms read
// every word and Windows the words piped into it.
#pragma once

#include <iostream>
#include <string>
#include <string_view>
#include <utility>

namespace platform::detail {

// The next whitespace-delimited word of std::cin. A command file that Notepad
// saved as UTF-8 with a byte-order mark begins with one, which is no part of
// its first word; a mark anywhere else is kept.
inline bool read_piped_word(std::string& word)
{
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    static bool at_start = true;
    const bool may_be_marked = std::exchange(at_start, false) && std::cin.peek() == 0xEF;
    if (!(std::cin >> word))
        return false;
    if (!may_be_marked || !word.starts_with(kMark))
        return true;
    word.erase(0, kMark.size());
    return !word.empty() || static_cast<bool>(std::cin >> word);
}

}  // namespace platform::detail
