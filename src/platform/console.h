// The console side of the seam between the program and the system it runs on:
// colours, the help box, names typed by the user, pauses and tones. One
// implementation is linked in: the Windows one, the POSIX one, or a recording
// one for tests.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The two colours of the console's text.
enum class Colour { light_red, light_green };
void set_colour(Colour colour);

// Restores the console's own colours; called once as the program ends.
void reset_colour();

// Reads the next whitespace-delimited word of the console's input (std::cin),
// taking words typed ahead on a line first; a UTF-8 byte-order mark at the
// very start of piped input is not part of the first word. At the end of the
// input it returns false and leaves the word empty. On Windows every word
// comes in UTF-8: typed on a console, whatever the console's code page;
// piped, as it is where it is valid UTF-8, else from the console's code page.
bool read_typed_word(std::string& word);

// Writes a name that the user typed to the console's output (std::cout) so
// that it shows as it was typed: on Windows the name is in UTF-8, which the
// console's output need not be in.
void write_typed_name(std::string_view name);

// Shows the help text under a caption and returns when the user has seen it.
void show_help_box(const std::string& caption, const std::string& text);

void pause(unsigned milliseconds);

// Sounds a tone, returning when it has ended.
void tone(unsigned hertz, unsigned milliseconds);

}  // namespace platform
