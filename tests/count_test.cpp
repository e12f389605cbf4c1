#include "e2e.h"

#include <gtest/gtest.h>

namespace {

using e2e::lines;
using e2e::menu;

std::string missing(std::string_view name)
{
    return lines({"Counts number of entries in which file?", "(I will add the .txt suffix.)",
                  "can't find file " + std::string{name}, "Shutting down..."});
}

TEST(CountFailure, ShippedProgramReallyPausesTwoSeconds)
{
    e2e::Folder folder;
    const auto result = folder.run("c\nnope\n", e2e::kShippedProgram);
    EXPECT_EQ(result.out, menu() + missing("nope.txt"));
    EXPECT_EQ(result.status, 1);
    EXPECT_GE(result.seconds, 1.95);
    EXPECT_LT(result.seconds, 10.0);
}

TEST(CountLargeList, EntriesAndWhiteSpaceAcrossThePiecesAreCountedOnce)
{
    // About 600 KB, read in pieces of 256 KiB: the entries and the runs of white
    // space of every length up to a dozen lie across their ends.
    std::string list;
    std::size_t count = 0;
    for (; list.size() < 600000; ++count)
        list += std::string(1 + count % 11, 'a') + std::string(1 + count % 7, count % 2 == 0 ? ' ' : '\n');
    e2e::Folder folder;
    // The same list a byte later, where its first entry is one longer.
    folder.write({{"big.txt", list}, {"later.txt", "b" + list}});
    const auto result = folder.run("c big c later q");
    const std::string counted = " contains " + std::to_string(count) + " strings.";
    EXPECT_NE(result.out.find("The list  big.txt" + counted), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("The list  later.txt" + counted), std::string::npos) << result.out;
}

}  // namespace
