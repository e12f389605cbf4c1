// Installing on POSIX systems: `cmake --install` into a scratch prefix gives a
// program that runs, its manual page and the README, and the manual page
// renders without a warning and tells of every menu letter and its files.
#include "e2e.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const std::string kVersion = MORDAVELLE_VERSION;

// Installs the build into the folder's "prefix" and gives back that path.
std::filesystem::path install(const e2e::Folder& folder)
{
    folder.shell("'" CMAKE_COMMAND "' --install '" MORDAVELLE_BUILD_DIR "' --prefix prefix > install.log");
    return folder.path() / "prefix";
}

// The installed manual page's source.
std::string installed_manual_page(const e2e::Folder& folder)
{
    std::ifstream in(install(folder) / "share/man/man1/mordavelle.1");
    std::ostringstream page;
    page << in.rdbuf();
    return page.str();
}

TEST(Install, PutsProgramManualPageAndReadmeUnderThePrefix)
{
    e2e::Folder folder;
    const auto prefix = install(folder);
    EXPECT_TRUE(std::filesystem::is_regular_file(prefix / "bin/mordavelle"));
    EXPECT_TRUE(std::filesystem::is_regular_file(prefix / "share/man/man1/mordavelle.1"));
    EXPECT_TRUE(std::filesystem::is_regular_file(prefix / "share/doc/mordavelle/README.md"));
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
    const auto result = folder.run_shell("", "groff -man -z -ww prefix/share/man/man1/mordavelle.1");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.events.empty()) << result.events.front();
}

TEST(ManualPage, HasTheSectionsAndTheVersion)
{
    e2e::Folder folder;
    const std::string page = installed_manual_page(folder);
    for (const std::string section :
         {"NAME", "SYNOPSIS", "DESCRIPTION", "FILES", "EXIT STATUS", "ENVIRONMENT", "EXAMPLES", "SEE ALSO"})
        EXPECT_NE(page.find("\n.SH " + section + "\n"), std::string::npos) << section;
    EXPECT_NE(page.find("\n.TH MORDAVELLE 1 "), std::string::npos);
    EXPECT_NE(page.find("\"Mordavelle " + kVersion + "\""), std::string::npos);
}

TEST(ManualPage, TellsOfEveryMenuLetterAndTheNamesItReadsAndWrites)
{
    e2e::Folder folder;
    const std::string page = installed_manual_page(folder);
    for (const std::string letter : {"A", "C", "D", "E", "J", "L", "N", "S", "H", "Q"})
        EXPECT_NE(page.find("\n.TP\n.B " + letter + "\n"), std::string::npos) << letter;
    for (const std::string name : {"stem _a.txt", "stem DEPT.txt", "stem EPX.txt", "one _ two .txt", "stem _low.txt",
                                   "stem _N.txt", "Reminders.txt", "cleanfile.txt"})
        EXPECT_NE(page.find(name), std::string::npos) << name;
}

}  // namespace
