// A program stopped in the middle of a command: the earlier result stays byte
// for byte, nothing of the program's own is left in the folder, the terminal
// gets its colours back, and the program ends as the signal ends it.
#include "e2e.h"
#include "running.h"

#include <gtest/gtest.h>

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

TEST_P(InterruptedTones, KeepTheEarlierReminderListAndGiveTheTerminalItsColours)
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
    EXPECT_EQ(folder.files(), kReminderLists);
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

TEST(InterruptedExtraction, LeavesNoIntermediateAndNoResult)
{
    e2e::Folder folder;
    folder.write("textEPX.txt", "earlier@result.se\n");
    Feeder text(folder.path(), "text.txt");
    Running program(folder.path(), e2e::kRecordingProgram, Running::Console::pipes);
    program.type("e text\nq\n");
    ASSERT_TRUE(text.wait_for_reader(program));
    // Half a text, more than one piece of it, so that the intermediate exists.
    text.feed(addresses(0, 20000));
    ASSERT_TRUE(appears(folder, "cleanfile.txt"));
    program.signal(SIGINT);
    EXPECT_TRUE(ended_by(program.wait(), SIGINT));
    EXPECT_EQ(folder.files(), (Files{{"text.txt", "<not a regular file>"}, {"textEPX.txt", "earlier@result.se\n"}}));
}

TEST(InterruptedLowerCase, LeavesTheEarlierResultAndNoPartOfTheNewOne)
{
    e2e::Folder folder;
    folder.write("list_low.txt", "earlier@result.se\n");
    Feeder list(folder.path(), "list.txt");
    Running program(folder.path(), e2e::kRecordingProgram, Running::Console::pipes);
    program.type("l list\nq\n");
    ASSERT_TRUE(list.wait_for_reader(program));
    list.feed(addresses(0, 20000));
    ASSERT_TRUE(appears(folder, "mordavelle.partial"));
    program.signal(SIGTERM);
    EXPECT_TRUE(ended_by(program.wait(), SIGTERM));
    EXPECT_EQ(folder.files(), (Files{{"list.txt", "<not a regular file>"}, {"list_low.txt", "earlier@result.se\n"}}));
}

}  // namespace
