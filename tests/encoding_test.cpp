// Lists as Windows editors save them: with a UTF-8 byte-order mark, or in
// UTF-16 or UTF-32 of either byte order, and with byte-order marks inside, where files
// were joined. Every command reads them as the same list in UTF-8 and writes
// the same result as for the plain list.
#include "command_letters.h"
#include "commands.h"
#include "e2e.h"

#include <gtest/gtest.h>

namespace {

using e2e::Files;

// The UTF-16 of a UTF-8 text, with its byte-order mark.
std::string utf16(std::string_view utf8, bool big_endian)
{
    std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    const auto put = [&](unsigned unit) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += big_endian ? high : low;
        out += big_endian ? low : high;
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
        unsigned code = length == 1 ? byte : byte & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k)
            code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        i += length;
        if (code < 0x10000) {
            put(code);
        } else {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string marks_for_blanks(std::string_view text)
{
    std::string out;
    for (const char byte : text)
        out += byte == ' ' ? std::string_view("\xEF\xBB\xBF") : std::string_view(&byte, 1);
    return out;
}

// The UTF-32 of a UTF-8 text, with its byte-order mark.
std::string utf32(std::string_view utf8, bool big_endian)
{
    // The UTF-16 code units, each widened to four bytes; a pair becomes its character.
    const std::string units = utf16(utf8, false);
    std::string out;
    for (std::size_t i = 0; i < units.size(); i += 2) {
        unsigned code = static_cast<unsigned char>(units[i]) | static_cast<unsigned char>(units[i + 1]) << 8;
        if (code >= 0xD800 && code < 0xDC00) {
            const unsigned low = static_cast<unsigned char>(units[i + 2]) | static_cast<unsigned char>(units[i + 3]) << 8;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        for (int k = 0; k < 4; ++k)
            out += static_cast<char>(code >> (8 * (big_endian ? 3 - k : k)));
    }
    return out;
}

struct Encoding {
    std::string name;
    std::string (*encode)(std::string_view);
};

const std::vector<Encoding> kEncodings = {
    {"utf8_with_mark", [](std::string_view text) { return "\xEF\xBB\xBF" + std::string{text}; }},
    {"utf16_little_endian", [](std::string_view text) { return utf16(text, false); }},
    {"utf16_big_endian", [](std::string_view text) { return utf16(text, true); }},
    {"utf32_little_endian", [](std::string_view text) { return utf32(text, false); }},
    {"utf32_big_endian", [](std::string_view text) { return utf32(text, true); }},
    // A byte-order mark inside a text separates entries as a blank does.
    {"utf8_marks_for_blanks", [](std::string_view text) { return marks_for_blanks(text); }},
    {"utf16_marks_for_blanks", [](std::string_view text) { return utf16(marks_for_blanks(text), false); }},
};

// Addresses with letters of two, three and four bytes in UTF-8, the first of
// them right at the start, where a byte-order mark would cling to it.
const std::string kList =
    "ann.lee@hr.se\r\n\xC3\x85sa.\xC3\x96" "berg@hr.se\r\nBo.Ek@IT.se \xE2\x82\xAC.x@y.se\r\n"
    "\xF0\x9F\x98\x80.smile@x.se\r\nann.lee@hr.se\r\n";
const std::string kText = "From: \"Ann\" <ann.lee@hr.se>, (\xC3\x85sa.\xC3\x96" "berg@hr.se)\r\nCc: bo.ek@it.se.\r\n";
const std::string kResponders = "bo.ek@it.se ann.lee@hr.se\r\n";

struct Command {
    std::string name;
    std::string typed;
    Files lists;   // in UTF-8, as the encoding under test will write them
    std::string result;
};

const std::vector<Command> kCommands = {
    {"alphabetical", "a list", {{"list.txt", kList}}, "list_a.txt"},
    {"count", "c list", {{"list.txt", kList}}, ""},
    {"department", "d list", {{"list.txt", kList}}, "listDEPT.txt"},
    {"extraction", "e text", {{"text.txt", kText}}, "textEPX.txt"},
    {"join", "j list resp", {{"list.txt", kList}, {"resp.txt", kResponders}}, "list_resp.txt"},
    {"lower_case", "l list", {{"list.txt", kList}}, "list_low.txt"},
    {"names", "n list", {{"list.txt", kList}}, "list_N.txt"},
    {"subtract", "s list resp", {{"list.txt", kList}, {"resp.txt", kResponders}}, "Reminders.txt"},
};

void PrintTo(const Command& command, std::ostream* out)
{
    *out << command.name;
}

void PrintTo(const Encoding& encoding, std::ostream* out)
{
    *out << encoding.name;
}

struct Outcome {
    e2e::Result result;
    std::string written;
};

Outcome run(const Command& command, const Files& lists)
{
    e2e::Folder folder;
    folder.write(lists);
    Outcome run{folder.run(command.typed + "\nq\n"), {}};
    if (!command.result.empty())
        run.written = folder.files().at(command.result);
    return run;
}

class EncodedList : public testing::TestWithParam<std::tuple<Command, Encoding>> {};

TEST_P(EncodedList, GivesTheResultOfThePlainList)
{
    const auto& [command, encoding] = GetParam();
    Files encoded;
    for (const auto& [name, text] : command.lists)
        encoded[name] = encoding.encode(text);
    const Outcome plain = run(command, command.lists);
    const Outcome decoded = run(command, encoded);
    EXPECT_EQ(decoded.result.out, plain.result.out);
    EXPECT_EQ(decoded.result.status, 0);
    EXPECT_EQ(decoded.written, plain.written);
    EXPECT_EQ(decoded.result.events, plain.result.events);
}

TEST(EncodedLists, AreReadByEveryCommandOfTheMenu)
{
    std::vector<std::string> typed;
    for (const Command& command : kCommands)
        typed.push_back(command.typed);
    EXPECT_EQ(e2e::letters_of(typed), mordavelle::command_letters());
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, EncodedList, testing::Combine(testing::ValuesIn(kCommands), testing::ValuesIn(kEncodings)),
    [](const testing::TestParamInfo<std::tuple<Command, Encoding>>& param) {
        return std::get<0>(param.param).name + "_" + std::get<1>(param.param).name;
    });

}  // namespace
