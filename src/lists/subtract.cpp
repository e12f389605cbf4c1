#include "lists/subtract.h"

#include "lists/read_list.h"
#include "platform/console.h"
#include "shell/console.h"
#include "shell/failure.h"
#include "shell/engine/entries.h"
#include "shell/engine/list_reading.h"

#include <string>

namespace lists {
namespace {

constexpr std::string_view kIntroduction[] = {
    "Subtract a list from another,",
    "for e.g. a Reminder List of e-mail addresses.",
    "The new list are of people who have not responded.",
    "NOTE: CASE-SENSITIVE! (better change all to lower case first)",
    "(I will add the .txt suffix in names).",
};
constexpr std::string_view kAskAll = "Enter name of list of all.";
constexpr std::string_view kAskResponders = "Enter name of list of responders.";
constexpr std::string_view kSuffixNote = "(I will add the .txt suffix in names).";
constexpr std::string_view kCantFind = "can't find file ";
constexpr std::string_view kTooShort = "Oops! Your first list should always be larger!";
constexpr std::string_view kAttempted = "You attempted: ";
constexpr std::string_view kCantWrite = "cannot write output file";
constexpr std::string_view kCreated = "Remind list created. (Reminders.txt)";
constexpr std::string_view kSubtracting = "by substracting: ";
const std::string kOutputName = "Reminders.txt";

// The tones the command sounds: two long ones when it refuses the lists, and
// a short one for each entry it drops.
struct Tone {
    unsigned hertz;
    unsigned milliseconds;
};
constexpr Tone kRefusalFirstTone{400, 500};
constexpr Tone kRefusalSecondTone{800, 500};
constexpr unsigned kRefusalPauseMs = 4000;
constexpr Tone kDropTone{800, 50};

void sound(Tone tone)
{
    platform::tone(tone.hertz, tone.milliseconds);
}

// A list of responders longer than the list of all is taken for the two lists
// typed the wrong way round; the program refuses with two tones and a long pause.
[[noreturn]] void refuse_sizes(const std::string& label)
{
    shell::print_line(kTooShort);
    shell::print_line_with_name(kAttempted, label);
    shell::print_line(shell::kShuttingDown);
    sound(kRefusalFirstTone);
    sound(kRefusalSecondTone);
    platform::pause(kRefusalPauseMs);
    shell::end_program();
}

}  // namespace

void run_subtract()
{
    for (const std::string_view line : kIntroduction)
        shell::print_line(line);
    shell::print_line(kAskAll);
    const std::string all_stem = shell::read_stem();
    const std::string all_text = read_list(all_stem + ".txt", kCantFind);
    bool beyond_ascii = false;
    const std::size_t all_count = shell::count_entries(all_text, &beyond_ascii);
    shell::print_line();

    shell::print_line(kAskResponders);
    shell::print_line(kSuffixNote);
    const std::string responders_stem = shell::read_stem();
    const std::string label = all_stem + "-" + responders_stem;
    const std::string responders_text = read_list(responders_stem + ".txt", kCantFind);
    const std::size_t responders_count = shell::count_entries(responders_text, &beyond_ascii);
    // Entries in two encodings are compared by their characters.
    const bool in_two = beyond_ascii && shell::holds_two_encodings(all_text, responders_text);
    const std::string all_converted = in_two ? in_characters(all_text) : std::string();
    const std::string responders_converted = in_two ? in_characters(responders_text) : std::string();
    const auto responders =
        shell::list_entries(CharacterCursor(responders_text, responders_converted), responders_count);
    shell::print_line();

    if (all_count < responders.size())
        refuse_sizes(label);
    const Responders responded(responders);

    // The list of all goes from its text straight to the file, and is in
    // place whole before the tones for its dropped entries sound: 50 ms each
    // take minutes for a long list, which the result does not wait for.
    shell::OutputFile out;
    if (!out.open(kOutputName, {all_stem + ".txt", responders_stem + ".txt"}))
        shell::fail(kCantWrite, "", shell::kExiting);
    std::size_t dropped_count = 0;
    // Entries compared in their characters are written as the list of all has them.
    shell::EntryCursor original(all_text);
    responded.mark(CharacterCursor(all_text, all_converted), [&](std::string_view entry, bool dropped) {
        if (!all_converted.empty())
            entry = original.next();
        if (dropped)
            ++dropped_count;
        else
            out.write_line(entry);
    });
    if (!out.close())
        shell::fail(kCantWrite, "", shell::kExiting);
    for (; dropped_count > 0; --dropped_count)
        sound(kDropTone);

    shell::print_line(kCreated);
    shell::print_line_with_name(kSubtracting, label);
    shell::print_line();
}

}  // namespace lists
