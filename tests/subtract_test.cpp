#include "e2e.h"
#include "lists/subtract.h"
#include "shell/entries.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using e2e::Case;
using e2e::with;
using e2e::lines;
using e2e::menu;
using Views = std::vector<std::string_view>;

const std::string kAskAll = lines({"Subtract a list from another,", "for e.g. a Reminder List of e-mail addresses.",
                                   "The new list are of people who have not responded.",
                                   "NOTE: CASE-SENSITIVE! (better change all to lower case first)",
                                   "(I will add the .txt suffix in names).", "Enter name of list of all."});
const std::string kAskResponders = lines({"Enter name of list of responders.",
                                          "(I will add the .txt suffix in names)."});
const std::string kBothRead = kAskAll + "\n" + kAskResponders + "\n";

std::string created(std::string_view label)
{
    return kBothRead + lines({"Remind list created. (Reminders.txt)", "by substracting: " + std::string{label}, ""});
}

std::vector<std::string> tones(std::size_t count)
{
    return std::vector<std::string>(count, "tone 800 50");
}

const e2e::Files kABCD = {{"all.txt", "a b\nc d\n"}, {"resp.txt", "b\td"}};
const e2e::Files kDuplicates = {{"all.txt", "x a x b a"}, {"resp.txt", "x x"}};
const e2e::Files kStrangers = {{"all.txt", "ann bo cy"}, {"resp.txt", "Ann zed"}};
const e2e::Files kTooMany = {{"all.txt", "a b c"}, {"resp.txt", "x y z w"}};
const e2e::Files kPercent = {{"all.txt", "% a %"}, {"resp.txt", "b"}, {"pct.txt", "%"}};

class SubtractDialogue : public testing::TestWithParam<Case> {};

