// Raw bytes and garbage: every byte but the six white-space bytes is an
// ordinary entry byte, through the file routines and through the whole menu.
#include "e2e.h"
#include "entries.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using e2e::lines;
using e2e::menu;

// Entries holding NUL, high bytes, CR LF, lone CR, vertical tab and form feed
// as separators, with a NUL-bearing entry across each 64 KiB boundary.
std::string raw_list(std::vector<std::string>& entries)
{
    std::string text;
    const char* separators[] = {"\r\n", "\r", "\x0b", "\x0c", " \t", "\n"};
    for (std::size_t i = 0; text.size() < 3 * 65536; ++i) {
        std::string entry = std::to_string(i);
        entry += '\0';
        entry += "\x80\xff";
        entry.append(i % 50, static_cast<char>(0xC3));
        entries.push_back(entry);
        text += entry;
        text += separators[i % 6];
    }
    entries.push_back(std::string("last\0", 5));
    text += entries.back();  // no line end after the last entry
    return text;
}

std::string one_per_line(const std::vector<std::string>& entries)
{
    std::string text;
    for (const auto& entry : entries)
        text.append(entry).append("\n");
    return text;
}

TEST(RawBytes, FileRoutinesKeepEveryEntryByteExact)
{
    std::vector<std::string> entries;
    const std::string text = raw_list(entries);
    const auto split = mordavelle::split_entries(text);
    ASSERT_EQ(split.size(), entries.size());
    EXPECT_TRUE(std::equal(split.begin(), split.end(), entries.begin()));
}

TEST(RawBytes, CountSortAndLowerKeepEntriesByteExactThroughTheMenu)
{
    std::vector<std::string> entries;
    e2e::Folder folder;
    folder.write("raw.txt", raw_list(entries));
    const auto result = folder.run("c raw a raw l raw q");
    EXPECT_NE(result.out.find("The list  raw.txt contains " + std::to_string(entries.size()) + " strings."),
              std::string::npos);
    EXPECT_EQ(result.status, 0);
    const auto files = folder.files();
    EXPECT_TRUE(e2e::same_text(files.at("raw_low.txt"), one_per_line(entries)));  // nothing here is a capital letter
    auto sorted = entries;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_TRUE(e2e::same_text(files.at("raw_a.txt"), one_per_line(sorted)));
}

TEST(MenuGarbage, ThousandUnknownWordsEachGetTheOptionsLine)
{
    e2e::Folder folder;
    std::string typed;
    std::string expected = menu();
    for (int i = 0; i < 1000; ++i) {
        typed += (i % 3 == 0 ? "word" : i % 3 == 1 ? "\x01\x7f" : "1234567890") + std::to_string(i) + "\n\n";
        expected += lines({" You only have options L, S, J, C, A, D, E, H, N, Q...", ""}) + menu();
    }
    typed += std::string(100000, 'z') + "\nq\n";
    expected += lines({" You only have options L, S, J, C, A, D, E, H, N, Q...", ""}) + menu();
    const auto result = folder.run(typed);
    EXPECT_TRUE(e2e::same_text(result.out, expected));
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.events.empty());
}

}  // namespace
