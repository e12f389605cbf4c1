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
        Case{"counts_entries_across_every_kind_of_white_space", kMembers, "c\nmembers\nq\n",
             menu() + dialogue("The list  members.txt contains 5 strings.") + menu(), kMembers, 0, {}},
        Case{"takes_the_stem_typed_ahead_on_the_menu_line", kMembers, "C members\nq\n",
             menu() + dialogue("The list  members.txt contains 5 strings.") + menu(), kMembers, 0, {}},
        Case{"counts_the_same_file_again_from_zero", kMembers, "c members c members q",
             menu() + dialogue("The list  members.txt contains 5 strings.") + menu() +
                 dialogue("The list  members.txt contains 5 strings.") + menu(),
             kMembers, 0, {}},
        Case{"empty_and_blank_files_hold_zero_strings", {{"e.txt", ""}, {"b.txt", " \n\t\n"}}, "c e c b q",
             menu() + dialogue("The list  e.txt contains 0 strings.") + menu() +
                 dialogue("The list  b.txt contains 0 strings.") + menu(),
             {{"e.txt", ""}, {"b.txt", " \n\t\n"}}, 0, {}},
        Case{"one_entry_is_still_strings", {{"one.txt", "x"}}, "c one q",
             menu() + dialogue("The list  one.txt contains 1 strings.") + menu(), {{"one.txt", "x"}}, 0, {}},
        Case{"a_stem_with_the_suffix_is_suffixed_again", {{"l.txt", "a"}, {"l.txt.txt", "a b"}}, "c l.txt q",
             menu() + dialogue("The list  l.txt.txt contains 2 strings.") + menu(),
             {{"l.txt", "a"}, {"l.txt.txt", "a b"}}, 0, {}},
        Case{"missing_file_shuts_down_after_two_seconds", kMembers, "c\nnope\nq\n", menu() + missing("nope.txt"),
             kMembers, 1, {"pause 2000"}},
        Case{"end_of_input_at_the_stem_looks_for_dot_txt", {}, "c", menu() + missing(".txt"), {}, 1, {"pause 2000"}}),
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
