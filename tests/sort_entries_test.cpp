// The sort straight from a list text, by each key (A's and N's whole entries,
// D's departments), against a plain stable sort, over texts that hold every
// separator and runs of one byte.
#include "sorted_by.h"
#include "entries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Views = std::vector<std::string_view>;

// The entries of the text in the order a plain stable sort by key gives them.
Views stable_sorted(std::string_view text, mordavelle::SortKey key)
{
    Views entries = mordavelle::split_entries(text);
    const auto key_of = [key](std::string_view entry) {
        return key == mordavelle::SortKey::department ? mordavelle::department_key(entry) : entry;
    };
    std::stable_sort(entries.begin(), entries.end(),
                     [&key_of](std::string_view a, std::string_view b) { return key_of(a) < key_of(b); });
    return entries;
}

TEST(SortedEntries, AgreeWithAStableSortOnRandomTextsByEveryKey)
{
    std::mt19937 random(777);
    const std::string alphabet("\0\x01@a.b \n\t\r\v\f\x7f\x80\xff", 15);
    for (const std::size_t size : {0U, 1U, 40U, 3000U, 200000U}) {
        std::string text;
        for (std::size_t i = 0; i < size; ++i) {
            const bool run = random() % 4 == 0;
            text += run ? std::string(random() % 30, 'q') : alphabet.substr(random() % alphabet.size(), 1);
        }
        for (const auto key : {mordavelle::SortKey::whole_entry, mordavelle::SortKey::department}) {
            const Views expected = stable_sorted(text, key);
            const Views sorted = sorted_by(text, key);
            ASSERT_EQ(sorted.size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i) {
                ASSERT_EQ(sorted[i].data(), expected[i].data()) << size << " " << static_cast<int>(key) << " " << i;
                ASSERT_EQ(sorted[i].size(), expected[i].size());
            }
        }
    }
}

// More than 16,384 keys under one first byte, which the sort first splits on
// the most significant byte where they differ before it sorts each part in
// the cache: a part whose keys agree in every byte a record carries, a part
// that splits again, a part of one entry, and keys of every length around the
// bytes a record carries, many of them equal.
TEST(SortedEntries, AgreeWithAStableSortWhenManyKeysShareTheirFirstByte)
{
    std::mt19937 random(4242);
    const std::string long_a = "q" + std::string(25, 'a');
    const std::string long_b = "q" + std::string(22, 'b');
    const std::string_view heads[] = {"q", long_a, long_a, long_a, long_a, "qb", "qb", long_b, long_b, "qc"};
    const auto tail = [&random](std::size_t most) {
        std::string bytes(random() % (most + 1), 'x');
        for (char& byte : bytes)
            byte = "01@z\x80"[random() % 5];
        return bytes;
    };
    std::string text = "qy ";
    for (std::size_t i = 0; i < 90000; ++i) {
        const std::size_t head = random() % (std::size(heads) + 3);
        if (head < std::size(heads)) {
            text += heads[head];
            text += tail(random() % 4 == 0 ? 30 : 3);
        } else {
            text += "qz";
            text += tail(2);
            text += "@q";
            text += tail(head % 2 == 0 ? 0 : 25);
        }
        if (random() % 5 == 0) {
            text += "@qa@";
            text += tail(3);
        }
        text += random() % 5 == 0 ? " " : "\n";
    }
    for (const auto key : {mordavelle::SortKey::whole_entry, mordavelle::SortKey::department}) {
        const Views expected = stable_sorted(text, key);
        const Views sorted = sorted_by(text, key);
        ASSERT_EQ(sorted.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(sorted[i].data(), expected[i].data()) << static_cast<int>(key) << " " << i;
            ASSERT_EQ(sorted[i].size(), expected[i].size());
        }
    }
}

TEST(SortedEntries, AnEmptyKeyComesBeforeAKeyOfNul)
{
    const std::string_view text("z@a y@\0 x@", 10);
    EXPECT_EQ(sorted_by(text, mordavelle::SortKey::department), (Views{"x@", std::string_view("y@\0", 3), "z@a"}));
}

}  // namespace
