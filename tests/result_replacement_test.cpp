// What replacing a result must not harm: the lists the command reads, another
// run writing the same result, a team mate's file, a file another user's link
// leads to, a folder's rules, the user's own files of similar names. Each case
// runs the program as an ordinary user would (through setpriv, made here when
// the tests run as root), or on a small file system of its own.
#include "e2e.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include <unistd.h>

namespace {

using e2e::Files;

const Files kLists = {{"m.txt", "Ann@x.se\n"}, {"m_low.txt", "earlier\n"}, {"all.txt", "a\nb\nc\n"},
                      {"resp.txt", "b\n"}, {"t.txt", "<ann@x.se>\n"}};
const std::string kTeam = "mordavelle-team";
const std::string kLowered = "It is done, see file m_low.txt";

// Makes the users of these tests: a result's owner, and a team mate who
// shares its group. Only the superuser may, and only the superuser needs to:
// an ordinary user's permissions are those the tests are about.
bool users_made()
{
    return geteuid() == 0 &&
           std::system(("(getent group " + kTeam + " || groupadd " + kTeam + " || getent group " + kTeam + ") && "
                        "(id mordavelle-rt || useradd -M -N mordavelle-rt || id mordavelle-rt) && "
                        "(id mordavelle-mate || useradd -M -g " + kTeam + " mordavelle-mate || id mordavelle-mate)"
                        " >/dev/null 2>&1").c_str()) == 0;
}

const std::string kAsOwner = "setpriv --reuid=mordavelle-rt --regid=users --init-groups";
const std::string kAsMate = "setpriv --reuid=mordavelle-mate --regid=" + kTeam + " --init-groups";

// A file system of its own, mounted in a user namespace and made ready by
// `ready`; the program ($0) runs there, and what m_low.txt holds afterwards
// is left in ../seen.
std::string small_disk(const std::string& options, const std::string& ready)
{
    return "unshare -rm sh -c 'mkdir ../disk && mount -t tmpfs -o " + options + " tmpfs ../disk && cp * ../disk/ && "
           "cd ../disk && " + ready + "; \"$0\"; status=$?; cat m_low.txt > ../seen; exit $status'";
}

struct Harm {
    std::string name;
    std::string setup;  // run by the superuser in the folder first
    std::string as;     // what the program runs under: a user, a small file system, a tracer
    std::string typed;
    std::string shown;  // the last lines the command shows
    int status;
    std::string look;   // a command run in the folder afterwards
    std::string seen;   // all it prints
};

void PrintTo(const Harm& harm, std::ostream* out)
{
    *out << harm.name;
}

const std::vector<Harm> kHarms = {
    {"list_hard_linked_as_its_result", "ln -f m.txt m_low.txt", "", "l m",
     "can't write file m_low.txt\nShutting down...", 1, "cat m.txt", "Ann@x.se\n"},
    {"list_linked_as_its_sorted_result", "ln -s m.txt m_a.txt", "", "a m",
     "can't make file m_a.txt\nShutting down...", 1, "cat m.txt", "Ann@x.se\n"},
    {"list_of_all_linked_as_the_reminders", "ln -s all.txt Reminders.txt", "", "s all resp",
     "cannot write output file\nExiting...", 1, "cat all.txt", "a\nb\nc\n"},
    {"text_linked_as_its_addresses", "ln -s t.txt tEPX.txt", "", "e t", "can't make file tEPX.txt\nExiting...", 1,
     "cat t.txt && ls", "<ann@x.se>\nall.txt\nm.txt\nm_low.txt\nresp.txt\nt.txt\ntEPX.txt\n"},
    {"result_in_place_that_another_run_holds", "ln m_low.txt copy.txt && (flock m_low.txt sleep 4 &) && sleep 0.2",
     "", "l m", "can't write file m_low.txt\nShutting down...", 1, "cat m_low.txt", "earlier\n"},
    {"result_in_place_held_for_a_moment", "ln m_low.txt copy.txt && (flock m_low.txt sleep 0.6 &) && sleep 0.2", "",
     "l m", kLowered, 0, "cat copy.txt", "ann@x.se\n"},
    {"no_free_inode", "", small_disk("nr_inodes=32", "(i=0; while : > f$i; do i=$((i+1)); done) 2>/dev/null"),
     "l m", "can't write file m_low.txt\nShutting down...", 1, "cat ../seen", "earlier\n"},
    {"full_disk_in_place", "seq -f Ann.Lee%g@hr.se 4000 > m.txt",
     small_disk("size=256k", "ln m_low.txt copy.txt && (cat /dev/zero > fill) 2>/dev/null"), "l m",
     "can't write file m_low.txt\nShutting down...", 1, "cat ../seen", "earlier\n"},
    {"link_planted_in_a_shared_folder",
     "mkdir ../own && echo notes > ../own/notes.txt && echo stale > ../own/mordavelle.partial && "
     "chown -R mordavelle-rt ../own && chmod 0700 ../own && ln -s ../own/notes.txt Reminders.txt && "
     "chown -h mordavelle-mate Reminders.txt && chmod 1777 .",
     kAsOwner, "s all resp", "cannot write output file\nExiting...", 1, "cat ../own/*", "stale\nnotes\n"},
    {"team_mates_result", "chown mordavelle-rt:" + kTeam + " m_low.txt && chmod 0664 m_low.txt && chmod 0777 .",
     kAsMate, "l m", kLowered, 0, "stat -c %U:%G:%a:%h m_low.txt && cat m_low.txt",
     "mordavelle-rt:" + kTeam + ":664:1\nann@x.se\n"},
    {"team_mates_result_in_a_root_folder", "chown mordavelle-rt:" + kTeam + " m_low.txt && chmod 0666 m_low.txt",
     kAsMate, "l m", kLowered, 0, "stat -c %U:%G:%a:%h m_low.txt && cat m_low.txt",
     "mordavelle-rt:" + kTeam + ":666:1\nann@x.se\n"},
    {"team_mates_result_in_a_sticky_folder",
     "chown mordavelle-rt:" + kTeam + " m_low.txt && chmod 0666 m_low.txt && chmod 1777 .", kAsMate, "l m",
     kLowered, 0, "stat -c %U:%G:%a:%h m_low.txt && cat m_low.txt", "mordavelle-rt:" + kTeam + ":666:1\nann@x.se\n"},
    {"result_with_a_second_link", "ln m_low.txt copy.txt", "", "l m", kLowered, 0, "cat copy.txt", "ann@x.se\n"},
    {"folder_with_a_default_access_list",
     "rm m_low.txt && chmod 0777 . && setfacl -d -m u::rw,g::r,g:" + kTeam + ":rw,o::- .", kAsOwner, "l m", kLowered,
     0, "getfacl -cp m_low.txt", "user::rw-\ngroup::r--\ngroup:" + kTeam + ":rw-\nmask::rw-\nother::---\n\n"},
    {"private_result_in_a_folder_whose_default_access_list_shares",
     "chown mordavelle-rt m_low.txt && chmod 0640 m_low.txt && chmod 0777 . && setfacl -d -m u:mordavelle-mate:r .",
     kAsOwner, "l m", kLowered, 0, "getfacl -cp m_low.txt && cat m_low.txt",
     "user::rw-\ngroup::r--\nother::---\n\nann@x.se\n"},
    {"list_linked_in_a_shared_folder_by_another_user",
     "mkdir ../own && echo secret@x.se > ../own/board.txt && chown -R mordavelle-rt ../own && chmod 0700 ../own && "
     "ln -s ../own/board.txt two.txt && chown -h mordavelle-mate two.txt && chmod 1777 .",
     kAsOwner, "j all two", "no such file two.txt\nExiting...", 1, "ls", "all.txt\nm.txt\nm_low.txt\nresp.txt\nt.txt\n"
     "two.txt\n"},
    {"list_a_writer_holds_for_a_moment", "(flock m_low.txt sleep 0.6 &) && sleep 0.2", "", "c m_low",
     "The list  m_low.txt contains 1 strings.", 0, "cat m_low.txt", "earlier\n"},
    {"list_a_writer_holds", "(flock m_low.txt sleep 4 &) && sleep 0.2", "", "c m_low",
     "can't find file m_low.txt\nShutting down...", 1, "cat m_low.txt", "earlier\n"},
    {"earlier_results_attributes", "setfattr -n user.tags -v work m_low.txt", "", "l m", kLowered, 0,
     "getfattr -n user.tags --only-values m_low.txt && cat m_low.txt", "workann@x.se\n"},
    {"private_while_written", "echo earlier > tEPX.txt && chmod 0644 tEPX.txt",
     "env ASAN_OPTIONS=detect_leaks=0 strace -f -o ../trace -e trace=openat",
     "e t", "Done, results in: tEPX.txt", 0, "grep -o \"O_EXCL|O_NOFOLLOW|O_CLOEXEC, 0[0-7]*\" ../trace && stat -c %a tEPX.txt",
     "O_EXCL|O_NOFOLLOW|O_CLOEXEC, 0600\nO_EXCL|O_NOFOLLOW|O_CLOEXEC, 0600\n644\n"},
    {"users_files_of_similar_names",
     "for f in mordavelle-notes mordavelleX mordavelle12 my; do echo x > $f.partial; done", "", "l m", kLowered, 0,
     "ls *.partial", "mordavelle-notes.partial\nmordavelleX.partial\nmy.partial\n"},
    {"own_file_another_run_holds", "echo busy > mordavelle.partial", "flock mordavelle.partial", "l m", kLowered, 0,
     "cat mordavelle.partial m_low.txt", "busy\nann@x.se\n"},
};

class ResultReplacement : public testing::TestWithParam<Harm> {};

TEST_P(ResultReplacement, HarmsNothingButTheResult)
{
    const Harm& harm = GetParam();
    if (harm.as.starts_with("setpriv") && !users_made())
        GTEST_SKIP() << "only the superuser can make the users these cases are about";
    if (harm.as.starts_with("unshare") && std::system("unshare -rm true 2>/dev/null") != 0)
        GTEST_SKIP() << "user namespaces are not allowed here, so no small file system can be mounted";
    for (const std::string tool : {"strace", "setfattr", "setfacl"}) {
        if ((harm.setup + harm.as + harm.look).find(tool) != std::string::npos &&
            std::system(("command -v " + tool + " >/dev/null").c_str()) != 0)
            GTEST_SKIP() << tool << " is not installed (make test installs it on Debian and Ubuntu)";
    }
    e2e::Folder folder;
    folder.write(kLists);
    if (!harm.setup.empty())
        folder.shell(harm.setup);
    const auto result = folder.run_shell(harm.typed + "\nq\n", harm.as + " " + e2e::kRecordingProgram);
    EXPECT_NE(result.out.find("\n" + harm.shown + "\n"), std::string::npos) << result.out;
    EXPECT_EQ(result.status, harm.status) << result.out;
    EXPECT_EQ(folder.run_shell("", "sh -c '" + harm.look + "'").out, harm.seen);
}

INSTANTIATE_TEST_SUITE_P(Cases, ResultReplacement, testing::ValuesIn(kHarms),
                         [](const testing::TestParamInfo<Harm>& param) { return param.param.name; });

// The system calls of a run of L over a list of `bytes` bytes, under strace.
std::string traced_calls(std::size_t bytes, const std::string& calls)
{
    e2e::Folder folder;
    std::string list;
    for (int i = 0; list.size() < bytes; ++i)
        list += "Ann.Lee" + std::to_string(i) + "@hr.se\n";
    folder.write(e2e::with(kLists, "m.txt", list));
    // The leak checker of a sanitized build cannot run under ptrace.
    (void)folder.run_shell("l m\nq\n", "env ASAN_OPTIONS=detect_leaks=0 strace -f -o ../trace -e trace=" + calls + " " +
                                           e2e::kRecordingProgram);
    return e2e::read_file(folder.path() / ".." / "trace");
}

TEST(ResultByRename, IsSentToTheDiskWhileWrittenAndFlushedBeforeTheRenameAndTheFolderAfter)
{
    if (std::system("strace -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "strace is not installed";
    std::istringstream trace(traced_calls(9 << 20, "sync_file_range,fdatasync,fsync,rename,renameat,renameat2"));
    std::string calls;
    const std::regex call(R"(^\d+ +(\w+)\(.*= 0$)");
    std::smatch found;
    for (std::string line; std::getline(trace, line);) {
        if (std::regex_match(line, found, call))
            calls += found[1].str().starts_with("rename") ? "rename "
                     : found[1] == "sync_file_range"      ? "send "
                                                          : "sync ";
    }
    EXPECT_EQ(calls, "send sync rename sync ");
}

TEST(OwnFiles, AStaleOneIsRemovedOnlyIfItsNameStillNamesTheFileLocked)
{
    if (std::system("strace -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "strace is not installed";
    e2e::Folder folder;
    folder.write(e2e::with(kLists, "mordavelle.partial", "stale\n"));
    // The first lock, on the stale file, is taken two seconds late; meanwhile
    // a file that another program holds takes the stale one's name.
    (void)folder.run_shell("l m\nq\n",
        "sh -c '(sleep 1; rm mordavelle.partial; flock mordavelle.partial -c \"echo new > mordavelle.partial; "
        "sleep 3\") & ASAN_OPTIONS=detect_leaks=0 exec strace -f -o /dev/null -e trace=flock "
        "-e inject=flock:delay_exit=2000000:when=1 \"$0\"' " + e2e::kRecordingProgram);
    EXPECT_EQ(folder.files(),
              e2e::with(e2e::with(kLists, "m_low.txt", "ann@x.se\n"), "mordavelle.partial", "new\n"));
}

}  // namespace
