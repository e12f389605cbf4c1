// The help box drawn with characters: the help text wrapped at blanks as a
// message box wraps it, inside a frame that fits the terminal.
#include "e2e.h"
#include "platform/help_frame.h"
#include "commands.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<std::string> words_of(std::string_view text)
{
    std::istringstream in{std::string{text}};
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::vector<std::string> words_of(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + ' ';
    return words_of(text);
}

class HelpTextWrap : public testing::TestWithParam<std::size_t> {};

TEST_P(HelpTextWrap, EveryLineFitsWithoutOuterBlanks)
{
    const std::size_t width = GetParam();
    for (const auto& line : platform::wrap_text(mordavelle::kHelpText, width)) {
        EXPECT_LE(line.size(), width) << line;
        ASSERT_FALSE(line.empty());
        EXPECT_NE(line.front(), ' ') << line;
        EXPECT_NE(line.back(), ' ') << line;
    }
}

TEST_P(HelpTextWrap, KeepsTheTextsOwnWordsInOrder)
{
    // A word longer than a line, such as "(Notepad/Anteckningar," in 20 columns,
    // comes in pieces a line long, its rest then going on as a word of its own.
    const std::size_t width = GetParam();
    std::vector<std::string> expected;
    for (std::string word : words_of(mordavelle::kHelpText)) {
        for (; word.size() > width; word.erase(0, width))
            expected.push_back(word.substr(0, width));
        expected.push_back(word);
    }
    EXPECT_EQ(words_of(platform::wrap_text(mordavelle::kHelpText, width)), expected);
}

TEST_P(HelpTextWrap, BreaksOnlyWhereTheNextWordWouldNotFit)
{
    const std::size_t width = GetParam();
    const auto lines = platform::wrap_text(mordavelle::kHelpText, width);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        EXPECT_GT(lines[i].size() + 1 + words_of(lines[i + 1]).front().size(), width) << lines[i];
}

INSTANTIATE_TEST_SUITE_P(Widths, HelpTextWrap, testing::Values(20, 40, 80));

TEST(WrapText, HelpTextInFortyColumns)
{
    EXPECT_EQ(platform::wrap_text(mordavelle::kHelpText, 40), (std::vector<std::string>{
                                                             "Uses text files (Notepad/Anteckningar,",
                                                             "Name.txt) that are local (in same folder",
                                                             "as the program). Some functions (S, J)",
                                                             "require prior conversion to lower case",
                                                             "letters. You may copy the program to",
                                                             "several different folders.",
                                                         }));
}

TEST(WrapText, WordLongerThanALineFillsWholeLinesAndItsRestGoesOn)
{
    EXPECT_EQ(platform::wrap_text("see C:/lists/members/all.txt now", 10),
              (std::vector<std::string>{"see", "C:/lists/m", "embers/all", ".txt now"}));
}

TEST(WrapText, RunsOfBlanksSeparateAsOneBlankDoes)
{
    EXPECT_EQ(platform::wrap_text("  one   two  ", 20), (std::vector<std::string>{"one two"}));
}

TEST(WrapText, TextOfBlanksOnlyHasNoLines)
{
    EXPECT_TRUE(platform::wrap_text("   ", 20).empty());
}

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
}

TEST(HelpFrame, NoLineWiderThanTheBox)
{
    for (std::size_t width : {20U, 40U, 60U, 80U}) {
        std::istringstream frame{platform::help_frame(mordavelle::kHelpCaption, mordavelle::kHelpText, width)};
        for (std::string line; std::getline(frame, line);)
            EXPECT_LE(line.size(), width) << line;
    }
}

TEST(HelpFrame, NarrowsToItsLongestLine)
{
    EXPECT_EQ(platform::help_frame("Hi", "a b", 80), e2e::lines({"+-----+", "| Hi  |", "+-----+", "| a b |", "+-----+"}));
}

// The lines of the box in what a terminal received: colours and carriage returns taken out.
std::vector<std::string> box_lines(const std::string& screen)
{
    std::vector<std::string> lines;
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
            lines.push_back(plain);
    }
    return lines;
}

TEST(HelpBoxOnTerminal, FitsSixtyColumnsWithEveryWord)
{
    // script(1) gives the program a pseudo-terminal, which stty makes 60 columns wide.
    e2e::Folder folder;
    folder.write("input", "h\nq\n");
    folder.shell("script -qec 'stty cols 60 && exec " + e2e::kShippedProgram + "' /dev/null < input > screen");
    const auto lines = box_lines(folder.files().at("screen"));
    ASSERT_GE(lines.size(), 8U) << folder.files().at("screen");
    std::string text;
    for (const auto& line : lines) {
        EXPECT_LE(line.size(), 60U) << line;
        if (line.front() == '|')
            text += line.substr(1, line.size() - 2) + ' ';
    }
    std::vector<std::string> expected = {std::string{mordavelle::kHelpCaption}};
    for (const auto& word : words_of(mordavelle::kHelpText))
        expected.push_back(word);
    EXPECT_EQ(words_of(text), expected);
}

TEST(HelpBoxOnTerminal, RedirectedOutputGetsTheFullWidth)
{
    e2e::Folder folder;
    const auto result = folder.run("h\nq\n", e2e::kShippedProgram);
    EXPECT_NE(result.out.find(platform::help_frame(mordavelle::kHelpCaption, mordavelle::kHelpText, 80)), std::string::npos);
}

}  // namespace
