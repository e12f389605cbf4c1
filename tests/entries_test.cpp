#include "entries.h"

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

// The entries as a plain walk finds them, byte by byte.
Views plain_entries(std::string_view text)
{
    Views entries;
    for (std::size_t at = 0, begin = 0; at <= text.size(); ++at) {
        if (at == text.size() || mordavelle::is_separator(static_cast<unsigned char>(text[at]))) {
            if (at > begin)
                entries.push_back(text.substr(begin, at - begin));
            begin = at + 1;
        }
    }
    return entries;
}

TEST(Entries, CountAndCursorAgreeWithAPlainWalkOnRandomTexts)
{
    // Texts over a few bytes, short ones so that entries start and end at
    // every position of the eight-byte steps, and some beyond the count's
    // blocks of 4,096 bytes.
    std::mt19937 random(11);
    for (int round = 0; round < 20'000; ++round) {
        std::string text(round % 500 == 0 ? 4000 + random() % 5000 : random() % 20, ' ');
        for (char& byte : text)
            byte = " \t\n\rab\x80"[random() % 7];
        const Views expected = plain_entries(text);
        ASSERT_EQ(mordavelle::count_entries(text), expected.size()) << '"' << text << '"';
        ASSERT_EQ(mordavelle::split_entries(text), expected) << '"' << text << '"';
    }
}

}  // namespace
