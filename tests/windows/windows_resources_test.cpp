// The Windows program's resources as Windows and the build tools read them
// back: the version information that Explorer shows, the icon and the manifest.
#include "e2e.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

const std::string kVersion = MORDAVELLE_VERSION;

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

// The helper's "name=value" lines, read under Wine from a copy of the program.
std::map<std::string, std::string> probe()
{
    e2e::Folder folder;
    folder.shell("cp " + quoted(MORDAVELLE_EXE) + " mordavelle.exe");
    const auto result =
        folder.run_shell("", quoted(MORDAVELLE_UNDER_WINE) + " " + quoted(MORDAVELLE_RESOURCE_PROBE) + " mordavelle.exe");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.events.empty()) << result.events.front();
    std::map<std::string, std::string> values;
    std::istringstream lines{result.out};
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

TEST(WindowsVersionInformation, NamesTheProgramAndTheProjectsVersion)
{
    const auto info = probe();
    EXPECT_EQ(info.at("Fixed"), kVersion + ".0");
    EXPECT_EQ(info.at("FileVersion"), kVersion);
    EXPECT_EQ(info.at("ProductVersion"), kVersion);
    EXPECT_EQ(info.at("ProductName"), "Mordavelle");
    EXPECT_EQ(info.at("FileDescription"), "E-mail-list handler");
    EXPECT_EQ(info.at("OriginalFilename"), "mordavelle.exe");
    EXPECT_EQ(info.at("CompanyName"), "The Mordavelle developers");
    EXPECT_EQ(info.at("LegalCopyright").rfind("Copyright (C) ", 0), 0U) << info.at("LegalCopyright");
}

TEST(WindowsIcon, HoldsSixteenToTwoHundredFiftySixPixels)
{
    EXPECT_EQ(probe().at("IconSizes"), "16,32,48,256");
}

TEST(WindowsManifest, AsksForCurrentControlsLongPathsAndNoElevationOnWindowsSevenToEleven)
{
    const std::string manifest = probe().at("Manifest");
    for (const std::string expected : {
             "version=\"" + kVersion + ".0\"",
             std::string{"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""},
             std::string{"<requestedExecutionLevel level=\"asInvoker\""},
             std::string{">true</longPathAware>"},
             std::string{"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},  // Windows 7
             std::string{"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},  // Windows 8
             std::string{"{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},  // Windows 8.1
             std::string{"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},  // Windows 10 and 11
         }) {
        EXPECT_NE(manifest.find(expected), std::string::npos) << expected << "\n" << manifest;
    }
}

TEST(WindowsResourceSection, ReadBackByWindresHoldsTheVersion)
{
    e2e::Folder folder;
    const auto result = folder.run_shell("", quoted(MORDAVELLE_WINDRES) + " -i " + quoted(MORDAVELLE_EXE) + " -O rc");
    EXPECT_EQ(result.status, 0);
    std::string commas = kVersion + ".0";
    for (std::size_t dot = commas.find('.'); dot != std::string::npos; dot = commas.find('.', dot))
        commas.replace(dot, 1, ", ");
    EXPECT_NE(result.out.find(" FILEVERSION " + commas + "\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("VALUE \"ProductVersion\", \"" + kVersion + "\""), std::string::npos) << result.out;
}

}  // namespace
