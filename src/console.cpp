#include "console.h"

#include "platform/console.h"

#include <iostream>

namespace mordavelle {
namespace {

constexpr unsigned kFailurePauseMs = 2000;

// False when the console is gone (a closed pipe, a full disk, a closed
// standard output): it has no room for a message either.
bool show_line(std::string_view before, std::string_view name, std::string_view after)
{
    std::cout << before;
    if (!name.empty())
        platform::write_typed_name(name);
    std::cout << after << '\n' << std::flush;
    return static_cast<bool>(std::cout);
}

}  // namespace

void print_line(std::string_view text)
{
    if (!show_line(text, {}, {}))
        throw Failure{};
}

void print_line_with_name(std::string_view before, std::string_view name, std::string_view after)
{
    if (!show_line(before, name, after))
        throw Failure{};
}

std::string read_stem()
{
    std::string stem;
    (void)platform::read_typed_word(stem);
    return stem;
}

Failure failure(std::string_view message, std::string_view name, std::string_view closing_word)
{
    return {{{std::string{message}, std::string{name}, {}}, {std::string{closing_word}, {}, {}}}, {}, kFailurePauseMs};
}

void fail(std::string_view message, std::string_view name, std::string_view closing_word)
{
    throw failure(message, name, closing_word);
}

int show(const Failure& failure)
{
    for (const Failure::Line& line : failure.lines) {
        if (!show_line(line.before, line.name, line.after))
            return failure.status;
    }
    for (const Failure::Tone& tone : failure.tones)
        platform::tone(tone.hertz, tone.milliseconds);
    if (failure.pause_ms > 0)
        platform::pause(failure.pause_ms);
    return failure.status;
}

}  // namespace mordavelle
