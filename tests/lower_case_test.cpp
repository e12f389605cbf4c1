#include "e2e.h"

#include <gtest/gtest.h>

namespace {

// The list passes through a buffer of a quarter megabyte: entries that straddle
// its ends, and an entry larger than it, come out whole.
TEST(LowerCaseLargeList, EntriesAcrossAndBeyondTheBufferComeOutWhole)
{
    e2e::Folder folder;
    std::string list;
    std::string expected;
    for (int i = 0; list.size() < 700000; ++i) {
        const std::string number = std::to_string(i * 7919);
        list.append("Entry").append(number).append("@X.SE").append(i % 3 == 0 ? " \t" : "\r\n");
        expected.append("entry").append(number).append("@x.se\n");
    }
    const std::string huge(600000, 'Q');
    list += huge;
    expected += std::string(600000, 'q') + "\n";
    folder.write("big.txt", list);
    const auto result = folder.run("l big q\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(e2e::same_text(folder.files().at("big_low.txt"), expected));
}

}  // namespace
