#include "e2e.h"
#include "commands.h"
#include "sort.h"
#include "entries.h"
#include "name_extraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

// The lines the command writes for a list text whose keys can be made.
Names names_of(std::string text)
{
    mordavelle::make_name_keys(text);
    Names shown;
    const mordavelle::SortedEntries keys(text, mordavelle::SortKey::whole_entry);
    keys.for_each([&](std::string_view key) { shown.emplace_back(mordavelle::name_line(text, key)); });
    return shown;
}

TEST(DotTest, CountsOnlyTheDotsBeforeTheAtSign)
{
    std::string text = "a.b@hr.mordavelle.se a.b.c\nx.y@z";
    const auto made = mordavelle::make_name_keys(text);
    EXPECT_TRUE(made.passes);
    EXPECT_EQ(made.dots, 4);
    EXPECT_EQ(made.entries, 3U);
}

TEST(DotTest, OneLocalPartWithoutADotRefusesTheList)
{
    std::string text = "a.b.c.d@x support@it.se e.f@x";
    const auto made = mordavelle::make_name_keys(text);
    EXPECT_FALSE(made.passes);
    EXPECT_EQ(made.dots, 4);
    EXPECT_EQ(made.entries, 3U);
}

TEST(DotTest, AnEmptyListPasses)
{
    std::string text = " \n";
    const auto made = mordavelle::make_name_keys(text);
    EXPECT_TRUE(made.passes);
    EXPECT_EQ(made.dots, 0);
    EXPECT_EQ(made.entries, 0U);
}

// The dot test and the keys over random texts of every separator, at signs,
// dots, NUL and other low bytes, high bytes and runs of letters and dots, as a
// plain walk through the split entries makes them.
TEST(DotTest, AgreesWithAPlainWalkOnRandomTexts)
{
    std::mt19937 random(31);
    const std::string alphabet("\0\x01\x1f@@...a \n\t\r\v\f\x7f\x80\xff/%", 20);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (std::size_t bytes = random() % 50; bytes > 0; --bytes) {
            if (random() % 6 == 0)
                text += std::string(random() % 12, "ab."[random() % 3]);
            else
                text += alphabet[random() % alphabet.size()];
        }
        mordavelle::NameKeys expected;
        std::string keys;
        for (const std::string_view entry : mordavelle::split_entries(text)) {
            ++expected.entries;
            const std::string_view local = entry.substr(0, entry.find('@'));
            const std::size_t dot = local.find('.');
            expected.passes = expected.passes && dot != std::string_view::npos;
            if (dot == std::string_view::npos)
                continue;
            expected.dots += std::count(local.begin(), local.end(), '.');
            expected.empty_part = expected.empty_part || dot == 0 || dot + 1 == local.size();
            if (!expected.passes || expected.empty_part)
                continue;
            std::string key{local};
            key[0] = mordavelle::fUpper(key[0]);
            key[dot] = '%';
            key[dot + 1] = mordavelle::fUpper(key[dot + 1]);
            keys += (keys.empty() ? "" : "\n") + key;
        }
        std::string made_in = text;
        const auto made = mordavelle::make_name_keys(made_in);
        ASSERT_EQ(made.entries, expected.entries) << round;
        ASSERT_EQ(made.dots, expected.dots) << round;
        ASSERT_EQ(made.passes, expected.passes) << round;
        ASSERT_EQ(made.empty_part, expected.empty_part) << round;
        // A text whose keys are not all made is not looked at again.
        if (made.passes && !made.empty_part) {
            ASSERT_EQ(made_in, keys) << round;
        }
    }
}

TEST(EmptyParts, AreReported)
{
    for (std::string text : {"a.b@x .c@x", "a.b@x anna.@x", ".@x"}) {
        const auto made = mordavelle::make_name_keys(text);
        EXPECT_TRUE(made.passes) << text;
        EXPECT_TRUE(made.empty_part) << text;
    }
    std::string whole = "a.b@x c.d@x";
    EXPECT_FALSE(mordavelle::make_name_keys(whole).empty_part);
}

TEST(SortedNames, SplitAtTheFirstDotAndRaiseOnlyTheFirstLetters)
{
    EXPECT_EQ(names_of("anna.maria.berg@x.se bo.ek CY.dahl@x 3d.\xe5sa@x"),
              (Names{"3d \xe5sa", "Anna Maria.berg", "Bo Ek", "CY Dahl"}));
}

TEST(SortedNames, DuplicatesStayAndLieTogether)
{
    EXPECT_EQ(names_of("bo.ek@a al.berg@b bo.ek@c"), (Names{"Al Berg", "Bo Ek", "Bo Ek"}));
}

TEST(SortedNames, AShorterFirstPartSortsBeforeALongerOne)
{
    // The per cent sign between the parts sorts below every letter.
    EXPECT_EQ(names_of("anna.berg@x ann.zorn@x anna.ahl@x"), (Names{"Ann Zorn", "Anna Ahl", "Anna Berg"}));
}

TEST(SortedNames, APerCentSignInTheFirstPartSplitsTheLine)
{
    EXPECT_EQ(names_of("a%b.c@x"), (Names{"A b%C"}));
    EXPECT_EQ(names_of("an%na.berg@x an.berg@x"), (Names{"An Berg", "An na%Berg"}));
}

TEST(SortedNames, KeysEqualAfterTheSplitGiveIdenticalLines)
{
    EXPECT_EQ(names_of("1.2%3@x 1%2.3@x"), (Names{"1 2%3", "1 2%3"}));
}

// A part of a few bytes, NUL, per cent signs and high bytes among them, after
// a long run of one letter now and then.
std::string random_part(std::mt19937& random, std::string_view alphabet)
{
    std::string part(random() % 4 == 0 ? random() % 30 : 0, 'a');
    for (std::size_t n = 1 + random() % 4; n > 0; --n)
        part += alphabet[random() % alphabet.size()];
    return part;
}

// The names of random lists, many of them sharing a key, agree with the
// plainest model: each key made on its own, the keys sorted by the standard
// library, and each line the key with a blank for its first per cent sign.
TEST(SortedNames, AgreeWithAPlainSortOfKeysOnRandomLists)
{
    std::mt19937 random(99);
    const std::string first_bytes("ab%A\0\x80\xff", 7);
    const std::string last_bytes("ab%A.\0\x80\xff", 8);
    for (const std::size_t size : {1U, 2U, 17U, 50U, 5000U, 100000U}) {
        std::string text;
        Names expected;
        for (std::size_t i = 0; i < size; ++i) {
            std::string key = random_part(random, first_bytes) + "." + random_part(random, last_bytes);
            text += key + (random() % 2 == 0 ? "@d.se\n" : " ");
            const std::size_t dot = key.find('.');
            for (const std::size_t start : {std::size_t{0}, dot + 1}) {
                if (key[start] >= 'a' && key[start] <= 'z')
                    key[start] = static_cast<char>(key[start] - 'a' + 'A');
            }
            key[dot] = '%';
            expected.push_back(key);
        }
        std::sort(expected.begin(), expected.end());
        for (std::string& line : expected)
            line[line.find('%')] = ' ';
        std::string checked = text;
        const auto made = mordavelle::make_name_keys(checked);
        ASSERT_TRUE(made.passes);
        ASSERT_FALSE(made.empty_part);
        ASSERT_EQ(names_of(text), expected) << size;
    }
}

}  // namespace
