// The program's own files on POSIX systems: private while they are written,
// given the earlier result's mode as they take its place, held while they
// exist so that another run cleans up only those left by a stopped run, and
// replaced by a rename only where the rename keeps what the earlier file had.
#include "e2e.h"
#include "platform/files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

unsigned mode_of(const fs::path& path)
{
    struct stat status = {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

// An own file with a line written and closed, still watched.
int written_own_file(const fs::path& path, const fs::path& like = {})
{
    const platform::OwnFile own = platform::create_own_file(path.string(), like.string());
    EXPECT_NE(own.file, nullptr) << path;
    std::fputs("ann@x.se\n", own.file);
    std::fclose(own.file);
    return own.watch;
}

TEST(OwnFile, IsPrivateUntilItTakesTheEarlierResultsMode)
{
    e2e::Folder folder;
    folder.write("r.txt", "earlier@x.se\n");
    folder.shell("chmod 0664 r.txt");
    const int watch = written_own_file(folder.path() / "mordavelle.partial", folder.path() / "r.txt");
    EXPECT_EQ(mode_of(folder.path() / "mordavelle.partial"), 0600U);
    ASSERT_TRUE(platform::move_own_file(watch, (folder.path() / "r.txt").string()));
    EXPECT_EQ(mode_of(folder.path() / "r.txt"), 0664U);
}

TEST(OwnFile, TakesANewFilesModeWhereNoResultWasBefore)
{
    e2e::Folder folder;
    const mode_t mask = umask(027);
    const int watch = written_own_file(folder.path() / "mordavelle.partial", folder.path() / "r.txt");
    ASSERT_TRUE(platform::move_own_file(watch, (folder.path() / "r.txt").string()));
    umask(mask);
    EXPECT_EQ(mode_of(folder.path() / "r.txt"), 0640U);
}

TEST(StalePartials, OnlyUnheldOwnFileNamesAreRemoved)
{
    e2e::Folder folder;
    const platform::OwnFile held = platform::create_own_file((folder.path() / "mordavelle.partial").string());
    folder.write(e2e::Files{{"mordavelle3.partial", "stale"}, {"mordavelle.partial.txt", "kept"},
                            {"my.partial", "kept"}, {"list.txt", "kept"}});
    platform::remove_stale_partials(folder.path().string() + "/");
    EXPECT_EQ(folder.files(), (e2e::Files{{"mordavelle.partial", ""}, {"mordavelle.partial.txt", "kept"},
                                          {"my.partial", "kept"}, {"list.txt", "kept"}}));
    std::fclose(held.file);
    platform::remove_own_file(held.watch);
}

TEST(RenameOver, KeepsAPlainResultOrAMissingOne)
{
    e2e::Folder folder;
    folder.write("r.txt", "earlier@x.se\n");
    const int watch = written_own_file(folder.path() / "mordavelle.partial");
    EXPECT_TRUE(platform::may_rename_over(watch, (folder.path() / "r.txt").string()));
    EXPECT_TRUE(platform::may_rename_over(watch, (folder.path() / "new.txt").string()));
    platform::remove_own_file(watch);
}

TEST(RenameOver, IsRefusedForAResultWithASecondLink)
{
    e2e::Folder folder;
    folder.write("r.txt", "earlier@x.se\n");
    folder.shell("ln r.txt other.txt");
    const int watch = written_own_file(folder.path() / "mordavelle.partial");
    EXPECT_FALSE(platform::may_rename_over(watch, (folder.path() / "r.txt").string()));
    platform::remove_own_file(watch);
}

TEST(RenameOver, IsRefusedForAResultWithAnAccessList)
{
    e2e::Folder folder;
    folder.write("r.txt", "earlier@x.se\n");
    // Owner rw, user 65534 r, group r, mask r, others r: version 2, then tag, permissions, id.
    const std::uint16_t acl[] = {2, 0, 1, 6, 0xffff, 0xffff, 2, 4, 65534, 0, 4, 4, 0xffff, 0xffff,
                                 0x10, 4, 0xffff, 0xffff, 0x20, 4, 0xffff, 0xffff};
    if (setxattr((folder.path() / "r.txt").c_str(), "system.posix_acl_access", acl, sizeof acl, 0) != 0)
        GTEST_SKIP() << "this file system keeps no access lists";
    const int watch = written_own_file(folder.path() / "mordavelle.partial");
    EXPECT_FALSE(platform::may_rename_over(watch, (folder.path() / "r.txt").string()));
    platform::remove_own_file(watch);
}

TEST(RenameOver, IsRefusedWhereTheOwnerCannotBeKept)
{
    // An ordinary user (nobody) cannot give a new file to the owner of the
    // earlier result, root.
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can make a result that an ordinary user may not own";
    e2e::Folder folder;
    folder.write("r.txt", "earlier@x.se\n");
    folder.shell("chmod 0777 . && chmod 0666 r.txt");
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        const platform::OwnFile own = platform::create_own_file((folder.path() / "mordavelle.partial").string());
        const std::string target = (folder.path() / "r.txt").string();
        const bool may = own.file != nullptr && platform::may_rename_over(own.watch, target);
        _exit(own.file == nullptr ? 3 : may ? 1 : 0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: rename allowed, 2: no user to be, 3: no own file";
}

TEST(FlushToDisk, ReportsDataTheDeviceRefuses)
{
    std::FILE* const full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::fputs("ann@x.se\n", full);
    EXPECT_FALSE(platform::flush_to_disk(full));
    std::fclose(full);
}

}  // namespace
