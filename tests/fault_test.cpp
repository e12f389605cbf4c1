// Faults and bad input for every command that reads or writes a list: the
// command's own failure message, status 1, no success line, and every file
// that was there before unchanged.
#include "command_letters.h"
#include "commands.h"
#include "e2e.h"
#include "running.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include <sys/wait.h>

namespace {

using e2e::Files;

struct Command {
    std::string name = {};
    std::string typed = {};            // the menu letter and the stems, as typed
    Files inputs = {};
    std::string input = {};            // the input whose faults are tried
    std::string input_failure = {};    // the line that reports it
    std::string output = {};           // the result file, none when empty
    std::string asked = {};            // all it shows after the menu before that line
    std::string output_failure = {};   // the line that reports it
    std::string closing = {};
    std::string success = {};          // the start of the success line
    std::string no_room_failure = {};  // where a folder that takes nothing new stops it first, if not at the result
    bool missing_input_ends_it = true;  // false where a missing list only brings the menu back
    bool silent_after_input = false;    // shows nothing more before its result is in place
};

const std::string kList = "ann.lee@hr.se\nbo.ek@it.se\nAnn.Lee@hr.se\n";
const std::string kJoinAsked = "Combines two lists,\nremoves redundant strings.\nNOTE: CASE-SENSITIVE! (better change "
    "all to lower case first)\n\nfile name 1?\n(I will add the .txt suffix in names).\nfile name 2?\n(I will add the "
    ".txt suffix in names).\n";
const std::string kSubtractAsked = "Subtract a list from another,\nfor e.g. a Reminder List of e-mail addresses.\nThe "
    "new list are of people who have not responded.\nNOTE: CASE-SENSITIVE! (better change all to lower case first)\n"
    "(I will add the .txt suffix in names).\nEnter name of list of all.\n\nEnter name of list of responders.\n(I will "
    "add the .txt suffix in names).\n\n";

const std::vector<Command> kCommands = {
    {.name = "Alphabetical", .typed = "a list", .inputs = {{"list.txt", kList}}, .input = "list.txt",
     .input_failure = "can't find file list.txt", .output = "list_a.txt",
     .asked = "Enter name of file to sort entries in.\n(I will add the .txt suffix.)\n\n",
     .output_failure = "can't make file list_a.txt", .closing = "Shutting down...",
     .success = "Sorted! See file: ", .missing_input_ends_it = false},
    {.name = "Count", .typed = "c list", .inputs = {{"list.txt", kList}}, .input = "list.txt",
     .input_failure = "can't find file list.txt",
     .closing = "Shutting down...", .success = "The list  "},
    {.name = "Department", .typed = "d list", .inputs = {{"list.txt", kList}}, .input = "list.txt",
     .input_failure = "can't find file list.txt", .output = "listDEPT.txt", .asked = "Sorts e-mail addresses based "
     "on dept.\n(Enter the name of the text file.\n(I will add the .txt suffix in names).\n\n",
     .output_failure = "cannot write output filelistDEPT.txt", .closing = "Exiting...",
     .success = "Sorted by Dept name, in file: "},
    {.name = "Extraction", .typed = "e mail", .inputs = {{"mail.txt", "To: Ann <ann.lee@hr.se>, bo.ek@it.se\n"}},
     .input = "mail.txt", .input_failure = "can't find file mail.txt", .output = "mailEPX.txt", .asked = "Extract "
     "e-mail-addresses from a text.\nEnter name of text file to extract from:\n(I will add the .txt suffix)\n\n\n",
     .output_failure = "can't make file mailEPX.txt", .closing = "Exiting...", .success = "Done, results in: ",
     .no_room_failure = "can't write cleanfile "},
    {.name = "JoinFirst", .typed = "j list other", .inputs = {{"list.txt", kList}, {"other.txt", "cy@x.se\n"}},
     .input = "list.txt", .input_failure = "no such file list.txt", .output = "list_other.txt", .asked = kJoinAsked,
     .output_failure = "cannot write output filelist_other.txt", .closing = "Exiting...",
     .success = "Done combining files"},
    {.name = "JoinSecond", .typed = "j list other", .inputs = {{"list.txt", kList}, {"other.txt", "cy@x.se\n"}},
     .input = "other.txt", .input_failure = "no such file other.txt", .output = "list_other.txt", .asked = kJoinAsked,
     .output_failure = "cannot write output filelist_other.txt", .closing = "Exiting...",
     .success = "Done combining files", .silent_after_input = true},
    {.name = "LowerCase", .typed = "l list", .inputs = {{"list.txt", kList}}, .input = "list.txt",
     .input_failure = "can't find file list.txt", .output = "list_low.txt", .asked = "Input file name. All upper "
     "case letters\n(except non-English)\nwill be replaced with lower case letters.\n(I will add the .txt suffix in "
     "names).\n\n",
     .output_failure = "can't write file list_low.txt", .closing = "Shutting down...",
     .success = "It is done, see file "},
    {.name = "Names", .typed = "n list", .inputs = {{"list.txt", kList}}, .input = "list.txt",
     .input_failure = "can't find file list.txt", .output = "list_N.txt", .asked = "Extracting 'Name Lastname' "
     "from e-mail address.\nEnter name of list.\nI will add the .txt suffix.\n\n",
     .output_failure = "can't write file list_N.txt", .closing = "Exiting...", .success = "Done! Names are in:"},
    {.name = "SubtractAll", .typed = "s list resp",
     .inputs = {{"list.txt", kList}, {"resp.txt", "bo.ek@it.se\n"}}, .input = "list.txt",
     .input_failure = "can't find file list.txt", .output = "Reminders.txt", .asked = kSubtractAsked,
     .output_failure = "cannot write output file", .closing = "Exiting...", .success = "Remind list created."},
    {.name = "SubtractResponders", .typed = "s list resp",
     .inputs = {{"list.txt", kList}, {"resp.txt", "bo.ek@it.se\n"}}, .input = "resp.txt",
     .input_failure = "can't find file resp.txt", .output = "Reminders.txt", .asked = kSubtractAsked,
     .output_failure = "cannot write output file", .closing = "Exiting...", .success = "Remind list created."},
};

void PrintTo(const Command& command, std::ostream* out)
{
    *out << command.name;
}

TEST(CommandFaults, AreTriedForEveryCommandOfTheMenu)
{
    std::vector<std::string> typed;
    for (const Command& command : kCommands)
        typed.push_back(command.typed);
    EXPECT_EQ(e2e::letters_of(typed), mordavelle::command_letters());
}

bool has_line(const std::string& out, const std::string& line)
{
    return out.find("\n" + line + "\n") != std::string::npos;
}

class CommandFault : public testing::TestWithParam<Command> {
protected:
    // Expects the failure that the line names: reported, closing word, status 1, files as before, and the
    // pause alone: no tone sounds for a result not in place.
    void expect_failure(const e2e::Result& result, const std::string& line, const Files& before,
                        const e2e::Folder& folder)
    {
        const Command& command = GetParam();
        EXPECT_TRUE(has_line(result.out, line + "\n" + command.closing)) << result.out;
        EXPECT_EQ(result.out.find(command.success), std::string::npos) << result.out;
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.events, (std::vector<std::string>{"pause 2000"}));
        EXPECT_TRUE(e2e::same_files(folder.files(), before));
    }

