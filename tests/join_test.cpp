#include "e2e.h"
#include "entry_set.h"

#include <gtest/gtest.h>

namespace {

using Views = std::vector<std::string_view>;

Views join(const Views& first, const Views& second)
{
    using mordavelle::ListCursor;
    return mordavelle::join_entries(ListCursor(first), ListCursor(second), first.size() + second.size());
}

TEST(JoinEntries, KeepsFirstOccurrencesOfFirstListThenNewOnesOfSecond)
{
    EXPECT_EQ(join({"c", "a", "c", "b"}, {"d", "a", "e", "d"}), (Views{"c", "a", "b", "d", "e"}));
}

TEST(JoinEntries, ComparesWholeEntriesByteForByte)
{
    EXPECT_EQ(join({"ann", "Ann"}, {"an", "ann", "ann\xe9"}), (Views{"ann", "Ann", "an", "ann\xe9"}));
}

TEST(JoinEntries, EitherListMayBeEmpty)
{
    EXPECT_EQ(join({}, {"b", "b"}), (Views{"b"}));
    EXPECT_EQ(join({"a", "a"}, {}), (Views{"a"}));
    EXPECT_TRUE(join({}, {}).empty());
}

// The set filled to its bound with as many distinct entries as a power of
// two, where its table is sized, then asked for each and for entries it never
// held: the table keeps room to tell them apart.
TEST(EntrySet, FilledToAPowerOfTwoFindsEveryMemberAndNoOther)
{
    for (const std::size_t count : {std::size_t{16}, std::size_t{1024}, std::size_t{1} << 16}) {
        std::vector<std::string> text(count);
        for (std::size_t i = 0; i < count; ++i)
            text[i] = std::to_string(i).append("m");
        const Views members(text.begin(), text.end());
        mordavelle::EntrySet set(members, members.size());
        const auto has = [&set](std::string_view entry) {
            return set.contains(entry, mordavelle::EntrySet::hash(entry));
        };
        for (std::size_t i = 0; i < count; ++i)
            ASSERT_TRUE(set.insert(i, mordavelle::EntrySet::hash(members[i]))) << i;
        for (std::size_t i = 0; i < count; ++i)
            ASSERT_TRUE(has(members[i]) && !has(std::to_string(i).append("n"))) << count << " " << i;
    }
}

TEST(EntrySet, AnEqualEntryElsewhereIsNotAddedAgain)
{
    const Views entries{"a", "b", "a", "", ""};
    mordavelle::EntrySet set(entries, entries.size());
    std::vector<bool> added;
    for (std::size_t i = 0; i < entries.size(); ++i)
        added.push_back(set.insert(i, mordavelle::EntrySet::hash(entries[i])));
    EXPECT_EQ(added, (std::vector<bool>{true, true, false, true, false}));
    EXPECT_TRUE(set.contains("", mordavelle::EntrySet::hash("")));
    EXPECT_FALSE(set.contains("c", mordavelle::EntrySet::hash("c")));
}

}  // namespace
