// The signals a session meets besides those of interrupt_test.cpp: SIGQUIT
// stops the program as the other interrupts do, and a result beyond the size
// limit of a file (SIGXFSZ) is a failed write, reported as on a full disk.
#include "e2e.h"
#include "running.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>

namespace {

std::string addresses(int count)
{
    std::string list;
    for (int i = 0; i < count; ++i)
        list += "person" + std::to_string(i) + "@dept.se\n";
    return list;
}

TEST(SessionSignals, QuitDuringTheTonesKeepsTheResultAndGivesTheTerminalItsColours)
{
    // A core dump would leave a file of the program's in the folder.
    const rlimit no_core{0, 0};
    ASSERT_EQ(setrlimit(RLIMIT_CORE, &no_core), 0);
    e2e::Folder folder;
    const e2e::Files before = {{"all.txt", addresses(400)}, {"resp.txt", addresses(300)}, {"Reminders.txt", "x@y\n"}};
    folder.write(before);
    e2e::Running program(folder.path(), e2e::kShippedProgram, e2e::Running::Console::terminal);
    program.type("s all resp\n");
    ASSERT_TRUE(program.read_until("\a")) << program.shown();
    program.signal(SIGQUIT);
    const int status = program.wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGQUIT) << status;
    EXPECT_EQ(folder.files(), e2e::with(before, "Reminders.txt", addresses(400).substr(addresses(300).size())));
    EXPECT_TRUE(program.shown().ends_with("\x1b[0m"));
}

TEST(SessionSignals, AnInterruptIgnoredAtTheStartStaysIgnored)
{
    e2e::Folder folder;
    folder.write("run.sh", "#!/bin/sh\ntrap '' HUP\nexec '" + e2e::kRecordingProgram + "'\n");
    folder.shell("chmod +x run.sh");
    e2e::Running program(folder.path(), (folder.path() / "run.sh").string(), e2e::Running::Console::pipes);
    ASSERT_TRUE(program.read_until("Q/q to quit")) << program.shown();
    program.signal(SIGHUP);
    program.type("q\n");
    const int status = program.wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(SessionSignals, ResultBeyondTheFileSizeLimitIsReportedAndTheEarlierOneKept)
{
    e2e::Folder folder;
    const e2e::Files before = {{"a.txt", addresses(5000)}, {"b.txt", "x@y\n"}, {"a_b.txt", "earlier@x.se\n"}};
    folder.write(before);
    folder.write("run.sh", "#!/bin/sh\nulimit -f 40\nexec '" + e2e::kRecordingProgram + "'\n");
    folder.shell("chmod +x run.sh");
    const e2e::Result result = folder.run("j a b\n", (folder.path() / "run.sh").string());
    EXPECT_TRUE(result.out.ends_with(e2e::lines({"cannot write output filea_b.txt", "Exiting..."}))) << result.out;
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(e2e::with(folder.files(), "run.sh", ""), e2e::with(before, "run.sh", ""));
}

}  // namespace
