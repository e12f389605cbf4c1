#include "e2e.h"
#include "entries.h"
#include "sorted_by.h"

#include <gtest/gtest.h>


namespace {

using mordavelle::SortKey;
using Views = std::vector<std::string_view>;

TEST(SortedByBytes, HighBytesComeAfterAscii)
{
    EXPECT_EQ(sorted_by("\xff \x80z z \x80 \xc3\xa9 A \x7f", SortKey::whole_entry),
              (Views{"A", "z", "\x7f", "\x80", "\x80z", "\xc3\xa9", "\xff"}));
}

TEST(SortedByBytes, ABeginningComesBeforeTheLongerEntry)
{
    EXPECT_EQ(sorted_by("abcdefghij abc abcdefghi ab abcdefgh abcdefghijk", SortKey::whole_entry),
              (Views{"ab", "abc", "abcdefgh", "abcdefghi", "abcdefghij", "abcdefghijk"}));
}

TEST(SortedByBytes, NulBytesAreOrdinaryLowBytes)
{
    const std::string_view a("ab", 2), a_nul("ab\0", 3), a_nul_nul("ab\0\0", 4), a_one("ab\x01", 3);
    EXPECT_EQ(sorted_by(std::string_view("ab\x01 ab\0\0 ab ab\0", 15), SortKey::whole_entry),
              (Views{a, a_nul, a_nul_nul, a_one}));
}

TEST(SortedByBytes, KeepsEveryDuplicateInInputOrder)
{
    const std::string_view text = "b a b a b";
    const Views sorted = sorted_by(text, SortKey::whole_entry);
    EXPECT_EQ(sorted, (Views{"a", "a", "b", "b", "b"}));
    EXPECT_EQ(sorted[0].data(), text.data() + 2);
    EXPECT_EQ(sorted[1].data(), text.data() + 6);
    EXPECT_EQ(sorted[4].data(), text.data() + 8);
}

TEST(SortedByBytes, AnEmptyTextHasNoEntries)
{
    EXPECT_TRUE(sorted_by("", SortKey::whole_entry).empty());
    EXPECT_TRUE(sorted_by(" \t\r\n", SortKey::whole_entry).empty());
}

}  // namespace
