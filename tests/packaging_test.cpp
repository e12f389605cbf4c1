// The packages as users get them: the zip for Windows with the program and a
// README in Windows line ends, the .deb and .tar.gz for Linux, and the manual
// page as man shows it. Each is made here from this build, in a scratch folder.
#include "e2e.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The version CMake wrote into the build folder, without its line end.
std::string version()
{
    std::string text = e2e::read_file(MORDAVELLE_BUILD_DIR "/version.txt");
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

bool installed(const std::string& tool)
{
    return std::system(("command -v " + tool + " > /dev/null").c_str()) == 0;
}

// The standard output of a shell command run in the folder.
std::string output_of(const e2e::Folder& folder, const std::string& command)
{
    return folder.run_shell("", "sh -c '" + command + "'").out;
}

class WindowsZip : public testing::Test {
protected:
    void SetUp() override
    {
        if (!installed("unzip"))
            GTEST_SKIP() << "unzip is not installed";
        // The zip is made from any file in the program's place: it is copied in as it is.
        folder.shell("'" CMAKE_COMMAND "' -DPROGRAM=" + e2e::kShippedProgram +
                     " -DREADME=" MORDAVELLE_SOURCE_DIR "/dist/README-Windows.txt -DVERSION=" + version() +
                     " -DARCH=x64 -DOUT=dist -P " MORDAVELLE_SOURCE_DIR "/cmake/windows-zip.cmake > zip.log");
    }

    const std::string zip = "dist/mordavelle-" + version() + "-windows-x64.zip";
    e2e::Folder folder;
};

TEST_F(WindowsZip, HoldsTheProgramAndTheReadmeAtItsTop)
{
    EXPECT_EQ(output_of(folder, "unzip -Z1 " + zip + " | sort"), "README.txt\nmordavelle.exe\n");
}

TEST_F(WindowsZip, ChecksumsBesideItHold)
{
    folder.shell("cd dist && sha256sum -c --quiet SHA256SUMS");
}

// Its byte-order mark lets every Notepad, also those before Windows 10, read it as UTF-8.
TEST_F(WindowsZip, ReadmeBeginsWithAMarkAndExtractingAndEndsEveryLineInCrLf)
{
    const std::string readme = output_of(folder, "unzip -p " + zip + " README.txt");
    EXPECT_TRUE(readme.starts_with("\xEF\xBB\xBF" "Extract this zip into the folder where your lists are")) << readme;
    EXPECT_TRUE(readme.ends_with("\r\n"));
    for (std::size_t end = readme.find('\n'); end != std::string::npos; end = readme.find('\n', end + 1))
        EXPECT_EQ(readme[end - 1], '\r') << "line end at byte " << end;
}

// One .deb for the suite, made by CPack from this build under a umask that
// would leave folders group-writable, and unpacked into a scratch root.
class DebianPackage : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!installed("dpkg-deb") || !installed("dpkg-shlibdeps"))
            return;
        packages = new e2e::Folder;
        packages->shell("umask 002 && cd '" MORDAVELLE_BUILD_DIR "' && cpack -B \"$OLDPWD/out\" > \"$OLDPWD/cpack.log\" && cd - "
                        "> /dev/null && mkdir root && dpkg -x out/mordavelle_" + version() +
                        "_$(dpkg --print-architecture).deb root");
    }

    static void TearDownTestSuite()
    {
        delete packages;
        packages = nullptr;
    }

    void SetUp() override
    {
        if (packages == nullptr)
            GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps (Debian package dpkg-dev) is not installed";
    }

    static inline e2e::Folder* packages = nullptr;
};

TEST_F(DebianPackage, DependsOnTheCLibraryAndComesWithATarball)
{
    EXPECT_NE(output_of(*packages, "dpkg-deb -f out/*.deb Depends").find("libc6"), std::string::npos);
    EXPECT_EQ(output_of(*packages, "ls out/*.tar.gz"), "out/mordavelle-" + version() + "-linux-" +
                                                           output_of(*packages, "uname -m | tr -d \"\\n\"") +
                                                           ".tar.gz\n");
}

TEST_F(DebianPackage, InstalledProgramShowsTheMenuAndQuits)
{
    const auto result = packages->run("q\n", (packages->path() / "root/usr/bin/mordavelle").string());
    EXPECT_EQ(result.out, e2e::menu());
    EXPECT_EQ(result.status, 0);
}

// Its copyright, changelog, manual page, Maintainer, permissions and stripping as Debian asks.
TEST_F(DebianPackage, LintianFindsNoErrorAndNoWarning)
{
    if (!installed("lintian"))
        GTEST_SKIP() << "lintian is not installed";
    const auto result = packages->run_shell("", "lintian --fail-on error,warning out/*.deb");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.status, 0);
}

TEST(ManualPage, ManShowsItsNameAndVersion)
{
    if (!installed("man"))
        GTEST_SKIP() << "man is not installed";
    e2e::Folder folder;
    const std::string page = output_of(folder, "MANWIDTH=80 man -l " MORDAVELLE_BUILD_DIR "/mordavelle.1 2>&1");
    EXPECT_TRUE(page.starts_with("MORDAVELLE(1)")) << page;
    EXPECT_NE(page.find("\nNAME\n       mordavelle"), std::string::npos) << page;
    EXPECT_NE(page.find("Mordavelle " + version()), std::string::npos) << page;
}

}  // namespace
