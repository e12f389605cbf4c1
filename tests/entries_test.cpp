#include "text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using Views = std::vector<std::string_view>;

TEST(SplitEntries, SeparatesOnEveryWhiteSpaceByteInAnyMix)
{
    EXPECT_EQ(mordavelle::split_entries(" a\tb\n\nc\x0b" "d\x0c" "e\r\nf  "), (Views{"a", "b", "c", "d", "e", "f"}));
}

TEST(SplitEntries, KeepsTheLastEntryWithoutALineEnd)
{
    EXPECT_EQ(mordavelle::split_entries("one\ntwo"), (Views{"one", "two"}));
}

TEST(SplitEntries, EmptyAndBlankTextsHoldNoEntries)
{
    EXPECT_TRUE(mordavelle::split_entries("").empty());
    EXPECT_TRUE(mordavelle::split_entries(" \t\r\n\x0b\x0c").empty());
}

TEST(SplitEntries, NulAndHighBytesAreOrdinaryEntryBytes)
{
    const std::string text("a\0b \x80\xff\xa0 \x1f\x7f", 10);
    EXPECT_EQ(mordavelle::split_entries(text), (Views{std::string_view("a\0b", 3), "\x80\xff\xa0", "\x1f\x7f"}));
}

TEST(SplitEntries, KeepsDuplicatesInOrder)
{
    EXPECT_EQ(mordavelle::split_entries("b a b"), (Views{"b", "a", "b"}));
}

TEST(CountEntries, AgreesWithSplitEntriesOnRandomShortTexts)
{
    // Short texts over a few bytes, a separator often first or last, so that
    // entries start and end at every position, byte 1 included.
    std::mt19937 random(11);
    for (int round = 0; round < 20'000; ++round) {
        std::string text(random() % 12, ' ');
        for (char& byte : text)
            byte = " \t\n\rab\x80"[random() % 7];
        ASSERT_EQ(mordavelle::count_entries(text), mordavelle::split_entries(text).size()) << '"' << text << '"';
    }
}

}  // namespace
