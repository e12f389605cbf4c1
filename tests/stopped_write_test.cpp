// A result stopped at every step of its writing: killed at each file system
// call in turn, or failed there with an I/O error, a full disk or a file too
// large. Whatever happened, after one more run of the program in the folder
// every name of the result holds the earlier result or the new one, whole, a
// reported failure leaves the earlier one, and nothing of the program's is left.
#include "e2e.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include <unistd.h>

namespace {

// Longer than the new result, so that a result copied in but not yet cut to
// its size would show the end of the earlier one.
const std::string kEarlier = "the.earlier.result@of.a.run.before\n";
const std::string kLowered = "ann@x.se\nbo.ek@it.se\ncy@x.se\n";
const std::string kCalls = "openat,read,pread64,write,pwrite64,fsync,fdatasync,ftruncate,fallocate,flock,renameat,"
                           "renameat2,unlinkat,close";
const std::string kWrites = "write,pwrite64";

struct Way {
    std::string name;
    std::string setup;  // how the earlier result is kept: its names, its folder
    std::string as;     // the user the program runs as
};

void PrintTo(const Way& way, std::ostream* out)
{
    *out << way.name;
}

bool is_root()
{
    return geteuid() == 0;
}

// The user of these cases, when the tests run as the superuser: the
// superuser's own rights would hide what an ordinary user meets.
std::string as_user()
{
    if (!is_root() || std::system("(id mordavelle-rt || useradd -M -N mordavelle-rt) >/dev/null 2>&1") != 0)
        return {};
    return "setpriv --reuid=mordavelle-rt --regid=users --init-groups ";
}

const std::vector<Way> kWays = {
    {"renamed_into_place", "", as_user()},
    {"in_place_for_its_second_name", "ln m_low.txt copy.txt", as_user()},
    {"in_place_from_the_temporary_folder", "ln m_low.txt copy.txt && chown root . && chmod 0755 .", as_user()},
};

class StoppedWrite : public testing::TestWithParam<Way> {
protected:
    void SetUp() override
    {
        if (std::system("strace -V >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "strace is not installed";
        if (GetParam().setup.find("chown") != std::string::npos && GetParam().as.empty())
            GTEST_SKIP() << "only the superuser can make a folder that refuses its user a new file";
    }

    // The folder as each run finds it: the list, the earlier result, its names.
    void make_ready(const e2e::Folder& folder) const
    {
        folder.write({{"m.txt", "Ann@x.se\nBo.Ek@it.se\nCY@x.se\n"}, {"m_low.txt", kEarlier}});
        folder.shell("mkdir -p ../tmp && chmod 1777 ../tmp && chmod 0777 . && " +
                     (GetParam().setup.empty() ? std::string{"true"} : GetParam().setup) +
                     " && chmod a+rw m_low.txt" + (GetParam().as.empty() ? "" : " && chown mordavelle-rt m_low.txt"));
    }

    std::string program(const e2e::Folder& folder, const std::string& strace_options,
                        const std::string& trace = "/dev/null") const
    {
        return "env TMPDIR=" + (folder.path() / ".." / "tmp").lexically_normal().string() +
               " ASAN_OPTIONS=detect_leaks=0 " + GetParam().as + "strace -f -o " + trace + " " + strace_options + " " +
               e2e::kRecordingProgram;
    }

    // How often a run of L calls each of `calls`.
    std::map<std::string, int> counted(const std::string& calls) const
    {
        e2e::Folder folder;
        make_ready(folder);
        const std::string trace = (folder.path() / ".." / "trace").string();
        folder.shell("chmod 0777 ..");
        (void)folder.run_shell("l m\nq\n", program(folder, "-e trace=" + calls, trace));
        std::map<std::string, int> counts;
        std::istringstream lines(e2e::read_file(trace));
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string pid;
            std::string call;
            words >> pid >> call;
            const auto paren = call.find('(');
            if (paren != std::string::npos && paren > 0)
                ++counts[call.substr(0, paren)];
        }
        return counts;
    }

    // Every name of the result holds one whole result, and nothing of the
    // program's is left, in the folder or the temporary folder.
    void expect_whole(const e2e::Folder& folder, const std::string& stop, const std::string& expected = {}) const
    {
        const std::string result = e2e::read_file(folder.path() / "m_low.txt");
        if (!expected.empty()) {
            EXPECT_EQ(result, expected) << stop;
        } else {
            EXPECT_TRUE(result == kEarlier || result == kLowered) << stop << ": " << result;
        }
        if (GetParam().setup.find("ln ") != std::string::npos) {
            EXPECT_EQ(e2e::read_file(folder.path() / "copy.txt"), result) << stop;
        }
        EXPECT_EQ(folder.run_shell("", "sh -c 'ls . ../tmp | grep mordavelle'").out, "") << stop;
    }
};

TEST_P(StoppedWrite, KilledAtAnyCallLeavesOneWholeResultOnceTheProgramRunsAgain)
{
    for (const auto& [call, count] : counted(kCalls)) {
        for (int nth = 1; nth <= count; ++nth) {
            e2e::Folder folder;
            make_ready(folder);
            const std::string stop = call + " " + std::to_string(nth);
            (void)folder.run_shell("l m\nq\n", program(folder, "-e trace=" + call + " -e inject=" + call +
                                                                   ":signal=KILL:when=" + std::to_string(nth)));
            const auto again = folder.run_shell("q\n", program(folder, ""));
            EXPECT_EQ(again.status, 0) << stop;
            expect_whole(folder, stop);
        }
    }
}

TEST_P(StoppedWrite, AFailedWriteKeepsTheEarlierResultAndASuccessIsWhole)
{
    // A full disk where the file system cannot set room aside beforehand,
    // as ext2 and FAT cannot.
    const std::vector<std::string> faults = {"error=EIO", "error=ENOSPC", "error=EFBIG"};
    for (const auto& [call, count] : counted(kWrites)) {
        for (const std::string& fault : faults) {
            for (int nth = 1; nth <= count; ++nth) {
                e2e::Folder folder;
                make_ready(folder);
                const std::string stop = call + " " + std::to_string(nth) + " " + fault;
                const auto run = folder.run_shell(
                    "l m\nq\n", program(folder, "-e trace=" + call + ",fallocate -e inject=fallocate:error=EOPNOTSUPP "
                                                "-e inject=" + call + ":" + fault + ":when=" + std::to_string(nth)));
                const bool failed = run.out.find("can't write file m_low.txt\n") != std::string::npos;
                const bool done = run.out.find("It is done, see file m_low.txt\n") != std::string::npos;
                expect_whole(folder, stop, failed ? kEarlier : done ? kLowered : std::string{});
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, StoppedWrite, testing::ValuesIn(kWays),
                         [](const testing::TestParamInfo<Way>& param) { return param.param.name; });

}  // namespace

namespace {

TEST(ResultInPlace, AListReadWhileItIsWrittenIsTheEarlierOrTheNewOneWhole)
{
    e2e::Folder folder;
    std::string list;
    for (int i = 0; i < 200000; ++i)
        list += "Ann.Lee" + std::to_string(i) + "@hr.se\n";
    folder.write({{"m.txt", list}, {"m_low.txt", kEarlier}});
    folder.shell("ln m_low.txt copy.txt");
    // Counts run one after another for as long as the lowered list is
    // written in place, its copy slowed down to let them in.
    if (std::system("strace -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "strace is not installed";
    const auto counts = folder.run_shell(
        "", "sh -c 'printf \"l m\\nq\\n\" | ASAN_OPTIONS=detect_leaks=0 strace -f -o /dev/null -e trace=pwrite64 "
            "-e inject=pwrite64:delay_exit=30000 \"$0\" > /dev/null & writer=$!; while kill -0 $writer 2>/dev/null; "
            "do printf \"c m_low\\nq\\n\" | \"$0\" | grep contains; done' " + e2e::kRecordingProgram);
    EXPECT_GT(counts.out.size(), 0U);
    std::istringstream lines(counts.out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(line == "The list  m_low.txt contains 1 strings." ||
                    line == "The list  m_low.txt contains 200000 strings.") << line;
    }
}

}  // namespace
