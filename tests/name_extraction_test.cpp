#include "e2e.h"
#include "shell/entries.h"
#include "extract/name_extraction.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using e2e::Case;
using e2e::lines;
using e2e::menu;
using Entries = std::vector<std::string_view>;
using Names = std::vector<std::string>;

// The names as the result file shows them: first part, one blank, last part.
Names names_of(const Entries& entries)
{
    std::string keys;
    Names shown;
    for (const extract::Name& name : extract::sorted_names(entries, keys))
        shown.push_back(std::string{name.first()} + " " + std::string{name.last()});
    return shown;
}

TEST(LocalPart, EndsAtTheFirstAtSignOrTakesTheWholeEntry)
{
    EXPECT_EQ(extract::local_part("anna.berg@hr.se@x"), "anna.berg");
    EXPECT_EQ(extract::local_part("anna.berg"), "anna.berg");
    EXPECT_EQ(extract::local_part("@hr.se"), "");
}

TEST(DotTest, CountsOnlyTheDotsBeforeTheAtSign)
{
    const auto test = extract::test_dots({"a.b@hr.mordavelle.se", "a.b.c", "x.y@z"});
    EXPECT_TRUE(test.passes);
    EXPECT_EQ(test.dots, 4);
}

TEST(DotTest, OneLocalPartWithoutADotRefusesTheList)
{
    const auto test = extract::test_dots({"a.b.c.d@x", "support@it.se", "e.f@x"});
    EXPECT_FALSE(test.passes);
    EXPECT_EQ(test.dots, 4);
    EXPECT_TRUE(extract::test_dots({}).passes);
}

TEST(SortedNames, SplitAtTheFirstDotAndRaiseOnlyTheFirstLetters)
{
    EXPECT_EQ(names_of({"anna.maria.berg@x.se", "bo.ek", "CY.dahl@x", "3d.\xe5sa@x"}),
              (Names{"3d \xe5sa", "Anna Maria.berg", "Bo Ek", "CY Dahl"}));
}

TEST(SortedNames, DuplicatesStayAndLieTogether)
{
    EXPECT_EQ(names_of({"bo.ek@a", "al.berg@b", "bo.ek@c"}), (Names{"Al Berg", "Bo Ek", "Bo Ek"}));
}

TEST(SortedNames, AShorterFirstPartSortsBeforeALongerOne)
{
    // The per cent sign between the parts sorts below every letter.
    EXPECT_EQ(names_of({"anna.berg@x", "ann.zorn@x", "anna.ahl@x"}), (Names{"Ann Zorn", "Anna Ahl", "Anna Berg"}));
}

TEST(SortedNames, APerCentSignInTheFirstPartStaysInIt)
{
    EXPECT_EQ(names_of({"an%na.berg@x", "an.berg@x"}), (Names{"An Berg", "An%na Berg"}));
}

TEST(SortedNames, TwoNamesSharingAKeyComeInOneOrderWhateverTheirListOrder)
{
    EXPECT_EQ(names_of({"1.2%3@x", "1%2.3@x"}), (Names{"1 2%3", "1%2 3"}));
    EXPECT_EQ(names_of({"1%2.3@x", "1.2%3@x"}), (Names{"1 2%3", "1%2 3"}));
}

// The names made in the list text itself, for the command, are those of the
// list way, in the same order: random local parts with dots and per cent signs.
TEST(SortNamesInPlace, AgreesWithSortedNamesOnRandomLists)
{
    std::mt19937 random(99);
    const std::string alphabet = "ab.%AZ";
    for (const std::size_t size : {1U, 50U, 20000U}) {
        std::string text;
        for (std::size_t i = 0; i < size; ++i) {
            text += "abA%"[random() % 4];
            text += '.';
            for (std::size_t n = random() % 25; n > 0; --n)
                text += alphabet[random() % alphabet.size()];
            text += random() % 2 == 0 ? "x@d.se\n" : "y\n";
        }
        const auto entries = shell::split_entries(text);
        std::string keys;
        const auto expected = extract::sorted_names(entries, keys);
        std::string in_place = text;
        const auto sorted = extract::sort_names_in_place(in_place);
        ASSERT_TRUE(sorted.test.passes);
        ASSERT_EQ(sorted.entries, expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(sorted.items[i].key_view(), expected[i].key) << i;
            ASSERT_EQ(sorted.items[i].extra, expected[i].first_size) << i;
        }
    }
}

