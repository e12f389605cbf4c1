#include "e2e.h"
#include "entry_set.h"
#include "entries.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Views = std::vector<std::string_view>;

TEST(SubtractTones, ShippedProgramSoundsFiftyMillisecondsForEachDroppedEntry)
{
    e2e::Folder folder;
    folder.write({{"all.txt", "a b\nc d\n"}, {"resp.txt", "a b c d"}});
    const auto result = folder.run("s all resp\nq\n", e2e::kShippedProgram);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(folder.files().at("Reminders.txt"), "");
    EXPECT_GE(result.seconds, 0.195);
    EXPECT_LT(result.seconds, 10.0);
}

// The marks the command writes or drops by: one per entry of the list of all.
std::vector<bool> marks(std::string_view all, std::string_view responders)
{
    const Views responder_list = mordavelle::split_entries(responders);
    std::vector<bool> dropped;
    mordavelle::Responders(responder_list).mark(mordavelle::EntryCursor(all),
                                           [&](std::string_view, bool drop) { dropped.push_back(drop); });
    return dropped;
}

TEST(Responders, MarkEveryCopyOfEachResponderInPlace)
{
    EXPECT_EQ(marks("x a x b", "x x zed"), (std::vector<bool>{true, false, true, false}));
}

TEST(Responders, HandOverTheEntriesOfTheListOfAllInOrder)
{
    const Views responder_list = mordavelle::split_entries("b");
    Views seen;
    mordavelle::Responders(responder_list).mark(mordavelle::EntryCursor(" a\tb\r\nc\n"),
                                           [&](std::string_view entry, bool) { seen.push_back(entry); });
    EXPECT_EQ(seen, (Views{"a", "b", "c"}));
}

TEST(Responders, CompareWholeEntriesByteForByte)
{
    EXPECT_EQ(marks("ann an ann. Ann", "Ann anna"), (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(marks(std::string_view("a\0b a\0c a", 9), std::string_view("a\0b", 3)),
              (std::vector<bool>{true, false, false}));
}

TEST(Responders, KeepPerCentSignsNoResponderEquals)
{
    EXPECT_EQ(marks("% a %", "a"), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(marks("% a", "%"), (std::vector<bool>{true, false}));
}

TEST(Responders, NoneDropNothing)
{
    EXPECT_EQ(marks("a b", ""), (std::vector<bool>{false, false}));
    EXPECT_TRUE(marks("", "").empty());
}

TEST(Responders, MarkAHundredThousandEntriesAgainstFiftyThousand)
{
    std::string all, responders;
    for (std::size_t i = 0; i < 100000; ++i)
        all += "person" + std::to_string(i) + "@dept.se\n";
    for (std::size_t i = 0; i < 50000; ++i)
        responders += "person" + std::to_string(i * 3) + "@dept.se ";
    const auto dropped = marks(all, responders);
    ASSERT_EQ(dropped.size(), 100000U);
    EXPECT_EQ(std::count(dropped.begin(), dropped.end(), true), 33334);
    EXPECT_TRUE(dropped[99999] && !dropped[99998]);
}

}  // namespace