    // Puts something unwritable in the result's place, then expects the command's output failure, shown
    // right after the command's questions and ending the output.
    void expect_output_failure(const std::string& blocker)
    {
        const Command& command = GetParam();
        e2e::Folder folder;
        folder.write(command.inputs);
        folder.shell(blocker + " " + command.output);
        const Files before = folder.files();
        const auto result = folder.run(command.typed + "\nq\n");
        expect_failure(result, command.output_failure, before, folder);
        EXPECT_TRUE(e2e::same_text(result.out, e2e::menu() + command.asked + command.output_failure + "\n" +
                                                   command.closing + "\n"));
    }
};

// The faults of writing a result, for the commands that write one.
class ResultFault : public CommandFault {};

std::vector<Command> writers()
{
    std::vector<Command> commands;
    std::copy_if(kCommands.begin(), kCommands.end(), std::back_inserter(commands),
                 [](const Command& command) { return !command.output.empty(); });
    return commands;
}

TEST_P(ResultFault, FullDiskIsReportedAndTheLinkKept)
{
    expect_output_failure("ln -s /dev/full");
}

TEST_P(ResultFault, DirectoryInPlaceOfTheResultIsReported)
{
    expect_output_failure("mkdir");
}

TEST_P(ResultFault, DanglingLinkInReadOnlyFolderIsReported)
{
    const Command& command = GetParam();
    e2e::Folder folder;
    if (std::system("unshare -rm true 2>/dev/null") != 0)
        GTEST_SKIP() << "user namespaces are not allowed here, so no read-only mount can be made";
    folder.write(command.inputs);
    folder.shell("mkdir ../ro && ln -s nowhere.txt " + command.output);
    // A read-only tmpfs holds the lists and the link; even root cannot write there.
    const auto result = folder.run_shell(command.typed + "\nq\n",
        "unshare -rm sh -c 'mount -t tmpfs -o size=4m tmpfs ../ro && cp -P * ../ro/ && mount -o remount,ro ../ro "
        "&& cd ../ro && exec " + e2e::kRecordingProgram + "'");
    const std::string& failure =
        command.no_room_failure.empty() ? command.output_failure : command.no_room_failure;
    EXPECT_TRUE(has_line(result.out, failure + "\n" + command.closing)) << result.out;
    EXPECT_EQ(result.out.find(command.success), std::string::npos) << result.out;
    EXPECT_EQ(result.status, 1);
}

