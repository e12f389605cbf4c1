// The sort straight from a list text, in both orders, over texts that hold
// every separator and runs of one byte.
#include "lists/sort_entries.h"
#include "shell/list_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
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

}  // namespace
