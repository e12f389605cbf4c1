#include "e2e.h"
#include "sorted_by.h"
#include "entries.h"

#include <gtest/gtest.h>


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

}  // namespace
