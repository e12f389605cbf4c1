// A result that another program holds, for a moment as a virus scanner or an
// indexer does just after a file has been written: the program waits for it
// and still replaces it, or, if it stays held, reports it and keeps it as it was.
#include "e2e.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowsHeldResult, IsReplacedOnceTheOtherProgramLetsItGo)
{
    e2e::Folder folder;
    folder.write(e2e::Files{{"a.txt", "ann@x.se\r\n"}, {"b.txt", "bo@y.se\r\n"}, {"a_b.txt", "earlier@x.se\r\n"}});
    // The helper holds the earlier result for 0.7 s from the moment it says so.
    const auto result = folder.run_shell("j a b\r\nq\r\n",
        std::string{"sh -c '\""} + MORDAVELLE_UNDER_WINE + "\" \"" + MORDAVELLE_HOLD_HELPER + "\" a_b.txt held 700 "
        "</dev/null & while [ ! -e held ]; do sleep 0.02; done; rm held; \"" + e2e::kRecordingProgram + "\"; "
        "status=$?; wait; exit $status'");
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(folder.files(), (e2e::Files{{"a.txt", "ann@x.se\r\n"}, {"b.txt", "bo@y.se\r\n"},
                                          {"a_b.txt", "ann@x.se\r\nbo@y.se\r\n"}}));
}

TEST(WindowsHeldResult, StillHeldAfterTheWaitIsReportedAndTheEarlierKept)
{
    e2e::Folder folder;
    const e2e::Files before{{"a.txt", "ann@x.se\r\n"}, {"b.txt", "bo@y.se\r\n"}, {"a_b.txt", "earlier@x.se\r\n"}};
    folder.write(before);
    const auto result = folder.run_shell("j a b\r\nq\r\n",
        std::string{"sh -c '\""} + MORDAVELLE_UNDER_WINE + "\" \"" + MORDAVELLE_HOLD_HELPER + "\" a_b.txt held 6000 "
        "</dev/null & while [ ! -e held ]; do sleep 0.02; done; rm held; \"" + e2e::kRecordingProgram + "\"; "
        "status=$?; wait; exit $status'");
    EXPECT_NE(result.out.find("cannot write output filea_b.txt"), std::string::npos) << result.out;
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(folder.files(), before);
}

}  // namespace