TEST_P(CommandFault, DirectoryGivenAsInputIsNotFound)
{
    const Command& command = GetParam();
    e2e::Folder folder;
    folder.write(command.inputs);
    folder.shell("rm " + command.input + " && mkdir " + command.input);
    const Files before = folder.files();
    const auto result = folder.run(command.typed + "\nq\n");
    if (!command.missing_input_ends_it) {
        EXPECT_TRUE(has_line(result.out, command.input_failure + "\n***********************"));
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(folder.files(), before);
        return;
    }
    expect_failure(result, command.input_failure, before, folder);
}

// The program under strace, with the reads of one file made to fail as `inject` says.
std::string failing_reads(const std::string& file, const std::string& inject)
{
    // The leak checker of a sanitized build cannot run under ptrace.
    return "env ASAN_OPTIONS=detect_leaks=0 strace -f -o ../strace.log -P \"$PWD/" + file + "\" -e inject=read:" +
           inject + " " + e2e::kRecordingProgram;
}

TEST_P(CommandFault, ReadErrorOnInputIsNotFoundAndNothingIsWritten)
{
    const Command& command = GetParam();
    e2e::Folder folder;
    if (std::system("strace -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "strace is not installed";
    folder.write(command.inputs);
    const Files before = folder.files();
    const auto result = folder.run_shell(command.typed + "\nq\n", failing_reads(command.input, "error=EIO"));
    if (!command.missing_input_ends_it) {
        EXPECT_TRUE(has_line(result.out, command.input_failure + "\n***********************"));
        EXPECT_EQ(folder.files(), before);
        return;
    }
    expect_failure(result, command.input_failure, before, folder);
}

TEST_P(CommandFault, InputEndingAtEveryQuestionEndsTheProgram)
{
    const Command& command = GetParam();
    e2e::Folder folder;
    folder.write(command.inputs);
    std::string typed;
    for (char byte : command.typed + " ") {
        if (byte == ' ') {
            const auto result = folder.run(typed);
            EXPECT_LT(result.seconds, 10.0) << typed;
            EXPECT_TRUE(result.status == 0 || result.status == 1) << typed << ": " << result.status;
        }
        typed += byte;
    }
}

TEST_P(CommandFault, ClosedOrFullConsoleEndsTheProgramAtOnce)
{
    const Command& command = GetParam();
    e2e::Folder folder;
    folder.write(command.inputs);
    const Files before = folder.files();
    // The menu is the first thing written, so nothing else is done.
    for (const std::string redirect : {" > /dev/full", " >&-"}) {
        const auto result =
            folder.run_shell(command.typed + "\nq\n", "sh -c 'exec " + e2e::kRecordingProgram + redirect + "'");
        EXPECT_EQ(result.status, 1) << redirect;
        EXPECT_TRUE(result.events.empty()) << redirect;
        EXPECT_EQ(folder.files(), before) << redirect;
    }
}

TEST_P(CommandFault, ConsoleToNowhereStillRunsAWholeSession)
{
    const Command& command = GetParam();
    e2e::Folder folder;
    folder.write(command.inputs);
    const auto result =
        folder.run_shell(command.typed + "\nq\n", "sh -c 'exec " + e2e::kRecordingProgram + " > /dev/null'");
    EXPECT_EQ(result.status, 0);
    if (!command.output.empty()) {
        EXPECT_EQ(folder.files().count(command.output), 1U);
    }
}

TEST_P(CommandFault, ClosedConsoleInputEndsTheProgram)
{
    const Command& command = GetParam();
    e2e::Folder folder;
    folder.write(command.inputs);
    const auto result = folder.run_shell(command.typed + "\nq\n", "sh -c 'exec " + e2e::kRecordingProgram + " <&-'");
    EXPECT_LT(result.seconds, 10.0);
    EXPECT_EQ(result.status, 0);
}

// An earlier result, which a failed run must leave byte for byte.
constexpr std::string_view kEarlierResult = "earlier@result.se\n";

Files with_earlier_result(const Command& command)
{
    Files files = command.inputs;
    if (!command.output.empty())
        files[command.output] = kEarlierResult;
    return files;
}

TEST_P(ResultFault, FullFileSystemKeepsTheEarlierResultAndLeavesNothing)
{
    const Command& command = GetParam();
    if (std::system("unshare -rm true 2>/dev/null") != 0)
        GTEST_SKIP() << "user namespaces are not allowed here, so no small file system can be mounted";
    e2e::Folder folder;
    folder.write(with_earlier_result(command));
    const Files before = folder.files();
    // Each small file takes one page of the file system, and no page is left.
    const std::string size = std::to_string(4 * before.size()) + "k";
    const auto result = folder.run_shell(command.typed + "\nq\n",
        "unshare -rm sh -c 'mkdir ../disk && mount -t tmpfs -o size=" + size + " tmpfs ../disk && cp -P * ../disk/ "
        "&& cd ../disk && " + e2e::kRecordingProgram + "; status=$?; rm ../work/* && cp -P * ../work/; exit $status'");
    const std::string& failure = command.no_room_failure.empty() ? command.output_failure : command.no_room_failure;
    expect_failure(result, failure, before, folder);
}

// The result of a run that nothing disturbs.
std::string finished_result(const Command& command)
{
    e2e::Folder folder;
    folder.write(command.inputs);
    (void)folder.run(command.typed + "\nq\n");
    return folder.files().at(command.output);
}

TEST_P(CommandFault, ConsoleClosedWhileTheListIsReadEndsWithStatusOneAndLeavesNothing)
{
    const Command& command = GetParam();
    e2e::Folder folder;
    Files files = with_earlier_result(command);
    const std::string list = files.at(command.input);
    files.erase(command.input);
    folder.write(files);
    e2e::Feeder feeder(folder.path(), command.input);
    const Files before = folder.files();
    e2e::Running program(folder.path(), e2e::kRecordingProgram, e2e::Running::Console::pipes);
    program.type(command.typed + "\nq\n");
    ASSERT_TRUE(feeder.wait_for_reader(program));
    // Nobody reads the console any more when the list comes in.
    program.close_console();
    feeder.feed(list);
    feeder.end();
    const int status = program.wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    // A command that says nothing between reading its list and writing its
    // result has its result complete and in place before the console is missed.
    Files after = before;
    if (command.silent_after_input)
        after[command.output] = finished_result(command);
    EXPECT_EQ(folder.files(), after);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST_P(CommandFault, TooLittleMemoryKeepsTheEarlierResultAndLeavesNothing)
{
    const Command& command = GetParam();
    if (kAddressSanitizer)
        GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
    e2e::Folder folder;
    Files files = with_earlier_result(command);
    // One short entry, then one far too large for the memory there is: the
    // commands that stream their list have begun their result by then.
    files[command.input] = "ann.lee@hr.se\n" + std::string(std::size_t{32} << 20, 'x');
    folder.write(files);
    const Files before = folder.files();
    const auto result = folder.run_shell(command.typed + "\nq\n",
        "sh -c 'ulimit -v 24000 && exec " + e2e::kRecordingProgram + "'");
    EXPECT_TRUE(has_line(result.out, "not enough memory for these lists\nExiting...")) << result.out;
    EXPECT_EQ(result.out.find(command.success), std::string::npos);
    EXPECT_EQ(result.status, 1);
    ASSERT_FALSE(result.events.empty());
    EXPECT_EQ(result.events.back(), "pause 2000");
    EXPECT_TRUE(e2e::same_files(folder.files(), before));
}

// The typed words with a NUL byte after the stem of the command's input.
std::string with_nul_after(const std::string& typed, const std::string& stem)
{
    std::string changed;
    std::size_t start = 0;
    for (std::size_t end = 0; end != std::string::npos; start = end + 1) {
        end = typed.find(' ', start);
        const std::string word = typed.substr(start, end == std::string::npos ? end : end - start);
        changed += word + (word == stem ? std::string(1, '\0') : "") + (end == std::string::npos ? "" : " ");
    }
    return changed;
}

TEST_P(CommandFault, NulByteInTheStemNamesNoFile)
{
    const Command& command = GetParam();
    const std::string stem = command.input.substr(0, command.input.size() - 4);
    e2e::Folder folder;
    Files files = with_earlier_result(command);
    // The name as far as the NUL: a file the system would take for it.
    files[stem] = "the user's own\n";
    folder.write(files);
    const Files before = folder.files();
    const auto result = folder.run(with_nul_after(command.typed, stem) + "\nq\n");
    std::string failure = command.input_failure;
    failure.insert(failure.size() - 4, 1, '\0');
    if (!command.missing_input_ends_it) {
        EXPECT_TRUE(has_line(result.out, failure + "\n***********************"));
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(folder.files(), before);
        return;
    }
    expect_failure(result, failure, before, folder);
}

// The commands that write their result while they read their list, piece by piece.
class StreamFault : public CommandFault {};

TEST_P(StreamFault, ReadErrorAfterTheFirstPiecesIsReportedAndLeavesNothing)
{
    const Command& command = GetParam();
    if (std::system("strace -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "strace is not installed";
    e2e::Folder folder;
    Files files = with_earlier_result(command);
    files[command.input].clear();
    // About 750 KB: the third read, which fails, comes after two whole pieces of the list.
    for (int i = 0; i < 30000; ++i)
        files[command.input] += "Dear <Person" + std::to_string(i) + "@Dept.se>,\n";
    folder.write(files);
    const Files before = folder.files();
    expect_failure(folder.run_shell(command.typed + "\nq\n", failing_reads(command.input, "error=EIO:when=3")),
                   command.input_failure, before, folder);
}

std::vector<Command> streamers()
{
    std::vector<Command> commands;
    std::copy_if(kCommands.begin(), kCommands.end(), std::back_inserter(commands), [](const Command& command) {
        return command.name == "LowerCase" || command.name == "Extraction";
    });
    return commands;
}

std::string command_name(const testing::TestParamInfo<Command>& param)
{
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, CommandFault, testing::ValuesIn(kCommands), command_name);
INSTANTIATE_TEST_SUITE_P(EveryWriter, ResultFault, testing::ValuesIn(writers()), command_name);
INSTANTIATE_TEST_SUITE_P(Streaming, StreamFault, testing::ValuesIn(streamers()), command_name);

}  // namespace
