// A program stopped in the middle of a command: the earlier result stays byte
// for byte, nothing of the program's own is left in the folder, the terminal
// gets its colours back, and the program ends as the signal ends it.
#include "command_letters.h"
#include "commands.h"
#include "e2e.h"
#include "running.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

#include <sys/wait.h>

namespace {

using e2e::Files;
using e2e::Feeder;
using e2e::Running;

std::string addresses(int from, int to)
{
    std::string list;
    for (int i = from; i < to; ++i)
        list += "person" + std::to_string(i) + "@dept.se\n";
    return list;
}

std::string old_reminders()
{
    std::string list;
    for (int i = 0; i < 180; ++i)
        list += "earlier" + std::to_string(i) + "@dept.se\n";
    return list;
}

// Three hundred dropped entries sound for fifteen seconds in the shipped build.
const Files kReminderLists = {
    {"all.txt", addresses(0, 400)}, {"resp.txt", addresses(100, 400)}, {"Reminders.txt", old_reminders()}};

bool ended_by(int status, int signal_number)
{
    return WIFSIGNALED(status) && WTERMSIG(status) == signal_number;
}

class InterruptedTones : public testing::TestWithParam<int> {};

TEST_P(InterruptedTones, KeepTheNewReminderListAndGiveTheTerminalItsColours)
{
    e2e::Folder folder;
    folder.write(kReminderLists);
    Running program(folder.path(), e2e::kShippedProgram, Running::Console::terminal);
    program.type("s all resp\n");
    ASSERT_TRUE(program.read_until("\a")) << program.shown();
    program.read_for(1.0);
    program.signal(GetParam());
    const int status = program.wait();
    EXPECT_TRUE(ended_by(status, GetParam())) << status;
    // The reminder list is in place whole before its tones sound.
    EXPECT_EQ(folder.files(), e2e::with(kReminderLists, "Reminders.txt", addresses(0, 100)));
    EXPECT_TRUE(program.shown().ends_with("\x1b[0m")) << program.shown().substr(program.shown().size() - 40);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedTones, testing::Values(SIGINT, SIGTERM, SIGHUP),
    [](const testing::TestParamInfo<int>& param) { return std::string{sigabbrev_np(param.param)}; });

bool appears(const e2e::Folder& folder, const std::string& name)
{
    for (int tries = 0; tries < 1000; ++tries) {
        if (std::filesystem::exists(folder.path() / name))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// A command stopped while it reads its list through a named pipe, once a file
// of its own exists: the folder holds the list and the earlier result alone.
struct StoppedReading {
    std::string name;
    std::string typed;
    std::string list;
    std::string result;
    std::string own_file;  // the file whose making shows how far the command is; none in place
    int signal_number;
};

void PrintTo(const StoppedReading& stopped, std::ostream* out)
{
    *out << stopped.name;
}

class InterruptedReading : public testing::TestWithParam<StoppedReading> {};

TEST_P(InterruptedReading, LeavesTheEarlierResultAndNothingOfItsOwn)
{
    const StoppedReading& stopped = GetParam();
    e2e::Folder folder;
    Files before = {{stopped.list, "<not a regular file>"}, {stopped.result, "earlier@result.se\n"}};
    folder.write(stopped.result, "earlier@result.se\n");
    // A second link keeps a result in place, where nothing shows how far the command is.
    if (stopped.own_file.empty()) {
        folder.shell("ln " + stopped.result + " copy.txt");
        before["copy.txt"] = "earlier@result.se\n";
    }
    Feeder list(folder.path(), stopped.list);
    Running program(folder.path(), e2e::kRecordingProgram, Running::Console::pipes);
    program.type(stopped.typed);
    ASSERT_TRUE(list.wait_for_reader(program));
    // More than one piece of the list, and the pipe stays open after it.
    list.feed(addresses(0, 20000));
    if (stopped.own_file.empty())
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    else
        ASSERT_TRUE(appears(folder, stopped.own_file));
    program.signal(stopped.signal_number);
    EXPECT_TRUE(ended_by(program.wait(), stopped.signal_number));
    EXPECT_EQ(folder.files(), before);
}

// The commands that write while they read, each stopped while it reads. The
// others write nothing (C) or read their lists whole before they write.
const std::vector<StoppedReading> kStoppedReadings = {
    {"extraction_with_its_intermediate", "e text\nq\n", "text.txt", "textEPX.txt", "cleanfile.txt", SIGINT},
    {"lower_case_with_its_result_begun", "l list\nq\n", "list.txt", "list_low.txt", "mordavelle.partial", SIGTERM},
    {"lower_case_with_its_result_in_place", "l list\nq\n", "list.txt", "list_low.txt", "", SIGINT},
};
const std::vector<std::string> kWritingAfterReading = {"a", "c", "d", "j", "n", "s"};

TEST(InterruptedReadings, CoverEveryCommandOfTheMenuThatWritesWhileItReads)
{
    std::vector<std::string> typed = kWritingAfterReading;
    for (const StoppedReading& stopped : kStoppedReadings)
        typed.push_back(stopped.typed);
    EXPECT_EQ(e2e::letters_of(typed), mordavelle::command_letters());
}

INSTANTIATE_TEST_SUITE_P(Commands, InterruptedReading, testing::ValuesIn(kStoppedReadings),
    [](const testing::TestParamInfo<StoppedReading>& param) { return param.param.name; });

}  // namespace
