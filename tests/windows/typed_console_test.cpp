// Names typed on a real console, key by key, on a Swedish Windows: the console
// in code page 850, which has no €. A helper owns the console, types the keys
// and reads the screen back when the program has ended.
#include "e2e.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using e2e::Files;

const std::string kTyping = "env LANG=sv_SE.UTF-8 " + std::string{MORDAVELLE_UNDER_WINE} + " '" +
                            MORDAVELLE_CONSOLE_KEYS_HELPER + "' '" + MORDAVELLE_PROGRAM_ON_Z + "'";
const std::string kList = "budget_\xe2\x82\xac.txt";  // budget_€.txt in UTF-8, as Wine keeps names
const Files kLists = {{kList, "cy@z.se\r\nann@x.se\r\nbo@y.se\r\n"}};
const std::string kCounted = "The list  " + kList + " contains 3 strings.";

struct TypedCase {
    std::string name;
    std::string keys;  // a line end is Enter, \x1a is Ctrl-Z
    std::string shown;  // a line the screen shows
    std::string status;
    Files after = kLists;
};

class TypedOnConsole : public testing::TestWithParam<TypedCase> {};

TEST_P(TypedOnConsole, ShowsTheDialogueAndEndsAsTyped)
{
    const TypedCase& c = GetParam();
    e2e::Folder folder;
    folder.write(kLists);
    const auto result = folder.run_shell(c.keys, kTyping);
    EXPECT_NE(result.out.find("\n" + c.shown + "\n"), std::string::npos) << result.out;
    EXPECT_EQ(result.events, std::vector<std::string>{c.status});
    EXPECT_EQ(folder.files(), c.after);
}

void PrintTo(const TypedCase& c, std::ostream* out)
{
    *out << c.name;
}

INSTANTIATE_TEST_SUITE_P(Swedish, TypedOnConsole,
    testing::Values(
        TypedCase{"name_outside_the_code_page", "c budget_\xe2\x82\xac\na budget_\xe2\x82\xac\nq\n", kCounted,
                  "exit 0", e2e::with(kLists, "budget_\xe2\x82\xac_a.txt", "ann@x.se\r\nbo@y.se\r\ncy@z.se\r\n")},
        TypedCase{"words_typed_ahead", "c budget_\xe2\x82\xac q\n", kCounted, "exit 0"},
        TypedCase{"end_of_input_at_the_menu", "\x1a\n", "^Z", "exit 0"},
        TypedCase{"end_of_input_at_a_prompt", "c\n\x1a\n", "can't find file .txt", "exit 1"},
        // The console itself is no list: read as one, it would wait for keys that nothing ends but Ctrl-C.
        TypedCase{"list_named_for_the_console", "l con\n", "can't find file con.txt", "exit 1"}),
    [](const testing::TestParamInfo<TypedCase>& param) { return param.param.name; });

}  // namespace
