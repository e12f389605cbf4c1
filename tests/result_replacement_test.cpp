// How a result takes the place of an earlier one: by a rename after the new
// file has reached the disk where nothing but the content changes, in place
// where a rename would lose the earlier file's owner, group or other links,
// or where the folder takes no new file from the user.
#include "e2e.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include <unistd.h>

namespace {

using e2e::Files;

const Files kLists = {{"m.txt", "Ann@x.se\n"}, {"m_low.txt", "earlier\n"}};
const std::string kTeam = "mordavelle-team";

// Makes the users of these tests: the result's owner, and a team mate who
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

const std::string kAsMate = "setpriv --reuid=mordavelle-mate --regid=" + kTeam + " --init-groups " +
                            e2e::kRecordingProgram;

// Owner, group, permission bits and number of links of the result.
std::string owner_of_result(const e2e::Folder& folder)
{
    folder.shell("stat -c '%U:%G %a %h' m_low.txt > ../stat");
    return e2e::read_file(folder.path() / ".." / "stat");
}

TEST(ResultInPlace, SharedGroupResultKeepsItsOwnerAndGroupWhenATeamMateWritesIt)
{
    if (!users_made())
        GTEST_SKIP() << "only the superuser can make the users that show whose file a result stays";
    e2e::Folder folder;
    folder.write(kLists);
    folder.shell("chown mordavelle-rt:" + kTeam + " m_low.txt && chmod 0664 m_low.txt && chmod 0777 .");
    EXPECT_EQ(folder.run_shell("l m\nq\n", kAsMate).status, 0);
    EXPECT_EQ(folder.files(), e2e::with(kLists, "m_low.txt", "ann@x.se\n"));
    EXPECT_EQ(owner_of_result(folder), "mordavelle-rt:" + kTeam + " 664 1\n");
}

// A folder where the user may not create a file, or not remove another's.
class FolderClosedToTheUser : public testing::TestWithParam<std::string> {};

TEST_P(FolderClosedToTheUser, WritesAResultOpenToAllInPlace)
{
    if (!users_made())
        GTEST_SKIP() << "only the superuser can make a user to whom the folder is closed";
    e2e::Folder folder;
    folder.write(kLists);
    folder.shell("chown mordavelle-rt:" + kTeam + " m_low.txt && chmod 0666 m_low.txt && chmod " + GetParam() + " .");
    EXPECT_EQ(folder.run_shell("l m\nq\n", kAsMate).status, 0);
    EXPECT_EQ(folder.files(), e2e::with(kLists, "m_low.txt", "ann@x.se\n"));
    EXPECT_EQ(owner_of_result(folder), "mordavelle-rt:" + kTeam + " 666 1\n");
}

INSTANTIATE_TEST_SUITE_P(OwnedByRootOrSticky, FolderClosedToTheUser, testing::Values("0755", "1777"));

TEST(ResultInPlace, ResultWithASecondLinkStaysLinked)
{
    e2e::Folder folder;
    folder.write(kLists);
    folder.shell("ln m_low.txt copy.txt");
    EXPECT_EQ(folder.run("l m\nq\n").status, 0);
    EXPECT_EQ(folder.files(), e2e::with(e2e::with(kLists, "m_low.txt", "ann@x.se\n"), "copy.txt", "ann@x.se\n"));
}

TEST(ResultInPlace, FullDiskWhileWritingIsReportedWithTheCommandsFailure)
{
    if (std::system("unshare -rm true 2>/dev/null") != 0)
        GTEST_SKIP() << "user namespaces are not allowed here, so no small file system can be mounted";
    e2e::Folder folder;
    std::string list;
    for (int i = 0; i < 4000; ++i)
        list += "Ann.Lee" + std::to_string(i) + "@hr.se\n";
    folder.write(e2e::with(kLists, "m.txt", list));
    // The second link keeps the result in place; then the file system is filled up.
    const auto result = folder.run_shell("l m\nq\n",
        "unshare -rm sh -c 'mkdir ../disk && mount -t tmpfs -o size=256k tmpfs ../disk && cp * ../disk/ && cd ../disk "
        "&& ln m_low.txt copy.txt && (cat /dev/zero > fill) 2>/dev/null; exec " + e2e::kRecordingProgram + "'");
    EXPECT_NE(result.out.find("\ncan't write file m_low.txt\nShutting down...\n"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("It is done"), std::string::npos) << result.out;
    EXPECT_EQ(result.status, 1);
}

TEST(ResultByRename, NewFileReachesTheDiskBeforeTheRenameAndTheFolderAfter)
{
    if (std::system("strace -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "strace is not installed";
    e2e::Folder folder;
    folder.write(kLists);
    (void)folder.run_shell("l m\nq\n", "strace -f -o ../trace -e trace=fdatasync,fsync,rename,renameat,renameat2 " +
                                           e2e::kRecordingProgram);
    std::istringstream trace(e2e::read_file(folder.path() / ".." / "trace"));
    std::string calls;
    const std::regex call(R"(^\d+ +(\w+)\(.*= 0$)");
    std::smatch found;
    for (std::string line; std::getline(trace, line);) {
        if (std::regex_match(line, found, call))
            calls += found[1].str().starts_with("rename") ? "rename " : "sync ";
    }
    EXPECT_EQ(calls, "sync rename sync ");
}

TEST(OwnFiles, OneThatARunningProgramHoldsIsKept)
{
    e2e::Folder folder;
    folder.write(e2e::with(kLists, "mordavelle.partial", "busy\n"));
    // flock holds the file locked as a running program holds its own.
    const auto result = folder.run_shell("l m\nq\n", "flock mordavelle.partial " + e2e::kRecordingProgram);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(folder.files(), e2e::with(e2e::with(kLists, "m_low.txt", "ann@x.se\n"), "mordavelle.partial", "busy\n"));
}

}  // namespace
