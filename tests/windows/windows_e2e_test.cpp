// The Windows program under Wine, end to end: the dialogues in tests/cases,
// with every console line and every written list ending in CR LF, and what
// only Windows has: real pauses, Ctrl-C, code pages, lists as Windows editors
// save them. Standard error must stay empty: the Windows program writes
// nothing there, and Wine is silenced.
#include "e2e.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using e2e::Case;
using e2e::with;
using e2e::Files;

// The text as the Windows program writes it: each LF preceded by a CR.
std::string crlf(std::string_view text)
{
    std::string out;
    for (char byte : text) {
        if (byte == '\n' && !out.ends_with('\r'))
            out += '\r';
        out += byte;
    }
    return out;
}

std::string lines(std::initializer_list<std::string_view> items)
{
    return crlf(e2e::lines(items));
}

const std::string kMenu = crlf(e2e::menu());

std::string counted(std::string_view name, int count)
{
    return lines({"Counts number of entries in which file?", "(I will add the .txt suffix.)", "",
                  "The list  " + std::string{name} + " contains " + std::to_string(count) + " strings.", ""});
}

const std::string kCountMissing = lines({"Counts number of entries in which file?", "(I will add the .txt suffix.)",
                                         "can't find file nope.txt", "Shutting down..."});

// A case as the Windows program runs it: its console lines and the lists it
// writes or changes in CR LF, its help box a window, and nothing on standard error.
Case on_windows(Case c)
{
    c.out = crlf(c.out);
    for (auto& [name, contents] : c.after)
        if (!c.before.contains(name) || c.before.at(name) != contents)
            contents = crlf(contents);
    c.events.clear();
    return c;
}

std::vector<Case> windows_cases()
{
    std::vector<Case> cases;
    for (const Case& c : e2e::load_cases({{"@help", ""}}))
        if (!c.posix_only)
            cases.push_back(on_windows(c));
    return cases;
}

class WindowsDialogue : public testing::TestWithParam<Case> {};

