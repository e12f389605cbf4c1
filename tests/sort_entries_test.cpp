// The sort straight from a list text, in both orders, over texts that hold
// every separator and runs of one byte; and the key sorter that name
// extraction uses, with the one limit of the sort.
#include "lists/sort_entries.h"
#include "shell/entries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Views = std::vector<std::string_view>;

// The entries of the text in the order a plain stable sort gives them.
Views stable_sorted(std::string_view text, lists::SortOrder order)
{
    Views entries = shell::split_entries(text);
    if (order == lists::SortOrder::bytes) {
        std::stable_sort(entries.begin(), entries.end());
    } else {
        std::stable_sort(entries.begin(), entries.end(), [](std::string_view a, std::string_view b) {
            return lists::department_key(a) < lists::department_key(b);
        });
    }
    return entries;
}

TEST(SortedText, AgreesWithAStableSortOnRandomTextsInBothOrders)
{
    std::mt19937 random(777);
    const std::string alphabet("\0\x01@a.b \n\t\r\v\f\x7f\x80\xff", 15);
    for (const std::size_t size : {0U, 1U, 40U, 3000U, 200000U}) {
        std::string text;
        for (std::size_t i = 0; i < size; ++i)
            text += random() % 4 == 0 ? std::string(random() % 30, 'q') : alphabet.substr(random() % alphabet.size(), 1);
        for (const auto order : {lists::SortOrder::bytes, lists::SortOrder::department}) {
            const Views expected = stable_sorted(text, order);
            const lists::SortedText sorted(text, order);
            ASSERT_EQ(sorted.size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i) {
                ASSERT_EQ(sorted[i].data(), expected[i].data()) << size << " " << static_cast<int>(order) << " " << i;
                ASSERT_EQ(sorted[i].size(), expected[i].size());
            }
        }
    }
}

// How many of the keys begin with each byte, as a KeySorter is told.
std::array<std::size_t, 256> first_bytes_of(const Views& keys)
{
    std::array<std::size_t, 256> counts{};
    for (const std::string_view key : keys)
        ++counts[key.empty() ? 0 : static_cast<unsigned char>(key[0])];
    return counts;
}

// The keys in the sorter's order, each with its tie.
std::vector<std::pair<std::string_view, std::size_t>> sorted_keys(lists::KeySorter& sorter)
{
    std::vector<std::pair<std::string_view, std::size_t>> keys;
    sorter.sort().for_each([&keys](std::string_view key, std::size_t tie) { keys.emplace_back(key, tie); });
    return keys;
}

TEST(KeySorter, OrdersEqualKeysByTieAndEqualTiesInTheOrderTheyCame)
{
    const std::string_view text = "b a b a ab";
    const Views keys = shell::split_entries(text);
    const std::size_t ties[] = {2, 5, 1, 5, 0};
    lists::KeySorter sorter(first_bytes_of(keys));
    for (std::size_t i = 0; i < keys.size(); ++i)
        sorter.add(keys[i], ties[i]);
    const auto sorted = sorted_keys(sorter);
    ASSERT_EQ(sorted.size(), 5U);
    EXPECT_EQ(sorted[0].first.data(), text.data() + 2);
    EXPECT_EQ(sorted[1].first.data(), text.data() + 6);
    EXPECT_EQ(sorted[2], (std::pair<std::string_view, std::size_t>{"ab", 0}));
    EXPECT_EQ(sorted[3], (std::pair<std::string_view, std::size_t>{"b", 1}));
    EXPECT_EQ(sorted[4], (std::pair<std::string_view, std::size_t>{"b", 2}));
}

TEST(KeySorter, SortedKeysKeepTheirOrderWhenMoved)
{
    const Views keys = {"b", "a"};
    lists::KeySorter sorter(first_bytes_of(keys));
    for (const std::string_view key : keys)
        sorter.add(key, 0);
    lists::SortedKeys sorted = sorter.sort();
    lists::SortedKeys moved(std::move(sorted));
    lists::SortedKeys taken;
    taken = std::move(moved);
    Views order;
    taken.for_each([&order](std::string_view key, std::size_t) { order.push_back(key); });
    EXPECT_EQ(order, (Views{"a", "b"}));
}

TEST(KeySorter, AnEmptyKeyComesFirstAndIsCountedWithNul)
{
    const Views keys = {"a", std::string_view("\0", 1), ""};
    lists::KeySorter sorter(first_bytes_of(keys));
    for (const std::string_view key : keys)
        sorter.add(key, 0);
    const auto sorted = sorted_keys(sorter);
    ASSERT_EQ(sorted.size(), 3U);
    EXPECT_EQ(sorted[0].first, "");
    EXPECT_EQ(sorted[1].first, std::string_view("\0", 1));
    EXPECT_EQ(sorted[2].first, "a");
}

// A record keeps a key's size and its tie in 32 bits. The views below claim
// gibibytes over a few real bytes: the sorter judges a key by its size, and
// reads no more of it than the 21 bytes a record carries.
constexpr std::size_t kFourGibibytes = std::size_t{1} << 32;

TEST(KeySorter, TakesAKeyOneByteShortOfFourGibibytes)
{
    const std::string bytes(32, 'k');
    const std::string_view key(bytes.data(), kFourGibibytes - 1);
    lists::KeySorter sorter(first_bytes_of({key.substr(0, 1)}));
    sorter.add(key, kFourGibibytes - 1);
    const auto sorted = sorted_keys(sorter);
    ASSERT_EQ(sorted.size(), 1U);
    EXPECT_EQ(sorted[0].first.data(), bytes.data());
    EXPECT_EQ(sorted[0].first.size(), kFourGibibytes - 1);
    EXPECT_EQ(sorted[0].second, kFourGibibytes - 1);
}

TEST(KeySorter, RefusesAKeyOfFourGibibytesWhenItSorts)
{
    const std::string bytes(32, 'k');
    lists::KeySorter sorter(first_bytes_of({"k", "k"}));
    sorter.add(std::string_view(bytes.data(), kFourGibibytes), 0);
    sorter.add("k", 0);  // keys after the refused one are still taken
    EXPECT_THROW(sorter.sort(), std::length_error);
}

TEST(KeySorter, RefusesATieOfFourGibibytesWhenItSorts)
{
    lists::KeySorter sorter(first_bytes_of({"k"}));
    sorter.add("k", kFourGibibytes);
    EXPECT_THROW(sorter.sort(), std::length_error);
}

}  // namespace
