// How a result takes the place of an earlier one on Windows: by the system's
// own replacement, which keeps what the earlier file had beyond its content,
// or in place where a replacement would lose another name of the file. Each
// case looks at the folder afterwards, through Windows's own commands where
// what it shows is Windows's.
#include "e2e.h"

#include <gtest/gtest.h>

namespace {

const e2e::Files kLists = {{"m.txt", "Ann@x.se\r\n"}, {"m_low.txt", "earlier\r\n"},
                           {"all.txt", "ann@x.se\r\nbo@y.se\r\ncy@z.se\r\ndy@w.se\r\n"},
                           {"week1.txt", "bo@y.se\r\n"}, {"week2.txt", "dy@w.se\r\n"}};
const std::string kWindows = std::string{"\""} + MORDAVELLE_UNDER_WINE + "\" cmd /c ";
const std::string kLowered = "It is done, see file m_low.txt";

struct Outcome {
    std::string name;
    std::string setup;  // run in the folder first
    std::string typed;
    std::string shown;  // a line the console shows
    std::string look;   // run in the folder afterwards
    std::string seen;   // all it prints
};

void PrintTo(const Outcome& outcome, std::ostream* out)
{
    *out << outcome.name;
}

class WindowsReplacement : public testing::TestWithParam<Outcome> {};

TEST_P(WindowsReplacement, TakesTheEarlierOnesPlaceKeepingWhatItHad)
{
    const Outcome& outcome = GetParam();
    e2e::Folder folder;
    folder.write(kLists);
    if (!outcome.setup.empty())
        folder.shell(outcome.setup);
    const auto result = folder.run(outcome.typed + "q\r\n");
    EXPECT_NE(result.out.find("\r\n" + outcome.shown + "\r\n"), std::string::npos) << result.out;
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(folder.run_shell("", "sh -c '" + outcome.look + "'").out, outcome.seen);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowsReplacement, testing::Values(
    Outcome{"second_round_of_reminders_from_the_first", "", "s all week1\r\ns Reminders week2\r\n",
            "by substracting: Reminders-week2", "cat Reminders.txt && ls",
            "ann@x.se\r\ncy@z.se\r\nReminders.txt\nall.txt\nm.txt\nm_low.txt\nweek1.txt\nweek2.txt\n"},
    Outcome{"second_round_named_in_another_case", "", "s all week1\r\ns reminders week2\r\n",
            "by substracting: reminders-week2", "cat Reminders.txt && ls",
            "ann@x.se\r\ncy@z.se\r\nReminders.txt\nall.txt\nm.txt\nm_low.txt\nweek1.txt\nweek2.txt\n"},
    Outcome{"hidden_earlier_result_stays_hidden", kWindows + "attrib +h m_low.txt", "l m\r\n", kLowered,
            kWindows + "dir /a:h /b && cat m_low.txt", "m_low.txt\r\nann@x.se\r\n"},
    Outcome{"result_with_a_second_link_written_in_place", kWindows + "mklink /h copy.txt m_low.txt > /dev/null",
            "l m\r\n", kLowered, "cat m_low.txt copy.txt && ls",
            "ann@x.se\r\nann@x.se\r\nall.txt\ncopy.txt\nm.txt\nm_low.txt\nweek1.txt\nweek2.txt\n"}),
    [](const testing::TestParamInfo<Outcome>& param) { return param.param.name; });

}  // namespace