TEST_P(WindowsDialogue, RunsAsRecordedInCrLf)
{
    // A Swedish Windows, whose ANSI code page, 1252, is the one that the
    // cases' lists in ANSI were saved in.
    setenv("LANG", "sv_SE.UTF-8", 1);
    e2e::check(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowsDialogue, testing::ValuesIn(windows_cases()), e2e::case_name);

TEST(WindowsPause, MissingListShutsDownAfterARealTwoSecondPause)
{
    e2e::Folder folder;
    const auto result = folder.run("c\r\nnope\r\n");
    EXPECT_EQ(result.out, kMenu + kCountMissing);
    EXPECT_EQ(result.status, 1);
    EXPECT_GE(result.seconds, 1.95);
    EXPECT_LT(result.seconds, 30.0);
}

// Its dialogue and files are those of the cases; the pause is Windows's own.
TEST(WindowsPause, ExtractionPausesARealThreeSecondsBeforeTheMenu)
{
    e2e::Folder folder;
    folder.write("mail.txt", "Hi <ann@hr.x.se>,\r\n");
    const auto result = folder.run("e mail\r\nq\r\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_GE(result.seconds, 2.95);
}

// A result replaces an earlier one only when it is complete.
TEST(WindowsResult, ResultThatCannotBeWrittenWholeLeavesTheEarlierOne)
{
    // A limit on the size of files lets the list be read, but not written again.
    std::string list;
    for (int i = 0; i < 20000; ++i)
        list += "person" + std::to_string(i) + "@dept.se\r\n";
    const Files before = {{"big.txt", list}, {"big_a.txt", "earlier\r\n"}};
    e2e::Folder folder;
    folder.write(before);
    const auto result =
        folder.run_shell("a big\r\nq\r\n", "sh -c 'trap \"\" XFSZ; ulimit -f 256; exec " + e2e::kRecordingProgram +
            "'");
    EXPECT_TRUE(result.out.ends_with(lines({"can't make file big_a.txt", "Shutting down..."}))) << result.out;
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(e2e::same_files(folder.files(), before));
}

// Ctrl-C, pressed by a helper on a console that it shares with the program.
const std::string kCtrlC = std::string{MORDAVELLE_UNDER_WINE} + " '" + MORDAVELLE_CTRL_C_HELPER + "' ";
const std::string kProgram = std::string{" '"} + MORDAVELLE_PROGRAM_ON_Z + "'";
const std::vector<std::string> kInterrupted = {"ctrl-c exit c000013a"};

TEST(WindowsCtrlC, EndsThePauseWithTheStatusOfAnInterruptedProgram)
{
    e2e::Folder folder;
    const auto result = folder.run_shell("c nope\r\n", kCtrlC + "1000" + kProgram);
    EXPECT_EQ(result.out, kMenu + kCountMissing);
    EXPECT_EQ(result.events, kInterrupted);
    EXPECT_TRUE(folder.files().empty());
}

TEST(WindowsCtrlC, RemovesTheIntermediateFileOfAnExtraction)
{
    // Half a text comes through a pipe that stays open, so the program is
    // still reading when Ctrl-C comes, and its intermediate file exists.
    std::string half;
    for (int i = 0; i < 20000; ++i)
        half += "Dear <person" + std::to_string(i) + "@dept.se>,\r\n";
    e2e::Folder folder;
    folder.write("half", half);
    const auto result = folder.run_shell("e \\\\.\\pipe\\feed\r\nq\r\n",
                                         kCtrlC + "cleanfile.txt" + kProgram + " '\\\\.\\pipe\\feed.txt' half");
    EXPECT_EQ(result.events, kInterrupted);
    EXPECT_EQ(folder.files().count("cleanfile.txt"), 0U);
    EXPECT_TRUE(e2e::same_files(folder.files(), {{"half", half}}));
}

// A Swedish Windows: the console's input and output in code page 850, the
// ANSI code page 1252. The name medlemmar_åäö typed there reaches the program
// as the bytes of page 850, and must name the file that Windows shows under
// that name, which Wine keeps in UTF-8.
const std::string kTypedStem = "medlemmar_\x86\x84\x94";        // page 850
const std::string kStemOnDisk = "medlemmar_\xc3\xa5\xc3\xa4\xc3\xb6";  // UTF-8
const std::string kSwedishLocale = "env LANG=sv_SE.UTF-8 '" + e2e::kRecordingProgram + "'";

struct SwedishCase {
    std::string name;
    std::string typed;       // after the stem: the rest of the input
    std::string result;      // the result's name on disk, "" when none
    std::string echoed;      // a line of the dialogue that shows the typed name
};

class SwedishNames : public testing::TestWithParam<SwedishCase> {};

TEST_P(SwedishNames, FindTheListAndWriteTheResultUnderTheTypedName)
{
    const SwedishCase& c = GetParam();
    const Files lists = {{kStemOnDisk + ".txt", "ann.lee@hr.se\r\nbo.ek@it.se\r\n"}, {"svar.txt", "bo.ek@it.se\r\n"}};
    e2e::Folder folder;
    folder.write(lists);
    const auto result = folder.run_shell(c.typed, kSwedishLocale);
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_NE(result.out.find("\r\n" + c.echoed + "\r\n"), std::string::npos) << result.out;
    const Files after = folder.files();
    EXPECT_EQ(after.size(), lists.size() + (c.result.empty() ? 0 : 1));
    if (!c.result.empty()) {
        EXPECT_EQ(after.count(c.result), 1U) << c.result;
    }
}

void PrintTo(const SwedishCase& c, std::ostream* out)
{
    *out << c.name;
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, SwedishNames,
    testing::Values(
        SwedishCase{"alphabetical", "a " + kTypedStem + "\r\nq\r\n", kStemOnDisk + "_a.txt", "Sorted! See file: " +
            kTypedStem + "_a.txt"},
        SwedishCase{"count", "c " + kTypedStem + "\r\nq\r\n", "",
                    "The list  " + kTypedStem + ".txt contains 2 strings."},
        SwedishCase{"department", "d " + kTypedStem + "\r\nq\r\n", kStemOnDisk + "DEPT.txt",
                    "Sorted by Dept name, in file: " + kTypedStem + "DEPT.txt"},
        SwedishCase{"extraction", "e " + kTypedStem + "\r\nq\r\n", kStemOnDisk + "EPX.txt", "Done, results in: " +
            kTypedStem + "EPX.txt"},
        SwedishCase{"join", "j " + kTypedStem + " svar\r\nq\r\n", kStemOnDisk + "_svar.txt",
                    "Done combining files, output is in the file " + kTypedStem + "_svar.txt"},
        SwedishCase{"lower_case", "l " + kTypedStem + "\r\nq\r\n", kStemOnDisk +
            "_low.txt", "It is done, see file " + kTypedStem + "_low.txt"},
        SwedishCase{"names", "n " + kTypedStem + "\r\nq\r\n", kStemOnDisk + "_N.txt", "Done! Names are in:" +
            kTypedStem + "_N.txt"},
        SwedishCase{"subtract", "s " + kTypedStem + " svar\r\nq\r\n", "Reminders.txt", "by substracting: " +
            kTypedStem + "-svar"}),
    [](const testing::TestParamInfo<SwedishCase>& param) { return param.param.name; });

// Commands piped from a file that Notepad saved, in UTF-8 with or without a
// byte-order mark: its words name the files as they read in UTF-8, and J's
// result lies beside its first list, whatever folder the second is in.
TEST(SwedishNamesPiped, InUtf8AsNotepadSavesThemNameTheirFiles)
{
    const std::string stem = "\xC3\xA4renden";  // ärenden
    const std::string other = "\xC3\x96vrigt";  // Övrigt
    for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
        e2e::Folder folder;
        folder.write(stem + ".txt", "ann@x.se\r\nbo@y.se\r\n");
        folder.shell("mkdir " + other + " && printf 'cy@z.se' > " + other + "/svar.txt");
        const auto result = folder.run_shell(mark + "c " + stem + "\r\nj " + stem + " " + other + "\\svar\r\nq\r\n",
                                             kSwedishLocale);
        EXPECT_EQ(result.status, 0) << result.out;
        // Echoed in the code page of the console's output, 850, where ä is 0x84.
        EXPECT_NE(result.out.find(counted("\x84renden.txt", 2)), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("output is in the file \x84renden_svar.txt\r\n"), std::string::npos);
        EXPECT_EQ(folder.files()[stem + "_svar.txt"], "ann@x.se\r\nbo@y.se\r\ncy@z.se\r\n");
    }
}

// Lists as Windows editors save them.

TEST(WindowsText, EndOfFileByteSeparatesEntriesAndWordsAsABlankDoes)
{
    // copy con and older editors end a text with 0x1A, and copy /b keeps it
    // where it joins such a file to another: what follows is still read.
    const Files before = {{"dos.txt", "ann@x.se\r\nbo@y.se\r\n\x1a" "Cy@z.se\x1a" "dy@w.se\x1a"}};
    e2e::Folder folder;
    folder.write(before);
    const auto result = folder.run("c dos\r\na dos\r\nl dos\r\ne dos\r\nq\r\n");
    EXPECT_EQ(result.out.substr(0, kMenu.size() + counted("dos.txt", 4).size()), kMenu + counted("dos.txt", 4));
    Files after = with(before, "dos_a.txt", "Cy@z.se\r\nann@x.se\r\nbo@y.se\r\ndy@w.se\r\n");
    after["dos_low.txt"] = "ann@x.se\r\nbo@y.se\r\ncy@z.se\r\ndy@w.se\r\n";
    after["dosEPX.txt"] = "ann@x.se\r\nbo@y.se\r\nCy@z.se\r\ndy@w.se\r\n";
    EXPECT_EQ(folder.files(), after);
}

}  // namespace
