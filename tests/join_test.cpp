#include "e2e.h"
#include "lists/engine/entry_set.h"
#include "lists/join.h"

#include <gtest/gtest.h>

namespace {

using Views = std::vector<std::string_view>;

TEST(JoinEntries, KeepsFirstOccurrencesOfFirstListThenNewOnesOfSecond)
{
    EXPECT_EQ(lists::join({"c", "a", "c", "b"}, {"d", "a", "e", "d"}), (Views{"c", "a", "b", "d", "e"}));
}

TEST(JoinEntries, ComparesWholeEntriesByteForByte)
{
    EXPECT_EQ(lists::join({"ann", "Ann"}, {"an", "ann", "ann\xe9"}), (Views{"ann", "Ann", "an", "ann\xe9"}));
}

TEST(JoinEntries, EitherListMayBeEmpty)
{
    EXPECT_EQ(lists::join({}, {"b", "b"}), (Views{"b"}));
    EXPECT_EQ(lists::join({"a", "a"}, {}), (Views{"a"}));
    EXPECT_TRUE(lists::join({}, {}).empty());
}

std::string numbered(char letter, std::size_t number)
{
    std::string entry = std::to_string(number);
    entry.insert(entry.begin(), letter);
    return entry;
}

TEST(EntrySet, FilledToItsBoundFindsEveryMemberAndNoOther)
{
    std::vector<std::string> text(50000);
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = numbered('m', i);
    const Views members(text.begin(), text.end());
    lists::EntrySet set(members, members.size());
    const auto has = [&set](const std::string& entry) { return set.contains(entry, lists::EntrySet::hash(entry)); };
    for (std::size_t i = 0; i < members.size(); ++i)
        EXPECT_TRUE(set.insert(i, lists::EntrySet::hash(members[i]))) << i;
    for (std::size_t i = 0; i < members.size(); ++i)
        ASSERT_TRUE(has(numbered('m', i)) && !has(numbered('n', i))) << i;
}

TEST(EntrySet, AnEqualEntryElsewhereIsNotAddedAgain)
{
    const Views entries{"a", "b", "a", "", ""};
    lists::EntrySet set(entries, entries.size());
    std::vector<bool> added;
    for (std::size_t i = 0; i < entries.size(); ++i)
        added.push_back(set.insert(i, lists::EntrySet::hash(entries[i])));
    EXPECT_EQ(added, (std::vector<bool>{true, true, false, true, false}));
    EXPECT_TRUE(set.contains("", lists::EntrySet::hash("")));
    EXPECT_FALSE(set.contains("c", lists::EntrySet::hash("c")));
}

}  // namespace
