#include "e2e.h"
#include "shell/list_file.h"

#include <gtest/gtest.h>

namespace {

using Views = std::vector<std::string_view>;

TEST(SplitEntries, SeparatesOnEveryWhiteSpaceByteInAnyMix)
{
    EXPECT_EQ(shell::split_entries(" a\tb\n\nc\x0b" "d\x0c" "e\r\nf  "), (Views{"a", "b", "c", "d", "e", "f"}));
}

TEST(SplitEntries, KeepsTheLastEntryWithoutALineEnd)
{
    EXPECT_EQ(shell::split_entries("one\ntwo"), (Views{"one", "two"}));
}

TEST(SplitEntries, EmptyAndBlankTextsHoldNoEntries)
{
    EXPECT_TRUE(shell::split_entries("").empty());
    EXPECT_TRUE(shell::split_entries(" \t\r\n\x0b\x0c").empty());
}

TEST(SplitEntries, NulAndHighBytesAreOrdinaryEntryBytes)
{
    const std::string text("a\0b \x80\xff\xa0 \x1f\x7f", 10);
    EXPECT_EQ(shell::split_entries(text), (Views{std::string_view("a\0b", 3), "\x80\xff\xa0", "\x1f\x7f"}));
}

TEST(SplitEntries, KeepsDuplicatesInOrder)
{
    EXPECT_EQ(shell::split_entries("b a b"), (Views{"b", "a", "b"}));
}

TEST(ReadFile, ReturnsTheBytesExactly)
{
    e2e::Folder folder;
    const std::string bytes("x\0y\r\n\x1a z", 8);
    folder.write("raw.txt", bytes);
    EXPECT_EQ(shell::read_file((folder.path() / "raw.txt").string()), bytes);
}

TEST(ReadFile, ReadsALargeFileWhole)
{
    e2e::Folder folder;
    std::string big(3 << 20, 'a');
    big[123456] = '\n';
    folder.write("big.txt", big);
    EXPECT_EQ(shell::read_file((folder.path() / "big.txt").string()), big);
}

TEST(ReadFile, MissingFileAndDirectoryCannotBeRead)
{
    e2e::Folder folder;
    folder.shell("mkdir dir.txt");
    EXPECT_EQ(shell::read_file((folder.path() / "none.txt").string()), std::nullopt);
    EXPECT_EQ(shell::read_file((folder.path() / "dir.txt").string()), std::nullopt);
}

TEST(WriteEntries, WritesOneEntryPerLineTheLastOneIncluded)
{
    e2e::Folder folder;
    const auto name = (folder.path() / "out.txt").string();
    ASSERT_TRUE(shell::write_entries(name, Views{"b", "a", "b"}));
    EXPECT_EQ(folder.files().at("out.txt"), "b\na\nb\n");
}

TEST(WriteEntries, NoEntriesGiveAnEmptyFileAndTruncateAnOldOne)
{
    e2e::Folder folder;
    folder.write("out.txt", "old contents\n");
    ASSERT_TRUE(shell::write_entries((folder.path() / "out.txt").string(), Views{}));
    EXPECT_EQ(folder.files().at("out.txt"), "");
}

TEST(WriteEntries, EntriesLargerThanTheBufferArriveWhole)
{
    e2e::Folder folder;
    const std::string huge(5 << 20, 'h');
    ASSERT_TRUE(shell::write_entries((folder.path() / "out.txt").string(), Views{"a", huge, "z"}));
    EXPECT_EQ(folder.files().at("out.txt"), "a\n" + huge + "\nz\n");
}

TEST(WriteEntries, FullDiskIsAFailure)
{
    e2e::Folder folder;
    folder.shell("ln -s /dev/full full.txt");
    EXPECT_FALSE(shell::write_entries((folder.path() / "full.txt").string(), Views{"a"}));
}

TEST(WriteEntries, DirectoryInTheWayIsAFailure)
{
    e2e::Folder folder;
    folder.shell("mkdir out.txt");
    EXPECT_FALSE(shell::write_entries((folder.path() / "out.txt").string(), Views{"a"}));
}

TEST(OutputFile, OpenNewNeverReplacesAnExistingFile)
{
    e2e::Folder folder;
    folder.write("taken.txt", "mine");
    shell::OutputFile out;
    EXPECT_FALSE(out.open_new((folder.path() / "taken.txt").string()));
    EXPECT_EQ(folder.files().at("taken.txt"), "mine");
}

}  // namespace
