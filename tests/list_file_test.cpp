#include "e2e.h"
#include "platform/files.h"
#include "entries.h"
#include "list_file.h"
#include "result_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using Views = std::vector<std::string_view>;

TEST(ReadFile, ReturnsTheBytesExactly)
{
    e2e::Folder folder;
    const std::string bytes("x\0y\r\n\x1a z", 8);
    folder.write("raw.txt", bytes);
    EXPECT_EQ(mordavelle::read_file((folder.path() / "raw.txt").string()), bytes);
}

TEST(ReadFile, ReadsALargeFileWhole)
{
    e2e::Folder folder;
    std::string big(3 << 20, 'a');
    big[123456] = '\n';
    folder.write("big.txt", big);
    EXPECT_EQ(mordavelle::read_file((folder.path() / "big.txt").string()), big);
}

TEST(ReadFile, MissingFileAndDirectoryCannotBeRead)
{
    e2e::Folder folder;
    folder.shell("mkdir dir.txt");
    EXPECT_EQ(mordavelle::read_file((folder.path() / "none.txt").string()), std::nullopt);
    EXPECT_EQ(mordavelle::read_file((folder.path() / "dir.txt").string()), std::nullopt);
}

// A file's text read in pieces; all but the last of them end at a separator.
std::string read_in_pieces(const std::string& name)
{
    mordavelle::PieceReader reader(name, {});
    std::string text;
    for (auto piece = reader.next(); !piece.empty(); piece = reader.next()) {
        EXPECT_TRUE(text.empty() || mordavelle::is_separator(static_cast<unsigned char>(text.back())))
            << "a piece ended inside an entry at " << text.size();
        text.append(piece.data(), piece.size());
    }
    return text;
}

