#include "commands.h"
#include "console.h"
#include "entry_set.h"
#include "list_file.h"
#include "platform/console.h"
#include "result_file.h"
#include "characters.h"
#include "entries.h"

#include <string>

namespace mordavelle {
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

// The tone of each dropped entry.
constexpr Failure::Tone kDropTone{800, 50};

// A list of responders longer than the list of all is taken for the two lists
// typed the wrong way round: the program refuses with two tones and a long pause.
Failure sizes_refused(const std::string& label)
{
    return {{{std::string{kTooShort}, {}, {}}, {std::string{kAttempted}, label, {}},
             {std::string{kShuttingDown}, {}, {}}},
            {{400, 500}, {800, 500}},
            4000};
}

}  // namespace

void run_subtract()
{
    for (const std::string_view line : kIntroduction)
        print_line(line);
    print_line(kAskAll);
    const std::string all_stem = read_stem();
    const std::string all_name = all_stem + ".txt";
    const std::string all_text = read_list(all_name, failure(kCantFind, all_name, kExiting));
    bool beyond_ascii = false;
    const std::size_t all_count = count_entries(all_text, &beyond_ascii);
    print_line();

    print_line(kAskResponders);
    print_line(kSuffixNote);
    const std::string responders_stem = read_stem();
    const std::string responders_name = responders_stem + ".txt";
    const std::string label = all_stem + "-" + responders_stem;
    const std::string responders_text = read_list(responders_name, failure(kCantFind, responders_name, kExiting));
    const std::size_t responders_count = count_entries(responders_text, &beyond_ascii);
    // Entries in two encodings are compared by their characters.
    const bool in_two = beyond_ascii && holds_two_encodings(all_text, responders_text);
    const std::string all_converted = in_two ? in_characters(all_text) : std::string();
    const std::string responders_converted = in_two ? in_characters(responders_text) : std::string();
    const auto responders = list_entries(CharacterCursor(responders_text, responders_converted), responders_count);
    print_line();

    if (all_count < responders.size())
        throw sizes_refused(label);
    const Responders responded(responders);

    // The list of all goes from its text straight to the file, and is in
    // place whole before the tones for its dropped entries sound: 50 ms each
    // take minutes for a long list, which the result does not wait for.
    ResultFile out;
    if (!out.open(kOutputName, {all_name, responders_name}, InputsRead::whole))
        fail(kCantWrite, "", kExiting);
    std::size_t dropped_count = 0;
    // Entries compared in their characters are written as the list of all has them.
    EntryCursor original(all_text);
    responded.mark(CharacterCursor(all_text, all_converted), [&](std::string_view entry, bool dropped) {
        if (!all_converted.empty())
            entry = original.next();
        if (dropped)
            ++dropped_count;
        else
            out.write_line(entry);
    });
    if (!out.close())
        fail(kCantWrite, "", kExiting);
    for (; dropped_count > 0; --dropped_count)
        platform::tone(kDropTone.hertz, kDropTone.milliseconds);

    print_line(kCreated);
    print_line_with_name(kSubtracting, label);
    print_line();
}

}  // namespace mordavelle
