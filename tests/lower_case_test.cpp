#include "e2e.h"

#include <gtest/gtest.h>

namespace {

using e2e::Case;
using e2e::lines;
using e2e::menu;

const std::string kPrompt = lines({"Input file name. All upper case letters", "(except non-English)",
    "will be replaced with lower case letters.", "(I will add the .txt suffix in names)."});

std::string done(std::string_view output)
{
    return kPrompt + lines({"", "It is done, see file " + std::string{output}, ""});
}

std::string failed(std::string_view message, std::string_view name)
{
    return kPrompt + lines({std::string{message} + std::string{name}, "Shutting down..."});
}

const std::string kMixed = "Anna.BERG@HR.se  bo@x.se\t\xc5SA\r\n\nQ\x0b" "A1-B2c";
const std::string kLowered = "anna.berg@hr.se\nbo@x.se\n\xc5sa\nq\na1-b2c\n";
const e2e::Files kScratch = {{"Tempstring.txt", "mine\r\nKEEP "}, {"Cleanstring.txt", ""}};

class LowerCaseDialogue : public testing::TestWithParam<Case> {};

TEST_P(LowerCaseDialogue, PrintsExactlyAndEnds)
{
    e2e::check(GetParam());
}

INSTANTIATE_TEST_SUITE_P(LowerCase, LowerCaseDialogue,
    testing::Values(
        Case{.name = "lowers_english_capitals_one_entry_per_line", .before = {{"m.txt", kMixed}},
             .input = "l\nm\nq\n", .out = menu() + done("m_low.txt") + menu(),
             .after = {{"m.txt", kMixed}, {"m_low.txt", kLowered}}},
        Case{.name = "empty_and_blank_lists_give_empty_files", .before = {{"e.txt", ""}, {"b.txt", " \n\t"}},
             .input = "L e L b q", .out = menu() + done("e_low.txt") + menu() + done("b_low.txt") + menu(),
             .after = {{"e.txt", ""}, {"b.txt", " \n\t"}, {"e_low.txt", ""}, {"b_low.txt", ""}}},
        Case{.name = "replaces_an_earlier_output", .before = {{"m.txt", "X"}, {"m_low.txt", "old\nlonger\n"}},
             .input = "l m q", .out = menu() + done("m_low.txt") + menu(),
             .after = {{"m.txt", "X"}, {"m_low.txt", "x\n"}}},
        Case{.name = "a_stem_with_the_suffix_is_suffixed_again", .before = {{"l.txt", "A"}, {"l.txt.txt", "B"}},
             .input = "l l.txt q", .out = menu() + done("l.txt_low.txt") + menu(),
             .after = {{"l.txt", "A"}, {"l.txt.txt", "B"}, {"l.txt_low.txt", "b\n"}}},
        Case{.name = "scratch_names_of_the_user_survive", .before = kScratch, .input = "l Tempstring q",
             .out = menu() + done("Tempstring_low.txt") + menu(),
             .after = {{"Tempstring.txt", "mine\r\nKEEP "}, {"Cleanstring.txt", ""},
                       {"Tempstring_low.txt", "mine\nkeep\n"}}},
        Case{.name = "missing_list_shuts_down_after_two_seconds", .before = kScratch, .input = "l\nnope\nq\n",
             .out = menu() + failed("can't find file ", "nope.txt"), .after = kScratch, .status = 1,
             .events = {"pause 2000"}},
        Case{.name = "end_of_input_at_the_stem_looks_for_dot_txt", .input = "l",
             .out = menu() + failed("can't find file ", ".txt"), .status = 1, .events = {"pause 2000"}}),
    e2e::case_name);

TEST(LowerCaseFailure, UnwritableOutputShutsDownWithoutTheDoneLine)
{
    e2e::Folder folder;
    folder.write("m.txt", "A");
    folder.shell("ln -s /dev/full m_low.txt");
    const auto result = folder.run("l m q\n");
    EXPECT_EQ(result.out, menu() + kPrompt + lines({"", "can't write file m_low.txt", "Shutting down..."}));
    EXPECT_EQ(result.events, (std::vector<std::string>{"pause 2000"}));
    EXPECT_EQ(result.status, 1);
}

// The list passes through a buffer of a quarter megabyte: entries that straddle
// its ends, and an entry larger than it, come out whole.
TEST(LowerCaseLargeList, EntriesAcrossAndBeyondTheBufferComeOutWhole)
{
    e2e::Folder folder;
    std::string list;
    std::string expected;
    for (int i = 0; list.size() < 700000; ++i) {
        const std::string number = std::to_string(i * 7919);
        list.append("Entry").append(number).append("@X.SE").append(i % 3 == 0 ? " \t" : "\r\n");
        expected.append("entry").append(number).append("@x.se\n");
    }
    const std::string huge(600000, 'Q');
    list += huge;
    expected += std::string(600000, 'q') + "\n";
    folder.write("big.txt", list);
    const auto result = folder.run("l big q\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(folder.files().at("big_low.txt") == expected);
}

// A result name that is a link to the list itself still gives the whole list
// lowered, as the result takes its place only once the list is read whole.
TEST(LowerCaseLargeList, AResultLinkedToTheListGetsTheWholeList)
{
    e2e::Folder folder;
    std::string list;
    for (int i = 0; i < 60000; ++i)
        list.append("A").append(std::to_string(i)).append("\n");
    folder.write("l.txt", list);
    folder.shell("ln -s l.txt l_low.txt");
    const auto result = folder.run("l l q\n");
    EXPECT_EQ(result.status, 0);
    std::string lowered = list;
    for (char& byte : lowered)
        byte = byte == 'A' ? 'a' : byte;
    EXPECT_TRUE(folder.files().at("l.txt") == lowered);
}

}  // namespace
