#include "e2e.h"
#include "platform/help_frame.h"
#include "shell/menu.h"

#include <gtest/gtest.h>

namespace {

using e2e::Case;
using e2e::lines;
using e2e::menu;

const std::string kOptions = lines({" You only have options L, S, J, C, A, D, E, H, N, Q...", ""});

class MenuDialogue : public testing::TestWithParam<Case> {};

TEST_P(MenuDialogue, PrintsExactlyAndEnds)
{
    e2e::check(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Menu, MenuDialogue,
    testing::Values(
        Case{.name = "quit_word_lower", .input = "q\n", .out = menu()},
        Case{.name = "quit_word_upper", .input = "Q\n", .out = menu()},
        Case{.name = "quit_after_blanks_and_empty_lines", .input = "\n\n   \t q\n", .out = menu()},
        Case{.name = "end_of_input_quits", .input = "", .out = menu()},
        Case{.name = "end_of_input_after_unknown_word", .input = "x", .out = menu() + kOptions + menu()},
        Case{.name = "longer_words_are_unknown", .input = "Quit QQ s2 help\nq\n",
             .out = menu() + kOptions + menu() + kOptions + menu() + kOptions + menu() + kOptions + menu()},
        Case{.name = "digits_and_control_bytes_are_unknown", .input = "7 \x01\x02 \xff\nq\n",
             .out = menu() + kOptions + menu() + kOptions + menu() + kOptions + menu()},
        Case{.name = "help_box_then_whole_menu_again", .input = "h\nH\nq\n",
             .out = menu() + platform::help_frame("Mordsavelle", shell::kHelpText) + menu() +
                 platform::help_frame("Mordsavelle", shell::kHelpText) + menu()},
        Case{.name = "words_after_quit_are_not_read", .before = {{"a.txt", "x"}}, .input = "q c a\n", .out = menu(),
             .after = {{"a.txt", "x"}}}),
    e2e::case_name);

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
