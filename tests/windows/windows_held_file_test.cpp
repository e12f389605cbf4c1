// A result that another program holds, for a moment as a virus scanner or an
// indexer does just after a file has been written: the program waits for it
// and still replaces it, or, if it stays held, reports it and keeps it as it was.
// A list held so is waited for as well before it counts as missing.
#include "e2e.h"

#include <gtest/gtest.h>

namespace {

// The shell line that has the helper hold `held` for `milliseconds` and
// starts the program once the helper says that it holds it.
std::string holding(const std::string& held, int milliseconds)
{
    return std::string{"sh -c '\""} + MORDAVELLE_UNDER_WINE + "\" \"" + MORDAVELLE_HOLD_HELPER + "\" " + held +
           " held " + std::to_string(milliseconds) + " </dev/null & while [ ! -e held ]; do sleep 0.02; done; " +
           "rm held; \"" + e2e::kRecordingProgram + "\"; status=$?; wait; exit $status'";
}

TEST(WindowsHeldResult, IsReplacedOnceTheOtherProgramLetsItGo)
{
    e2e::Folder folder;
    folder.write(e2e::Files{{"a.txt", "ann@x.se\r\n"}, {"b.txt", "bo@y.se\r\n"}, {"a_b.txt", "earlier@x.se\r\n"}});
    const auto result = folder.run_shell("j a b\r\nq\r\n", holding("a_b.txt", 700));
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(folder.files(), (e2e::Files{{"a.txt", "ann@x.se\r\n"}, {"b.txt", "bo@y.se\r\n"},
                                          {"a_b.txt", "ann@x.se\r\nbo@y.se\r\n"}}));
}

TEST(WindowsHeldResult, StillHeldAfterTheWaitIsReportedAndTheEarlierKept)
{
    e2e::Folder folder;
    const e2e::Files before{{"a.txt", "ann@x.se\r\n"}, {"b.txt", "bo@y.se\r\n"}, {"a_b.txt", "earlier@x.se\r\n"}};
    folder.write(before);
    const auto result = folder.run_shell("j a b\r\nq\r\n", holding("a_b.txt", 6000));
    EXPECT_NE(result.out.find("cannot write output filea_b.txt"), std::string::npos) << result.out;
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(folder.files(), before);
}

TEST(WindowsHeldList, IsReadOnceTheOtherProgramLetsItGo)
{
    e2e::Folder folder;
    folder.write("kopia.txt", "ann@x.se\r\nbo@y.se\r\n");
    const auto result = folder.run_shell("c kopia\r\nq\r\n", holding("kopia.txt", 1500));
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_NE(result.out.find("The list  kopia.txt contains 2 strings."), std::string::npos) << result.out;
}

TEST(WindowsHeldList, StillHeldAfterTheWaitIsNotFound)
{
    e2e::Folder folder;
    folder.write("kopia.txt", "ann@x.se\r\n");
    const auto result = folder.run_shell("c kopia\r\nq\r\n", holding("kopia.txt", 6000));
    EXPECT_NE(result.out.find("can't find file kopia.txt"), std::string::npos) << result.out;
    EXPECT_EQ(result.status, 1);
}

}  // namespace
