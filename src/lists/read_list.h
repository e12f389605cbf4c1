// Reading a list that the user named, for the commands that need its text whole.
#pragma once

#include "shell/failure.h"
#include "shell/engine/list_reading.h"

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

}  // namespace lists
