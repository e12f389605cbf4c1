#include "e2e.h"
#include "lists/alphabetical_sort.h"
#include "lists/sort_entries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using e2e::Case;
using e2e::lines;
using e2e::menu;
using Views = std::vector<std::string_view>;

const std::string kAsk = lines({"Enter name of file to sort entries in.", "(I will add the .txt suffix.)"});

std::string sorted(std::string_view name)
{
    return kAsk + lines({"", "Sorted! See file: " + std::string{name}, ""});
}

const e2e::Files kNames = {{"names.txt", "Bob alice Carl\nab abc ab 10 9"}};

class AlphabeticalSortDialogue : public testing::TestWithParam<Case> {};

TEST_P(AlphabeticalSortDialogue, PrintsExactlyAndEnds)
{
    e2e::check(GetParam());
}

INSTANTIATE_TEST_SUITE_P(AlphabeticalSort, AlphabeticalSortDialogue,
    testing::Values(
        Case{"sorts_by_byte_value_one_entry_a_line", kNames, "a\nnames\nq\n", menu() + sorted("names_a.txt") + menu(),
             {{"names.txt", "Bob alice Carl\nab abc ab 10 9"}, {"names_a.txt", "10\n9\nBob\nCarl\nab\nab\nabc\nalice\n"}}, 0,
             {}},
        Case{"a_second_sort_overwrites_the_first", {{"l.txt", "b a"}, {"l_a.txt", "old\nlonger\n"}}, "A l a l q",
             menu() + sorted("l_a.txt") + menu() + sorted("l_a.txt") + menu(), {{"l.txt", "b a"}, {"l_a.txt", "a\nb\n"}}, 0,
             {}},
        Case{"an_empty_list_gives_an_empty_file", {{"e.txt", " \t\n"}}, "a e q", menu() + sorted("e_a.txt") + menu(),
             {{"e.txt", " \t\n"}, {"e_a.txt", ""}}, 0, {}},
        Case{"a_missing_list_is_reported_and_the_menu_comes_back", {{"nope_a.txt", "earlier result\n"}}, "a nope q",
             menu() + kAsk + lines({"can't find file nope.txt"}) + menu(), {{"nope_a.txt", "earlier result\n"}}, 0, {}},
        Case{"a_missing_list_creates_no_file", {}, "a nope c nope", menu() + kAsk + lines({"can't find file nope.txt"}) +
             menu() + lines({"Counts number of entries in which file?", "(I will add the .txt suffix.)",
                             "can't find file nope.txt", "Shutting down..."}),
             {}, 1, {"pause 2000"}}),
    e2e::case_name);

TEST(AlphabeticalSortFailure, UnwritableResultShutsDown)
{
    e2e::Folder folder;
    folder.write("l.txt", "b a");
    folder.shell("ln -s /dev/full l_a.txt");
    const auto result = folder.run("a l q");
    EXPECT_EQ(result.out, menu() + kAsk + lines({"", "can't make file l_a.txt", "Shutting down..."}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.events, (std::vector<std::string>{"pause 2000"}));
}

Views sorted_by_bytes(Views entries)
{
    lists::sort_by_bytes(entries);
    return entries;
}

TEST(SortByBytes, HighBytesComeAfterAscii)
{
    EXPECT_EQ(sorted_by_bytes({"\xff", "\x80z", "z", "\x80", "\xc3\xa9", "A", "\x7f"}),
              (Views{"A", "z", "\x7f", "\x80", "\x80z", "\xc3\xa9", "\xff"}));
}

TEST(SortByBytes, ABeginningComesBeforeTheLongerEntry)
{
    EXPECT_EQ(sorted_by_bytes({"abcdefghij", "abc", "abcdefghi", "ab", "abcdefgh", "abcdefghijk"}),
              (Views{"ab", "abc", "abcdefgh", "abcdefghi", "abcdefghij", "abcdefghijk"}));
}

TEST(SortByBytes, NulBytesAreOrdinaryLowBytes)
{
    const std::string_view a("ab", 2), a_nul("ab\0", 3), a_nul_nul("ab\0\0", 4), a_one("ab\x01", 3);
    EXPECT_EQ(sorted_by_bytes({a_one, a_nul_nul, a, a_nul}), (Views{a, a_nul, a_nul_nul, a_one}));
}

TEST(SortByBytes, KeepsEveryDuplicate)
{
    EXPECT_EQ(sorted_by_bytes({"b", "a", "b", "a", "b"}), (Views{"a", "a", "b", "b", "b"}));
}

// Random entries over a few bytes, long shared beginnings included, agree with
// the plain comparison of the standard library at every size.
TEST(SortByBytes, AgreesWithStandardComparisonOnRandomLists)
{
    std::mt19937 random(12345);
    const std::string alphabet("\0\x01@a.b\x7f\x80\xff", 9);
    for (const std::size_t size : {0U, 1U, 2U, 3U, 17U, 64U, 300U, 5000U, 100000U}) {
        std::vector<std::string> text(size);
        for (auto& entry : text) {
            entry = std::string(random() % 3 == 0 ? random() % 20 : 0, 'p');
            for (std::size_t n = random() % 24; n > 0; --n)
                entry += alphabet[random() % alphabet.size()];
        }
        Views entries(text.begin(), text.end());
        Views expected = entries;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(sorted_by_bytes(entries), expected) << size;
    }
}

// The sort straight from a list text gives the entries of the text, in the
// order the list sorts give, for byte and department order alike.
TEST(SortedText, AgreesWithTheListSortsOnRandomTexts)
{
    std::mt19937 random(777);
    const std::string alphabet("\0\x01@a.b \n\x7f\x80\xff", 11);
    for (const std::size_t size : {0U, 1U, 40U, 3000U, 200000U}) {
        std::string text;
        for (std::size_t i = 0; i < size; ++i)
            text += random() % 4 == 0 ? std::string(random() % 30, 'q') : alphabet.substr(random() % alphabet.size(), 1);
        for (const bool by_department : {false, true}) {
            auto expected = shell::split_entries(text);
            by_department ? lists::sort_by_department(expected) : lists::sort_by_bytes(expected);
            const lists::SortedText sorted(text, by_department ? lists::SortOrder::department : lists::SortOrder::bytes);
            ASSERT_EQ(sorted.size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i)
                ASSERT_EQ(sorted[i].data(), expected[i].data()) << size << " " << by_department << " " << i;
        }
    }
}

}  // namespace
