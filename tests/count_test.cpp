#include "e2e.h"

#include <gtest/gtest.h>

namespace {

using e2e::Case;
using e2e::lines;
using e2e::menu;

std::string dialogue(std::string_view result_line)
{
    return lines({"Counts number of entries in which file?", "(I will add the .txt suffix.)", "", result_line, ""});
}

std::string missing(std::string_view name)
{
    return lines({"Counts number of entries in which file?", "(I will add the .txt suffix.)",
                  "can't find file " + std::string{name}, "Shutting down..."});
}

class CountDialogue : public testing::TestWithParam<Case> {};

TEST_P(CountDialogue, PrintsExactlyAndEnds)
{
    e2e::check(GetParam());
}

const e2e::Files kMembers = {{"members.txt", "ann@x.se  bo@y.se\n\n\tcy@z.se\r\nann@x.se\x0b\x0c" "dag"}};

INSTANTIATE_TEST_SUITE_P(Count, CountDialogue,
    testing::Values(
        Case{.name = "counts_entries_across_every_kind_of_white_space", .before = kMembers,
             .input = "c\nmembers\nq\n",
             .out = menu() + dialogue("The list  members.txt contains 5 strings.") + menu(), .after = kMembers},
        Case{.name = "takes_the_stem_typed_ahead_on_the_menu_line", .before = kMembers, .input = "C members\nq\n",
             .out = menu() + dialogue("The list  members.txt contains 5 strings.") + menu(), .after = kMembers},
        Case{.name = "counts_the_same_file_again_from_zero", .before = kMembers, .input = "c members c members q",
             .out = menu() + dialogue("The list  members.txt contains 5 strings.") + menu() +
                 dialogue("The list  members.txt contains 5 strings.") + menu(),
             .after = kMembers},
        Case{.name = "empty_and_blank_files_hold_zero_strings", .before = {{"e.txt", ""}, {"b.txt", " \n\t\n"}},
             .input = "c e c b q",
             .out = menu() + dialogue("The list  e.txt contains 0 strings.") + menu() +
                 dialogue("The list  b.txt contains 0 strings.") + menu(),
             .after = {{"e.txt", ""}, {"b.txt", " \n\t\n"}}},
        Case{.name = "one_entry_is_still_strings", .before = {{"one.txt", "x"}}, .input = "c one q",
             .out = menu() + dialogue("The list  one.txt contains 1 strings.") + menu(), .after = {{"one.txt", "x"}}},
        Case{.name = "a_stem_with_the_suffix_is_suffixed_again", .before = {{"l.txt", "a"}, {"l.txt.txt", "a b"}},
             .input = "c l.txt q", .out = menu() + dialogue("The list  l.txt.txt contains 2 strings.") + menu(),
             .after = {{"l.txt", "a"}, {"l.txt.txt", "a b"}}},
        Case{.name = "missing_file_shuts_down_after_two_seconds", .before = kMembers, .input = "c\nnope\nq\n",
             .out = menu() + missing("nope.txt"), .after = kMembers, .status = 1, .events = {"pause 2000"}},
        Case{.name = "end_of_input_at_the_stem_looks_for_dot_txt", .input = "c", .out = menu() + missing(".txt"),
             .status = 1, .events = {"pause 2000"}}),
    e2e::case_name);

TEST(CountFailure, DirectoryGivenAsTheListIsNotFound)
{
    e2e::Folder folder;
    folder.shell("mkdir list.txt");
    const auto result = folder.run("c list\n");
    EXPECT_EQ(result.out, menu() + missing("list.txt"));
    EXPECT_EQ(result.status, 1);
}

TEST(CountFailure, ShippedProgramReallyPausesTwoSeconds)
{
    e2e::Folder folder;
    const auto result = folder.run("c\nnope\n", e2e::kShippedProgram);
    EXPECT_EQ(result.out, menu() + missing("nope.txt"));
    EXPECT_EQ(result.status, 1);
    EXPECT_GE(result.seconds, 1.95);
    EXPECT_LT(result.seconds, 10.0);
}

}  // namespace