TEST(PieceReader, PiecesEndBetweenEntriesAndMakeUpTheWholeText)
{
    e2e::Folder folder;
    std::string list;
    for (int i = 0; list.size() < (3 << 20); ++i)
        list += i % 1000 == 999 ? std::string(300'000, 'x') + "\n" : "anna" + std::to_string(i) + "@hr.se\n";
    list += "last";
    folder.write("list.txt", "\xEF\xBB\xBF" + list);
    EXPECT_EQ(read_in_pieces((folder.path() / "list.txt").string()), "   " + list);
}

TEST(PieceReader, MarkCutByTheEndOfAReadStillPartsEntries)
{
    // The first read takes 256 KiB; the mark begins in its last byte or two.
    for (const std::size_t before : {(std::size_t{1} << 18) - 1, (std::size_t{1} << 18) - 2}) {
        e2e::Folder folder;
        const std::string start = std::string(before - 5, 'a') + "\n";
        folder.write("list.txt", start + "anna\xEF\xBB\xBF" "bo\n");
        EXPECT_EQ(read_in_pieces((folder.path() / "list.txt").string()), start + "anna   bo\n") << before;
    }
}

TEST(PieceReader, Utf16TextThatOutgrowsItsBytesComesWholeInPieces)
{
    // Every U+20AC of two bytes becomes three bytes of UTF-8.
    e2e::Folder folder;
    std::string file = "\xFF\xFE";
    std::string list;
    for (int i = 0; i < 400'000; ++i) {
        file += i % 8 == 7 ? std::string("\n\0", 2) : std::string("\xAC\x20", 2);
        list += i % 8 == 7 ? "\n" : "\xE2\x82\xAC";
    }
    folder.write("list.txt", file + "x");
    EXPECT_EQ(read_in_pieces((folder.path() / "list.txt").string()), list + "\xEF\xBF\xBD");
}

// Writes one entry a line as the commands do; false when the result failed.
bool write_entries(const std::string& name, const Views& entries)
{
    mordavelle::ResultFile out;
    if (out.open(name, {}, mordavelle::InputsRead::whole)) {
        for (const std::string_view entry : entries)
            out.write_line(entry);
    }
    return out.close();
}

TEST(ResultFile, WritesOneEntryPerLineTheLastOneIncluded)
{
    e2e::Folder folder;
    const auto name = (folder.path() / "out.txt").string();
    ASSERT_TRUE(write_entries(name, Views{"b", "a", "b"}));
    EXPECT_EQ(folder.files().at("out.txt"), "b\na\nb\n");
}

TEST(ResultFile, NoEntriesGiveAnEmptyFileAndTruncateAnOldOne)
{
    e2e::Folder folder;
    folder.write("out.txt", "old contents\n");
    ASSERT_TRUE(write_entries((folder.path() / "out.txt").string(), Views{}));
    EXPECT_EQ(folder.files().at("out.txt"), "");
}

TEST(ResultFile, EntriesLargerThanTheBufferArriveWhole)
{
    e2e::Folder folder;
    const std::string huge(5 << 20, 'h');
    ASSERT_TRUE(write_entries((folder.path() / "out.txt").string(), Views{"a", huge, "z"}));
    EXPECT_EQ(folder.files().at("out.txt"), "a\n" + huge + "\nz\n");
}

TEST(ResultFile, FullDiskIsAFailure)
{
    e2e::Folder folder;
    folder.shell("ln -s /dev/full full.txt");
    EXPECT_FALSE(write_entries((folder.path() / "full.txt").string(), Views{"a"}));
}

TEST(ResultFile, DirectoryInTheWayIsAFailure)
{
    e2e::Folder folder;
    folder.shell("mkdir out.txt");
    EXPECT_FALSE(write_entries((folder.path() / "out.txt").string(), Views{"a"}));
}

TEST(ResultFile, OwnFileTakesTheFirstFreeNameAndNeverReplacesAFile)
{
    e2e::Folder folder;
    folder.write("own.txt", "mine");
    mordavelle::ResultFile out;
    EXPECT_EQ(out.open_first_free((folder.path() / "own").string(), ".txt"), (folder.path() / "own1.txt").string());
    EXPECT_EQ(folder.files().at("own.txt"), "mine");
}

TEST(ResultFile, OwnFileIsRemovedWithTheObject)
{
    e2e::Folder folder;
    {
        mordavelle::ResultFile out;
        ASSERT_FALSE(out.open_first_free((folder.path() / "own").string(), ".txt").empty());
        out.write_line("x");
        ASSERT_TRUE(out.close());
        EXPECT_EQ(folder.files().at("own.txt"), "x\n");
    }
    EXPECT_TRUE(folder.files().empty());
}

// A result replaces an earlier file whole or not at all.

TEST(ResultFile, IsWrittenBesideAndTakesItsPlaceOnlyWhenClosed)
{
    e2e::Folder folder;
    folder.write("out.txt", "earlier\n");
    mordavelle::ResultFile out;
    ASSERT_TRUE(out.open((folder.path() / "out.txt").string(), {}, mordavelle::InputsRead::whole));
    out.write_line("new");
    EXPECT_EQ(folder.files(), (e2e::Files{{"out.txt", "earlier\n"}, {"mordavelle.partial", ""}}));
    ASSERT_TRUE(out.close());
    EXPECT_EQ(folder.files(), (e2e::Files{{"out.txt", "new\n"}}));
}

TEST(ResultFile, UnfinishedResultLeavesTheEarlierOneAndNothingElse)
{
    e2e::Folder folder;
    folder.write("out.txt", "earlier\n");
    {
        mordavelle::ResultFile out;
        ASSERT_TRUE(out.open((folder.path() / "out.txt").string(), {}, mordavelle::InputsRead::whole));
        out.write_line(std::string(1 << 20, 'n'));
    }
    EXPECT_EQ(folder.files(), (e2e::Files{{"out.txt", "earlier\n"}}));
}

TEST(ResultFile, KeepsThePermissionBitsOfTheEarlierFile)
{
    e2e::Folder folder;
    folder.write("out.txt", "earlier\n");
    const auto name = folder.path() / "out.txt";
    std::filesystem::permissions(name, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read | std::filesystem::perms::others_exec);
    const auto earlier = std::filesystem::status(name).permissions();
    ASSERT_TRUE(write_entries(name.string(), Views{"a"}));
    EXPECT_EQ(std::filesystem::status(name).permissions(), earlier);
}

TEST(ResultFile, ThroughALinkReplacesTheLinkedFileBesideItAndKeepsTheLink)
{
    e2e::Folder folder;
    folder.shell("mkdir lists && echo earlier > lists/real.txt && ln -s lists/real.txt out.txt");
    ASSERT_TRUE(write_entries((folder.path() / "out.txt").string(), Views{"a"}));
    EXPECT_EQ(folder.files(), (e2e::Files{{"lists", "<not a regular file>"}, {"out.txt", "<link to lists/real.txt>"}}));
    EXPECT_EQ(std::filesystem::read_symlink(folder.path() / "out.txt"), "lists/real.txt");
    EXPECT_EQ(mordavelle::read_file((folder.path() / "out.txt").string()), "a\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path() / "lists"), {}), 1);
}

TEST(ResultFile, NameThatIsNoRegularFileIsWrittenInPlace)
{
    e2e::Folder folder;
    folder.shell("ln -s /dev/null null.txt");
    ASSERT_TRUE(write_entries((folder.path() / "null.txt").string(), Views{"a"}));
    EXPECT_EQ(folder.files(), (e2e::Files{{"null.txt", "<link to /dev/null>"}}));
}

TEST(ResultFile, PassesOverAPartialNameThatAnotherRunHolds)
{
    e2e::Folder folder;
    mordavelle::ResultFile held;
    ASSERT_FALSE(held.open_first_free((folder.path() / "mordavelle").string(), ".partial").empty());
    ASSERT_TRUE(write_entries((folder.path() / "out.txt").string(), Views{"a"}));
    EXPECT_EQ(folder.files(), (e2e::Files{{"mordavelle.partial", ""}, {"out.txt", "a\n"}}));
}

TEST(ResultFile, ReadOnlyEarlierFileIsNotReplaced)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser may write to any file";
    e2e::Folder folder;
    folder.write("out.txt", "earlier\n");
    folder.shell("chmod a-w out.txt");
    EXPECT_FALSE(write_entries((folder.path() / "out.txt").string(), Views{"a"}));
    EXPECT_EQ(folder.files(), (e2e::Files{{"out.txt", "earlier\n"}}));
}

TEST(FileNames, NameWithANulByteNamesNoFile)
{
    e2e::Folder folder;
    folder.write("notes", "the user's own\n");
    const std::string name = (folder.path() / "notes").string() + std::string(1, '\0') + ".txt";
    EXPECT_EQ(mordavelle::read_file(name), std::nullopt);
    EXPECT_THROW(mordavelle::PieceReader(name, {}), mordavelle::Failure);
    mordavelle::ResultFile out;
    EXPECT_FALSE(out.open(name, {}, mordavelle::InputsRead::whole));
    EXPECT_EQ(out.open_first_free(name, ".txt"), "");
    EXPECT_EQ(folder.files(), (e2e::Files{{"notes", "the user's own\n"}}));
}

}  // namespace
