// Reading the lists that the user named, for the commands that need their
// text whole, and bringing two of them to one encoding where they are in two.
#pragma once

#include "platform/files.h"
#include "shell/failure.h"
#include "shell/engine/entries.h"
#include "shell/engine/list_reading.h"
#include "shell/engine/text_decoding.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace lists {

// The text of the list file `name`; a list that cannot be read ends the
// program with `failure` and the name, in the words of the command that asked.
inline std::string read_list(const std::string& name, std::string_view failure)
{
    auto text = shell::read_file(name);
    if (!text)
        shell::fail(failure, name, shell::kExiting);
    return std::move(*text);
}

// The UTF-8 of one of two lists that must be compared by their characters:
// a folder holds lists that Notepad saved in the ANSI code page beside newer
// ones in UTF-8 (or in UTF-16, which reading turns into UTF-8). `first` tells
// which list it is. Lists in one encoding, and a list of ASCII alone beside
// any other, compare byte for byte as they are.
struct InUtf8 {
    bool first = false;
    std::string text;
};

inline std::optional<InUtf8> one_in_utf8(std::string_view first, std::string_view second)
{
    using shell::CharacterSet;
    // The shorter is looked at first: when it is ASCII alone, as most lists
    // are, the longer is never looked at.
    const bool first_shorter = first.size() <= second.size();
    const CharacterSet shorter = shell::classify_text(first_shorter ? first : second);
    if (shorter == CharacterSet::ascii)
        return std::nullopt;
    const CharacterSet longer = shell::classify_text(first_shorter ? second : first);
    if (longer == CharacterSet::ascii || longer == shorter)
        return std::nullopt;
    const bool first_legacy = (first_shorter ? shorter : longer) == CharacterSet::legacy;
    const std::string_view legacy = first_legacy ? first : second;
    auto text = platform::ansi_to_utf8(legacy);
    // Its entries must be the list's entries, one for one, to stand for them.
    if (!text || shell::count_entries(*text) != shell::count_entries(legacy))
        return std::nullopt;
    return InUtf8{first_legacy, std::move(*text)};
}

}  // namespace lists
