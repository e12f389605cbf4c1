#include "e2e.h"
#include "email_extraction.h"

#include <gtest/gtest.h>

namespace {

using e2e::lines;
using e2e::menu;
using Words = std::vector<std::string>;

// The words that the text yields once broken, copied out of it.
Words extracted(std::string text)
{
    mordavelle::break_text(text);
    Words words;
    mordavelle::for_each_word_with_at_signs(text, [&words](std::string_view word) { words.emplace_back(word); });
    return words;
}

TEST(BreakText, TurnsTheFiveBreakCharactersIntoLineEnds)
{
    std::string text = "a(b)c,d<e>f;g:h[i]j\"k.l=m?\xa8\xbc\xa9";
    mordavelle::break_text(text);
    EXPECT_EQ(text, "a\nb\nc\nd\ne\nf;g:h[i]j\"k.l=m?\xa8\xbc\xa9");
}

TEST(WordsWithAtSigns, DisplayNamesBracketsAndCommasFallAway)
{
    EXPECT_EQ(extracted("To: Anna Berg <anna.berg@hr.se>, (bo@it.se) \"Cy\" <cy@x.se>"),
              (Words{"anna.berg@hr.se", "bo@it.se", "cy@x.se"}));
}

TEST(WordsWithAtSigns, OtherPunctuationStaysAttached)
{
    EXPECT_EQ(extracted("mail a@b.se. or \"c@d.se\"; [e@f.se] mailto:g@h.se:"),
              (Words{"a@b.se.", "\"c@d.se\";", "[e@f.se]", "mailto:g@h.se:"}));
}

TEST(WordsWithAtSigns, AWordWithTwoAtSignsComesTwiceInARow)
{
    EXPECT_EQ(extracted("x a@b@c y @ z"), (Words{"a@b@c", "a@b@c", "@"}));
}

TEST(WordsWithAtSigns, RepeatsKeepTextOrderAndCase)
{
    EXPECT_EQ(extracted("A@B.se b@c.se\nA@B.se\tA@B.se"), (Words{"A@B.se", "b@c.se", "A@B.se", "A@B.se"}));
}

TEST(WordsWithAtSigns, HighBytesPassThrough)
{
    EXPECT_EQ(extracted("\xc3\xa5sa@f\xf6retag.se \xff@\x80"), (Words{"\xc3\xa5sa@f\xf6retag.se", "\xff@\x80"}));
}

TEST(WordsWithAtSigns, AnAddressBrokenAcrossLinesKeepsOnlyThePartWithTheAtSign)
{
    EXPECT_EQ(extracted("write to anna.berg@hr.\r\nmordavelle.se today"), (Words{"anna.berg@hr."}));
}

TEST(WordsWithAtSigns, WordsAtBothEndsOfTheTextAndNoneWithout)
{
    EXPECT_EQ(extracted("@a b c@"), (Words{"@a", "c@"}));
    EXPECT_TRUE(extracted("no address here").empty());
    EXPECT_TRUE(extracted("").empty());
}

const std::string kPrompt =
    lines({"Extract e-mail-addresses from a text.", "Enter name of text file to extract from:",
           "(I will add the .txt suffix)"});

const std::string kThread =
    "From: Pia Nilsson <pia.nilsson@finance.se>\r\n"
    "To: \"Julia Falk\" <julia.falk@hr.se>,bo@IT.se\r\n"
    "\r\n> Ask (britt.olsson@support.se) or x@y@z; thanks.\r\n";
// The program runs from a wrapper script in the folder, which sets up what
// the failure needs and then hands over to it.
e2e::Result run_wrapped(const e2e::Folder& folder, std::string_view setup, std::string_view input)
{
    folder.write("run.sh", "#!/bin/sh\n" + std::string{setup} + "\nexec '" + e2e::kRecordingProgram + "'\n");
    folder.shell("chmod +x run.sh");
    return folder.run(input, (folder.path() / "run.sh").string());
}

TEST(EmailExtractionFailure, IntermediateThatCannotBeCreatedExits)
{
    // The program's own folder is gone, so nothing can be created in it.
    e2e::Folder folder;
    folder.write("t.txt", kThread);
    const auto result = run_wrapped(folder, "mkdir gone && cd gone && rmdir ../gone", "e " +
        (folder.path() / "t").string());
    EXPECT_EQ(result.out, menu() + kPrompt + lines({"", "can't write cleanfile ", "Exiting..."}));
    EXPECT_EQ(result.events, (std::vector<std::string>{"pause 2000"}));
    EXPECT_EQ(result.status, 1);
}

TEST(EmailExtractionFailure, IntermediateThatCannotBeWrittenExitsAndIsRemoved)
{
    // A file size limit of a few kilobytes lets the console through but not the text.
    e2e::Folder folder;
    folder.write("t.txt", std::string(100000, 'x'));
    const auto result = run_wrapped(folder, "trap '' XFSZ; ulimit -f 8", "e t\n");
    EXPECT_EQ(result.out, menu() + kPrompt + lines({"", "can't write cleanfile ", "Exiting..."}));
    EXPECT_EQ(result.events, (std::vector<std::string>{"pause 2000"}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(folder.files().count("cleanfile.txt"), 0U);
}

TEST(EmailExtractionFailure, IntermediateThatCannotBeReadBackExitsAndIsRemoved)
{
    e2e::Folder folder;
    if (std::system("strace -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "strace is not installed";
    folder.write(e2e::Files{{"t.txt", kThread}, {"tEPX.txt", "earlier@result.se\n"}});
    // Every read of the intermediate file fails; its writing does not.
    const auto result = folder.run_shell("e t q\n", "env ASAN_OPTIONS=detect_leaks=0 strace -f -o ../strace.log -P \"$PWD/"
                                         "cleanfile.txt\" -e inject=read:error=EIO " + e2e::kRecordingProgram);
    EXPECT_EQ(result.out, menu() + kPrompt + lines({"", "can't find cleanfile ", "Exiting..."}));
    EXPECT_EQ(result.events, (std::vector<std::string>{"pause 2000"}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(folder.files(), (e2e::Files{{"t.txt", kThread}, {"tEPX.txt", "earlier@result.se\n"}}));
}

TEST(EmailExtraction, ShippedProgramReallyPausesThreeSecondsAfterTheResult)
{
    e2e::Folder folder;
    folder.write("t.txt", kThread);
    const auto result = folder.run("e t q\n", e2e::kShippedProgram);
    EXPECT_EQ(result.status, 0);
    EXPECT_GE(result.seconds, 2.95);
    EXPECT_LT(result.seconds, 10.0);
}

// The text passes through a buffer of a quarter megabyte: addresses that
// straddle its ends, and a word larger than it, come out whole and in order.
TEST(EmailExtractionLargeText, WordsAcrossAndBeyondTheBufferComeOutWhole)
{
    e2e::Folder folder;
    std::string text;
    for (int i = 0; text.size() < 900000; ++i) {
        const std::string number = std::to_string(i);
        text.append("see <p").append(number).append("@x.se>, or (q@").append(number).append(") r@s@t\r\n");
    }
    text.append(300000, 'w').append("@big");
    folder.write("t.txt", text);
    const auto result = folder.run("e t q\n");
    EXPECT_EQ(result.status, 0);
    std::string expected;
    for (const std::string& word : extracted(text))
        expected.append(word).append("\n");
    EXPECT_TRUE(e2e::same_text(folder.files().at("tEPX.txt"), expected));
    EXPECT_EQ(folder.files().count("cleanfile.txt"), 0U);
}

}  // namespace
