// The help box drawn with characters: the help text wrapped at blanks as a
// message box wraps it, inside a frame that fits the terminal.
#include "commands.h"
#include "e2e.h"
#include "platform/help_frame.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using Lines = std::vector<std::string>;

TEST(WrapText, HelpTextInFortyColumns)
{
    EXPECT_EQ(platform::wrap_text(mordavelle::kHelpText, 40),
              (Lines{"Uses text files (Notepad/Anteckningar,", "Name.txt) that are local (in same folder",
                     "as the program). Some functions (S, J)", "require prior conversion to lower case",
                     "letters. You may copy the program to", "several different folders."}));
}

TEST(WrapText, WordLongerThanALineFillsWholeLinesAndItsRestGoesOn)
{
    EXPECT_EQ(platform::wrap_text("see C:/lists/members/all.txt now", 10),
              (Lines{"see", "C:/lists/m", "embers/all", ".txt now"}));
}

TEST(WrapText, RunsOfBlanksSeparateAsOneBlankDoes)
{
    EXPECT_EQ(platform::wrap_text("  one   two  ", 20), (Lines{"one two"}));
    EXPECT_TRUE(platform::wrap_text("   ", 20).empty());
}

const std::string kBoxIn60Columns = e2e::lines({
    "+---------------------------------------------------------+",
    "| Mordsavelle                                             |",
    "+---------------------------------------------------------+",
    "| Uses text files (Notepad/Anteckningar, Name.txt) that   |",
    "| are local (in same folder as the program). Some         |",
    "| functions (S, J) require prior conversion to lower case |",
    "| letters. You may copy the program to several different  |",
    "| folders.                                                |",
    "+---------------------------------------------------------+",
});

TEST(HelpFrame, CaptionThenTextWrappedInEightyColumns)
{
    EXPECT_EQ(platform::help_frame(mordavelle::kHelpCaption, mordavelle::kHelpText),
              e2e::lines({
                  "+----------------------------------------------------------------------------+",
                  "| Mordsavelle                                                                |",
                  "+----------------------------------------------------------------------------+",
                  "| Uses text files (Notepad/Anteckningar, Name.txt) that are local (in same   |",
                  "| folder as the program). Some functions (S, J) require prior conversion to  |",
                  "| lower case letters. You may copy the program to several different folders. |",
                  "+----------------------------------------------------------------------------+",
              }));
    EXPECT_EQ(platform::help_frame(mordavelle::kHelpCaption, mordavelle::kHelpText, 60), kBoxIn60Columns);
}

TEST(HelpFrame, NarrowsToItsLongestLine)
{
    EXPECT_EQ(platform::help_frame("Hi", "a b", 80), e2e::lines({"+-----+", "| Hi  |", "+-----+", "| a b |", "+-----+"}));
    EXPECT_EQ(platform::help_frame("Hi", "one two three four", 12),
              e2e::lines({"+---------+", "| Hi      |", "+---------+", "| one two |", "| three   |", "| four    |",
                          "+---------+"}));
}

// The box in what a terminal received: colours and carriage returns taken out.
std::string box_of(const std::string& screen)
{
    std::string box;
    std::istringstream in{screen};
    for (std::string line; std::getline(in, line);) {
        std::string plain;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\x1b')
                i = line.find('m', i);
            else if (line[i] != '\r')
                plain += line[i];
        }
        if (!plain.empty() && (plain.front() == '+' || plain.front() == '|'))
            box += plain + '\n';
    }
    return box;
}

TEST(HelpBoxOnTerminal, FitsSixtyColumns)
{
    // script(1) gives the program a pseudo-terminal, which stty makes 60 columns wide.
    e2e::Folder folder;
    folder.write("input", "h\nq\n");
    folder.shell("script -qec 'stty cols 60 && exec " + e2e::kShippedProgram + "' /dev/null < input > screen");
    EXPECT_EQ(box_of(folder.files().at("screen")), kBoxIn60Columns);
}

TEST(HelpBoxOnTerminal, RedirectedOutputGetsTheFullWidth)
{
    e2e::Folder folder;
    const auto result = folder.run("h\nq\n", e2e::kShippedProgram);
    EXPECT_NE(result.out.find(platform::help_frame(mordavelle::kHelpCaption, mordavelle::kHelpText, 80)), std::string::npos);
}

}  // namespace
