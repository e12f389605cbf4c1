// A result that another program holds, for a moment as a virus scanner or an
// indexer does just after a file has been written: the program waits for it
// and still replaces it, or, if it stays held, reports it and keeps it as it
// was; the same for a result written in place (one with a second link), and
// a result that is a list the command reads is never written at all.
#include "e2e.h"

#include <gtest/gtest.h>

namespace {

const e2e::Files kLists{{"a.txt", "ann@x.se\r\n"}, {"b.txt", "bo@y.se\r\n"}, {"a_b.txt", "earlier@x.se\r\n"}};
const std::string kJoined = "ann@x.se\r\nbo@y.se\r\n";

struct Held {
    std::string name;
    std::string setup;        // run in the folder first
    int milliseconds;         // how long the helper holds a_b.txt, if at all
    int status;
    e2e::Files after;
};

void PrintTo(const Held& held, std::ostream* out)
{
    *out << held.name;
}

class WindowsHeldResult : public testing::TestWithParam<Held> {};

TEST_P(WindowsHeldResult, IsWaitedForOrReportedWithTheEarlierKept)
{
    const Held& held = GetParam();
    e2e::Folder folder;
    folder.write(kLists);
    folder.shell("true " + held.setup);
    // The helper holds the earlier result from the moment it says so.
    const std::string holder = held.milliseconds == 0 ? std::string{"touch held"}
        : "\"" + std::string{MORDAVELLE_UNDER_WINE} + "\" \"" + MORDAVELLE_HOLD_HELPER + "\" a_b.txt held " +
              std::to_string(held.milliseconds);
    const auto result = folder.run_shell("j a b\r\nq\r\n", "sh -c '" + holder + " </dev/null & while [ ! -e held ]; "
        "do sleep 0.02; done; rm held; \"" + e2e::kRecordingProgram + "\"; status=$?; wait; exit $status'");
    EXPECT_EQ(result.status, held.status) << result.out;
    if (held.status != 0) {
        EXPECT_NE(result.out.find("cannot write output filea_b.txt"), std::string::npos) << result.out;
    }
    EXPECT_EQ(folder.files(), held.after);
}

INSTANTIATE_TEST_SUITE_P(Results, WindowsHeldResult, testing::Values(
    Held{"replaced_once_let_go", "", 700, 0, e2e::with(kLists, "a_b.txt", kJoined)},
    Held{"still_held_after_the_wait", "", 6000, 1, kLists},
    Held{"in_place_once_let_go", "&& ln a_b.txt c.txt", 700, 0,
         e2e::with(e2e::with(kLists, "a_b.txt", kJoined), "c.txt", kJoined)},
    Held{"in_place_still_held", "&& ln a_b.txt c.txt", 6000, 1, e2e::with(kLists, "c.txt", "earlier@x.se\r\n")},
    Held{"a_list_it_reads", "&& ln -f b.txt a_b.txt", 0, 1, e2e::with(kLists, "a_b.txt", "bo@y.se\r\n")}),
    [](const testing::TestParamInfo<Held>& param) { return param.param.name; });

}  // namespace
