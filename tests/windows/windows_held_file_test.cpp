// A file that another program holds, for a moment as a virus scanner, an
// indexer or a backup does: the program waits for it and still replaces or
// reads it, or, if it stays held, reports it and keeps it as it was; the same
// for a result written in place (one with a second link), and for a list that
// a program holds open for writing, which is never read half written.
#include "e2e.h"

#include <gtest/gtest.h>

namespace {

const e2e::Files kLists{{"a.txt", "ann@x.se\r\n"}, {"b.txt", "bo@y.se\r\n"}, {"a_b.txt", "earlier@x.se\r\n"}};
const std::string kJoined = "ann@x.se\r\nbo@y.se\r\n";
const std::string kJoin = "j a b\r\nq\r\n";

struct Held {
    std::string name;
    std::string setup;   // run in the folder first
    std::string held;    // the file the helper holds
    int milliseconds;    // for how long
    std::string typed;
    std::string shown;   // a line the console shows
    e2e::Files after;
    std::string how = {};  // "write": held as a program that writes it holds it
};

void PrintTo(const Held& held, std::ostream* out)
{
    *out << held.name;
}

class WindowsHeldFile : public testing::TestWithParam<Held> {};

TEST_P(WindowsHeldFile, IsWaitedForOrReportedWithTheEarlierKept)
{
    const Held& held = GetParam();
    e2e::Folder folder;
    folder.write(kLists);
    if (!held.setup.empty())
        folder.shell(held.setup);
    // The helper holds the file from the moment it says so.
    const std::string holder = "\"" + std::string{MORDAVELLE_UNDER_WINE} + "\" \"" + MORDAVELLE_HOLD_HELPER + "\" " +
                               held.held + " held " + std::to_string(held.milliseconds) + " " + held.how;
    const auto result = folder.run_shell(held.typed, "sh -c '" + holder + " </dev/null & while [ ! -e held ]; "
        "do sleep 0.02; done; rm held; \"" + e2e::kRecordingProgram + "\"; status=$?; wait; exit $status'");
    EXPECT_NE(result.out.find(held.shown + "\r\n"), std::string::npos) << result.out;
    EXPECT_EQ(result.status, held.shown.starts_with("can") ? 1 : 0) << result.out;
    EXPECT_EQ(folder.files(), held.after);
}

const std::string kCantWrite = "cannot write output filea_b.txt";
const std::string kJoinDone = "Done combining files, output is in the file a_b.txt";

INSTANTIATE_TEST_SUITE_P(Files, WindowsHeldFile, testing::Values(
    Held{"result_replaced_once_let_go", "", "a_b.txt", 700, kJoin, kJoinDone, e2e::with(kLists, "a_b.txt", kJoined)},
    Held{"result_still_held_after_the_wait", "", "a_b.txt", 6000, kJoin, kCantWrite, kLists},
    Held{"result_in_place_once_let_go", "ln a_b.txt c.txt", "a_b.txt", 700, kJoin, kJoinDone,
         e2e::with(e2e::with(kLists, "a_b.txt", kJoined), "c.txt", kJoined)},
    Held{"result_in_place_still_held", "ln a_b.txt c.txt", "a_b.txt", 6000, kJoin, kCantWrite,
         e2e::with(kLists, "c.txt", "earlier@x.se\r\n")},
    Held{"list_read_once_let_go", "", "a.txt", 1500, "c a\r\nq\r\n", "The list  a.txt contains 1 strings.", kLists},
    Held{"list_still_held_after_the_wait", "", "a.txt", 6000, "c a\r\nq\r\n", "can't find file a.txt", kLists},
    Held{"list_open_for_writing_beyond_the_wait", "", "a.txt", 6000, "c a\r\nq\r\n", "can't find file a.txt", kLists,
         "write"}),
    [](const testing::TestParamInfo<Held>& param) { return param.param.name; });

}  // namespace
