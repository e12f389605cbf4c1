#pragma once

#include <string>
#include <string_view>

namespace platform {

// The help box drawn with characters, for consoles without message boxes:
// a frame around the caption and, below it, the text on one line.
std::string help_frame(std::string_view caption, std::string_view text);

}  // namespace platform
