#include "case/case.h"
#include "case/lower_case.h"
#include "shell/failure.h"
#include "shell/engine/entries.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using casing::fCaser;
using casing::fUpper;

TEST(FCaser, LowersOnlyTheEnglishCapitals)
{
    EXPECT_EQ(fCaser("A1-B2c"), "a1-b2c");
    EXPECT_EQ(fCaser("Q"), "q");
    EXPECT_EQ(fCaser("AZ@[`az{.09"), "az@[`az{.09");
}

TEST(FCaser, LeavesBytesAboveTheAsciiRangeAlone)
{
    EXPECT_EQ(fCaser("\xc5SA"), "\xc5sa");
    EXPECT_EQ(fCaser("\xc3\x85SA\xff"), "\xc3\x85sa\xff");
}

TEST(FCaser, ReturnsATextWithoutCapitalsUnchanged)
{
    EXPECT_EQ(fCaser("anna.berg@hr.se"), "anna.berg@hr.se");
}

TEST(FUpper, RaisesOnlyASmallFirstLetter)
{
    EXPECT_EQ(fUpper("anna"), "Anna");
    EXPECT_EQ(fUpper("ANNA"), "ANNA");
    EXPECT_EQ(fUpper("a"), "A");
    EXPECT_EQ(fUpper("mcdonald"), "Mcdonald");
    EXPECT_EQ(fUpper("anna-lena"), "Anna-lena");
    EXPECT_EQ(fUpper("zoe van"), "Zoe van");
}

TEST(FUpper, LeavesADigitOrAHighByteFirstAlone)
{
    EXPECT_EQ(fUpper("3anna"), "3anna");
    EXPECT_EQ(fUpper("\xe5sa"), "\xe5sa");
    EXPECT_EQ(fUpper("`a{"), "`a{");
}

TEST(CaseRoutines, LeaveTheCallersTextAsItWas)
{
    const std::string text = "anna.BERG";
    EXPECT_EQ(fCaser(text), "anna.berg");
    EXPECT_EQ(fUpper(text), "Anna.BERG");
    EXPECT_EQ(text, "anna.BERG");
}

// The refusal ends the program: main turns ProgramEnd into the exit status.
void expect_refusal(std::string (*routine)(std::string), const std::string& message)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int status = 0;
    try {
        (void)routine("");
    } catch (const shell::ProgramEnd& end) {
        status = end.status;
    }
    std::fflush(stderr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), message + "\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "pause 3000\n");
    EXPECT_EQ(status, 1);
}

TEST(CaseRoutines, EmptyTextEndsTheProgramAfterThreeSeconds)
{
    expect_refusal(fCaser, "bad string in fCaser, closing...");
    expect_refusal(fUpper, "bad string in fUpper, closing...");
}

TEST(LowerLetters, WholeTextGivesTheEntriesThatFCaserGivesOneByOne)
{
    const std::string original = "Anna.BERG@HR.se \t\xc5SA\r\nQ  x@Y.COM\x0b\x0c" "ZZ\n";
    std::string text = original;
    casing::lower_letters(text);
    const auto lowered = shell::split_entries(text);
    const auto entries = shell::split_entries(original);
    ASSERT_EQ(lowered.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(lowered[i], fCaser(std::string{entries[i]}));
}

}  // namespace
