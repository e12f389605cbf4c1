#include "e2e.h"
#include "entry_set.h"

#include <gtest/gtest.h>

namespace {

using e2e::lines;
using e2e::menu;
using Views = std::vector<std::string_view>;

const std::string kAskFirst = lines({"Combines two lists,", "removes redundant strings.",
                                     "NOTE: CASE-SENSITIVE! (better change all to lower case first)", "",
                                     "file name 1?", "(I will add the .txt suffix in names)."});
const std::string kAskSecond = lines({"file name 2?", "(I will add the .txt suffix in names)."});

const e2e::Files kOverlap = {{"one.txt", "x y x"}, {"two.txt", "y\nz\n"}};
TEST(JoinFailure, UnwritableJoinedFileExitsNamingIt)
{
    e2e::Folder folder;
    folder.write(kOverlap);
    folder.shell("ln -s /dev/full one_two.txt");
    const auto result = folder.run("j one two q");
    EXPECT_EQ(result.out, menu() + kAskFirst + kAskSecond +
        lines({"cannot write output fileone_two.txt", "Exiting..."}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.events, (std::vector<std::string>{"pause 2000"}));
}

TEST(JoinName, TheJoinedListLiesBesideTheFirstWhateverFolderTheSecondIsIn)
{
    e2e::Folder folder;
    folder.shell("mkdir lists \xC3\x96vrigt && printf 'x y' > lists/one.txt && printf 'z' > \xC3\x96vrigt/svar.txt");
    const auto result = folder.run("j lists/one \xC3\x96vrigt/svar q");
    EXPECT_EQ(result.out, menu() + kAskFirst + kAskSecond +
        lines({"Done combining files, output is in the file lists/one_svar.txt", ""}) + menu());
    EXPECT_EQ(e2e::read_file(folder.path() / "lists/one_svar.txt"), "x\ny\nz\n");
}

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
    mordavelle::EntrySet set(members, members.size());
    const auto has = [&set](const std::string& entry) { return set.contains(entry, mordavelle::EntrySet::hash(entry)); };
    for (std::size_t i = 0; i < members.size(); ++i)
        EXPECT_TRUE(set.insert(i, mordavelle::EntrySet::hash(members[i]))) << i;
    for (std::size_t i = 0; i < members.size(); ++i)
        ASSERT_TRUE(has(numbered('m', i)) && !has(numbered('n', i))) << i;
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
