#include "e2e.h"
#include "sorted_by.h"
#include "text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using mordavelle::SortKey;
using Views = std::vector<std::string_view>;

TEST(DepartmentKey, IsEverythingAfterTheFirstAtSign)
{
    EXPECT_EQ(mordavelle::department_key("ann@hr.se"), "hr.se");
    EXPECT_EQ(mordavelle::department_key("x@b@c"), "b@c");
    EXPECT_EQ(mordavelle::department_key("ann@"), "");
    EXPECT_EQ(mordavelle::department_key("@hr"), "hr");
    EXPECT_EQ(mordavelle::department_key("nobody"), "nobody");
}


TEST(SortedByDepartment, OrdersKeysByBytesShorterFirst)
{
    EXPECT_EQ(sorted_by("a@i b@hr c@h d@Zz e@h\xe9 f@", SortKey::department),
              (Views{"f@", "d@Zz", "c@h", "b@hr", "e@h\xe9", "a@i"}));
}

TEST(SortedByDepartment, IgnoresTheLocalPartAndKeepsInputOrderForEqualKeys)
{
    const std::string_view text = "z@d y@c a@d z@c z@d b@c";
    const Views sorted = sorted_by(text, SortKey::department);
    EXPECT_EQ(sorted, (Views{"y@c", "z@c", "b@c", "z@d", "a@d", "z@d"}));
    EXPECT_EQ(sorted[3].data(), text.data());
    EXPECT_EQ(sorted[5].data(), text.data() + 16);
}

// Random addresses over a few bytes, long keys and many equal keys included,
// come out as a stable sort by key puts them, the very entries of the text,
// at every size.
TEST(SortedByDepartment, AgreesWithAStableSortByKeyOnRandomLists)
{
    std::mt19937 random(54321);
    const std::string alphabet("\0\x01@a.b\x7f\x80\xff", 9);
    for (const std::size_t size : {0U, 1U, 2U, 3U, 17U, 64U, 300U, 5000U, 100000U}) {
        std::string text;
        for (std::size_t i = 0; i < size; ++i) {
            text += std::to_string(i) + "@" + std::string(random() % 3 == 0 ? random() % 40 : 0, 'd');
            for (std::size_t n = random() % 5; n > 0; --n)
                text += alphabet[random() % alphabet.size()];
            text += ' ';
        }
        Views expected = mordavelle::split_entries(text);
        std::stable_sort(expected.begin(), expected.end(), [](std::string_view a, std::string_view b) {
            return mordavelle::department_key(a) < mordavelle::department_key(b);
        });
        const Views sorted = sorted_by(text, SortKey::department);
        ASSERT_EQ(sorted.size(), expected.size()) << size;
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(sorted[i].data(), expected[i].data()) << size << " " << i;
    }
}

}  // namespace