TEST(SortNamesInPlace, ReportsTheDotTestAndEmptyPartsWithoutSorting)
{
    std::string refused = "a.b@x support@x c.d.e@x";
    const auto sorted = extract::sort_names_in_place(refused);
    EXPECT_FALSE(sorted.test.passes);
    EXPECT_EQ(sorted.test.dots, 3);
    EXPECT_EQ(sorted.entries, 3U);
    EXPECT_EQ(sorted.items, nullptr);
    std::string empty_part = "a.b@x .c@x";
    EXPECT_TRUE(extract::sort_names_in_place(empty_part).empty_part);
}

const std::string kPrompt =
    lines({"Extracting 'Name Lastname' from e-mail address.", "Enter name of list.", "I will add the .txt suffix."});

std::string done(std::string_view result)
{
    return kPrompt + lines({"", "", "Done! Names are in:" + std::string{result}, ""});
}

const std::string kStaff = "tova.lind@logistics.se\r\nerik.gustafsson@support.se anna-lena.berg@hr.se\n"
                           "tova.lind@logistics.se\tbo.von.ek@x.se";
const std::string kStaffNames = lines({"Anna-lena Berg", "Bo Von.ek", "Erik Gustafsson", "Tova Lind", "Tova Lind"});
const std::string kMixed = "anna.berg@hr.se support@hr.se a.b.c@x";
const std::string kRefusal = lines({"list in m.txt contains an address of type name@mordavelle.se",
                                    "That will not work for this N function, exiting...", "iTestDot: 3vEmails.size(): 3"});

class NameExtractionDialogue : public testing::TestWithParam<Case> {};

TEST_P(NameExtractionDialogue, PrintsExactlyAndEnds)
{
    e2e::check(GetParam());
}

INSTANTIATE_TEST_SUITE_P(NameExtraction, NameExtractionDialogue,
    testing::Values(
        Case{"writes_first_last_sorted", {{"s.txt", kStaff}}, "n\ns\nq\n", menu() + done("s_N.txt") + menu(),
             {{"s.txt", kStaff}, {"s_N.txt", kStaffNames}}, 0, {}},
        Case{"per_cent_sign_stays_in_the_first_part", {{"p.txt", "an%na.berg@x"}}, "N p q",
             menu() + done("p_N.txt") + menu(), {{"p.txt", "an%na.berg@x"}, {"p_N.txt", "An%na Berg\n"}}, 0, {}},
        Case{"empty_list_passes_and_gives_an_empty_file", {{"e.txt", "\n"}}, "n e q", menu() + done("e_N.txt") + menu(),
             {{"e.txt", "\n"}, {"e_N.txt", ""}}, 0, {}},
        Case{"a_local_part_without_a_dot_refuses_the_list", {{"m.txt", kMixed}}, "n m q",
             menu() + kPrompt + lines({""}) + kRefusal, {{"m.txt", kMixed}}, 1, {"pause 10000"}},
        Case{"empty_first_part_is_refused_by_fupper", {{"d.txt", "anna.berg@x .berg@x"}}, "n d q",
             menu() + kPrompt + lines({"", "bad string in fUpper, closing..."}), {{"d.txt", "anna.berg@x .berg@x"}}, 1,
             {"pause 3000"}},
        Case{"empty_last_part_is_refused_by_fupper", {{"d.txt", "anna.@x"}}, "n d q",
             menu() + kPrompt + lines({"", "bad string in fUpper, closing..."}), {{"d.txt", "anna.@x"}}, 1,
             {"pause 3000"}},
        Case{"end_of_input_at_the_stem_is_a_bad_first_cin", {{"s.txt", kStaff}}, "n",
             menu() + kPrompt + lines({"bad first cin"}), {{"s.txt", kStaff}}, 1, {"pause 3000"}},
        Case{"missing_list_exits_after_two_seconds", {}, "n nope q",
             menu() + kPrompt + lines({"can't find file nope.txt", "Exiting..."}), {}, 1, {"pause 2000"}}),
    e2e::case_name);

TEST(NameExtractionFailure, UnwritableResultExitsWithoutTheDoneLines)
{
    e2e::Folder folder;
    folder.write("s.txt", kStaff);
    folder.shell("ln -s /dev/full s_N.txt");
    const auto result = folder.run("n s q\n");
    EXPECT_EQ(result.out, menu() + kPrompt + lines({"", "can't write file s_N.txt", "Exiting..."}));
    EXPECT_EQ(result.events, (std::vector<std::string>{"pause 2000"}));
    EXPECT_EQ(result.status, 1);
}

}  // namespace
