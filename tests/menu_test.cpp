#include "e2e.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

using e2e::menu;

TEST(MenuColours, FrameInRedEntriesAndCommandsInGreen)
{
    e2e::Folder folder;
    const auto result = folder.run("x\nq\n");
    const std::vector<std::string> one_cycle = {"light red", "light green", "light red", "light green"};
    std::vector<std::string> expected = one_cycle;
    expected.insert(expected.end(), one_cycle.begin(), one_cycle.end());
    expected.push_back("reset");
    EXPECT_EQ(result.colours, expected);
}

TEST(MenuColours, RedirectedOutputHoldsNoEscapeByte)
{
    e2e::Folder folder;
    const auto result = folder.run("h\nc\nmissing\n", e2e::kShippedProgram);
    EXPECT_EQ(result.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(result.out.find('\a'), std::string::npos);
}

TEST(MenuColours, TerminalGetsBrightRedAndGreenThenReset)
{
    // script(1) gives the program a pseudo-terminal as its console.
    e2e::Folder folder;
    folder.write("input", "q\n");
    folder.shell("script -qec " + e2e::kShippedProgram + " /dev/null < input > screen");
    const std::string screen = folder.files().at("screen");
    EXPECT_NE(screen.find("\x1b[91m***********************\r\nMordavelle"), std::string::npos) << screen;
    EXPECT_NE(screen.find("\x1b[92mA/a: Alphabetically sort file contents."), std::string::npos) << screen;
    EXPECT_NE(screen.rfind("\x1b[0m"), std::string::npos) << screen;
    EXPECT_GT(screen.rfind("\x1b[0m"), screen.rfind("\x1b[92m")) << screen;
}

// A list whose text would need more room than a string can have at all (a
// length error, not a failed allocation) ends the command as too little memory does.
TEST(MenuFailure, ListLargerThanAnyStringIsReportedAsTooLittleMemory)
{
    e2e::Folder folder;
    // A sparse file of the largest size there is costs nothing on a tmpfs.
    const std::string huge = "/dev/shm/" + folder.path().parent_path().filename().string();
    if (std::system(("truncate -s 9223372036854775807 " + huge + " 2> /dev/null").c_str()) != 0)
        GTEST_SKIP() << "no tmpfs at /dev/shm takes a file of 8 EiB";
    folder.shell("ln -s " + huge + " big.txt");
    const auto result = folder.run("a big\n");
    std::filesystem::remove(huge);
    EXPECT_TRUE(result.out.ends_with("\nnot enough memory for these lists\nExiting...\n")) << result.out;
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.events, (std::vector<std::string>{"pause 2000"}));
}

}  // namespace