TEST_P(SubtractDialogue, PrintsExactlyAndEnds)
{
    e2e::check(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Subtract, SubtractDialogue,
    testing::Values(
        Case{.name = "drops_the_responders_with_one_tone_each", .before = kABCD, .input = "s\nall\nresp\nq\n",
             .out = menu() + created("all-resp") + menu(), .after = with(kABCD, "Reminders.txt", "a\nc\n"),
             .events = tones(2)},
        Case{.name = "drops_every_copy_of_a_responder_listed_twice", .before = kDuplicates, .input = "s all resp q",
             .out = menu() + created("all-resp") + menu(), .after = with(kDuplicates, "Reminders.txt", "a\nb\na\n"),
             .events = tones(2)},
        Case{.name = "responders_not_in_the_list_and_other_cases_change_nothing", .before = kStrangers,
             .input = "s all resp q", .out = menu() + created("all-resp") + menu(),
             .after = with(kStrangers, "Reminders.txt", "ann\nbo\ncy\n")},
        Case{.name = "lists_of_equal_length_pass", .before = {{"all.txt", "a b"}, {"resp.txt", "b c"}},
             .input = "s all resp q", .out = menu() + created("all-resp") + menu(),
             .after = {{"all.txt", "a b"}, {"resp.txt", "b c"}, {"Reminders.txt", "a\n"}}, .events = tones(1)},
        Case{.name = "a_per_cent_entry_no_responder_equals_is_kept", .before = kPercent, .input = "s all resp q",
             .out = menu() + created("all-resp") + menu(), .after = with(kPercent, "Reminders.txt", "%\na\n%\n")},
        Case{.name = "a_per_cent_responder_drops_per_cent_entries", .before = kPercent, .input = "s all pct q",
             .out = menu() + created("all-pct") + menu(), .after = with(kPercent, "Reminders.txt", "a\n"),
             .events = tones(2)},
        Case{.name = "two_empty_files_give_an_empty_reminder_list", .before = {{"e.txt", ""}, {"f.txt", " \n"}},
             .input = "s e f q", .out = menu() + created("e-f") + menu(),
             .after = {{"e.txt", ""}, {"f.txt", " \n"}, {"Reminders.txt", ""}}},
        Case{.name = "the_same_stem_twice_drops_everything",
             .before = {{"l.txt", "a b a"}, {"Reminders.txt", "old\n"}}, .input = "s l l q",
             .out = menu() + created("l-l") + menu(), .after = {{"l.txt", "a b a"}, {"Reminders.txt", ""}},
             .events = tones(3)},
        Case{.name = "a_longer_list_of_responders_is_refused_after_both_are_read", .before = kTooMany,
             .input = "s all resp q",
             .out = menu() + kBothRead +
                 lines({"Oops! Your first list should always be larger!", "You attempted: all-resp",
                        "Shutting down..."}),
             .after = kTooMany, .status = 1, .events = {"tone 400 500", "tone 800 500", "pause 4000"}},
        Case{.name = "a_missing_list_of_all_exits", .before = {{"Reminders.txt", "old\n"}}, .input = "s none resp q",
             .out = menu() + kAskAll + lines({"can't find file none.txt", "Exiting..."}),
             .after = {{"Reminders.txt", "old\n"}}, .status = 1, .events = {"pause 2000"}},
        Case{.name = "a_missing_list_of_responders_exits", .before = {{"all.txt", "a"}}, .input = "s all none q",
             .out = menu() + kAskAll + "\n" + kAskResponders + lines({"can't find file none.txt", "Exiting..."}),
             .after = {{"all.txt", "a"}}, .status = 1, .events = {"pause 2000"}}),
    e2e::case_name);

TEST(SubtractFailure, UnwritableReminderListExitsWithoutResultLines)
{
    e2e::Folder folder;
    folder.write(kABCD);
    folder.shell("ln -s /dev/full Reminders.txt");
    const auto result = folder.run("s all resp q");
    EXPECT_EQ(result.out, menu() + kBothRead + lines({"cannot write output file", "Exiting..."}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.events, (std::vector<std::string>{"tone 800 50", "tone 800 50", "pause 2000"}));
}

TEST(SubtractTones, ShippedProgramSoundsFiftyMillisecondsForEachDroppedEntry)
{
    e2e::Folder folder;
    folder.write(with(kABCD, "resp.txt", "a b c d"));
    const auto result = folder.run("s all resp\nq\n", e2e::kShippedProgram);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(folder.files().at("Reminders.txt"), "");
    EXPECT_GE(result.seconds, 0.195);
    EXPECT_LT(result.seconds, 10.0);
}

// The marks the command writes or drops by: one per entry of the list of all.
std::vector<bool> marks(std::string_view all, std::string_view responders)
{
    const Views responder_list = shell::split_entries(responders);
    std::vector<bool> dropped;
    lists::Responders(responder_list).mark(all, [&](std::string_view, bool drop) { dropped.push_back(drop); });
    return dropped;
}

TEST(Responders, MarkEveryCopyOfEachResponderInPlace)
{
    EXPECT_EQ(marks("x a x b", "x x zed"), (std::vector<bool>{true, false, true, false}));
}

TEST(Responders, HandOverTheEntriesOfTheListOfAllInOrder)
{
    const Views responder_list = shell::split_entries("b");
    Views seen;
    lists::Responders(responder_list).mark(" a\tb\r\nc\n", [&](std::string_view entry, bool) { seen.push_back(entry); });
    EXPECT_EQ(seen, (Views{"a", "b", "c"}));
}

TEST(Responders, CompareWholeEntriesByteForByte)
{
    EXPECT_EQ(marks("ann an ann. Ann", "Ann anna"), (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(marks(std::string_view("a\0b a\0c a", 9), std::string_view("a\0b", 3)),
              (std::vector<bool>{true, false, false}));
}

TEST(Responders, KeepPerCentSignsNoResponderEquals)
{
    EXPECT_EQ(marks("% a %", "a"), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(marks("% a", "%"), (std::vector<bool>{true, false}));
}

TEST(Responders, NoneDropNothing)
{
    EXPECT_EQ(marks("a b", ""), (std::vector<bool>{false, false}));
    EXPECT_TRUE(marks("", "").empty());
}

TEST(Responders, MarkAHundredThousandEntriesAgainstFiftyThousand)
{
    std::string all, responders;
    for (std::size_t i = 0; i < 100000; ++i)
        all += "person" + std::to_string(i) + "@dept.se\n";
    for (std::size_t i = 0; i < 50000; ++i)
        responders += "person" + std::to_string(i * 3) + "@dept.se ";
    const auto dropped = marks(all, responders);
    ASSERT_EQ(dropped.size(), 100000U);
    EXPECT_EQ(std::count(dropped.begin(), dropped.end(), true), 33334);
    EXPECT_TRUE(dropped[99999] && !dropped[99998]);
}

}  // namespace
