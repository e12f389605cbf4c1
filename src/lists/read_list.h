// Reading the lists that the user named, for the commands that need their
// text whole, and comparing two of them by their characters where they hold
// entries in two encodings.
#pragma once

#include "platform/files.h"
#include "shell/failure.h"
#include "shell/engine/entries.h"
#include "shell/engine/list_reading.h"
#include "shell/engine/text_decoding.h"

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

inline bool is_utf8(std::string_view entry)
{
    return shell::classify_text(entry) != shell::CharacterSet::legacy;
}

// Where two lists hold entries in two encodings (shell::holds_two_encodings),
// each entry of a list's text that is not UTF-8, in the UTF-8 of the ANSI
// code page, on a line of its own and in the order of the text. An entry
// that is no text of that code page (on a Windows whose ANSI code page is
// UTF-8, say) keeps its bytes.
inline std::string in_characters(std::string_view text)
{
    std::string converted;
    shell::for_each_entry(text, [&converted](std::string_view entry) {
        if (is_utf8(entry))
            return;
        // No code page has a character above 0x7F that is white space in
        // UTF-8, so the characters are one entry, as the bytes were.
        const std::size_t start = converted.size();
        if (!platform::ansi_to_utf8(entry, converted))
            converted.replace(start, std::string::npos, entry);
        converted += '\n';
    });
    return converted;
}

// The entries of a list's text as they are compared: each one that is UTF-8
// as it is, each other as `converted` (made by in_characters) has it. With
// nothing converted, the text's entries are handed out untouched.
class CharacterCursor {
public:
    CharacterCursor(std::string_view text, std::string_view converted)
        : text_(text), converted_(converted), converting_(!converted.empty())
    {
    }

    std::string_view next()
    {
        const std::string_view entry = text_.next();
        return !converting_ || entry.empty() || is_utf8(entry) ? entry : converted_.next();
    }

private:
    shell::EntryCursor text_;
    shell::EntryCursor converted_;
    bool converting_;
};

}  // namespace lists
