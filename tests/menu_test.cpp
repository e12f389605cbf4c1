#include "e2e.h"

#include <gtest/gtest.h>

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

}  // namespace
