// Installing on POSIX systems: `make install` of this build into a scratch
// prefix gives a program that runs, its manual page, the README, the copyright
// and the changelog, and `make uninstall` takes them away again; the manual
// page renders without a warning and tells of every menu letter and its files.
#include "commands.h"
#include "e2e.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

const std::string kVersion = MORDAVELLE_VERSION;

// make with the folder as its build folder and this build as the release
// build, which is taken as built; nothing of a make that runs the tests.
std::string make(const std::string& targets)
{
    return "MAKEFLAGS= make -s --no-print-directory -C '" MORDAVELLE_SOURCE_DIR "' -o build " + targets +
           " RELEASE='" MORDAVELLE_BUILD_DIR "' BUILD_DIR=\"$PWD\" PREFIX=\"$PWD/prefix\" DESTDIR= >> make.log";
}

// Installs the build into the folder's "prefix" and gives back that path. CMake
// lists what it installed in the one build folder, so tests take turns at it.
std::filesystem::path install(const e2e::Folder& folder)
{
    const int lock = ::open(MORDAVELLE_BUILD_DIR "/install.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ::flock(lock, LOCK_EX);
    folder.shell(make("install"));
    ::close(lock);
    return folder.path() / "prefix";
}

// An installed file, uncompressed.
std::string installed(const e2e::Folder& folder, const std::string& file)
{
    return folder.run_shell("", "gzip -dc " + (install(folder) / file).string()).out;
}

std::string files_under(const e2e::Folder& folder, const std::string& path)
{
    return folder.run_shell("", "sh -c 'cd " + path + " && find . -type f | sort'").out;
}

TEST(Install, PutsTheProgramItsManualPageAndItsDocumentsUnderThePrefix)
{
    e2e::Folder folder;
    install(folder);
    EXPECT_EQ(files_under(folder, "prefix"), "./bin/mordavelle\n./share/doc/mordavelle/README.md\n"
                                             "./share/doc/mordavelle/changelog.gz\n./share/doc/mordavelle/copyright\n"
                                             "./share/man/man1/mordavelle.1.gz\n");
}

TEST(Install, UninstallRemovesWhatInstallPut)
{
    e2e::Folder folder;
    install(folder);
    folder.shell(make("uninstall"));
    EXPECT_EQ(files_under(folder, "."), "./make.log\n");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "prefix/share/doc/mordavelle"));
}

TEST(Install, ChangelogBeginsWithThisVersion)
{
    e2e::Folder folder;
    EXPECT_TRUE(installed(folder, "share/doc/mordavelle/changelog.gz").starts_with("mordavelle (" + kVersion + ") "));
}

TEST(Install, InstalledProgramShowsTheMenuAndQuits)
{
    e2e::Folder folder;
    const auto prefix = install(folder);
    const auto result = folder.run("q\n", (prefix / "bin/mordavelle").string());
    EXPECT_EQ(result.out, e2e::menu());
    EXPECT_EQ(result.status, 0);
}

TEST(ManualPage, RendersWithoutAWarning)
{
    if (std::system("command -v groff > /dev/null") != 0)
        GTEST_SKIP() << "groff is not installed";
    e2e::Folder folder;
    install(folder);
    const auto result = folder.run_shell("", "gzip -dc prefix/share/man/man1/mordavelle.1.gz | groff -man -z -ww");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.events.empty()) << result.events.front();
}

TEST(ManualPage, HasTheSectionsAndTheVersion)
{
    e2e::Folder folder;
    const std::string page = installed(folder, "share/man/man1/mordavelle.1.gz");
    for (const std::string section :
         {"NAME", "SYNOPSIS", "DESCRIPTION", "FILES", "EXIT STATUS", "ENVIRONMENT", "EXAMPLES", "SEE ALSO"})
        EXPECT_NE(page.find("\n.SH " + section + "\n"), std::string::npos) << section;
    EXPECT_NE(page.find("\n.TH MORDAVELLE 1 "), std::string::npos);
    EXPECT_NE(page.find("\"Mordavelle " + kVersion + "\""), std::string::npos);
}

TEST(ManualPage, TellsOfEveryMenuLetterAndTheNamesItReadsAndWrites)
{
    e2e::Folder folder;
    const std::string page = installed(folder, "share/man/man1/mordavelle.1.gz");
    for (const char letter : mordavelle::command_letters() + "HQ")
        EXPECT_NE(page.find(std::string{"\n.TP\n.B "} + letter + "\n"), std::string::npos) << letter;
    for (const std::string name : {"stem _a.txt", "stem DEPT.txt", "stem EPX.txt", "one _ two .txt", "stem _low.txt",
                                   "stem _N.txt", "Reminders.txt", "cleanfile.txt"})
        EXPECT_NE(page.find(name), std::string::npos) << name;
}

}  // namespace
