// The help box drawn with characters, for a console without message boxes
// (POSIX terminals, and the recording platform's log).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A message box is never wider than this many columns, and neither is the help
// box drawn with characters: output that is not a terminal gets this width.
inline constexpr std::size_t kHelpFrameWidth = 80;

// Breaks a text at blanks into lines of at most `width` characters, as a message
// box lays out its text: every word kept, in its order, one blank between the
// words of a line, nothing hyphenated. Only a word longer than a whole line is
// broken, into pieces that fill the lines it needs.
std::vector<std::string> wrap_text(std::string_view text, std::size_t width);

// The help box drawn with characters: a frame around the caption and, below
// it, the text wrapped to fit, the whole box at most `width` columns wide and
// no wider than its longest line needs.
std::string help_frame(std::string_view caption, std::string_view text, std::size_t width = kHelpFrameWidth);

}  // namespace platform
