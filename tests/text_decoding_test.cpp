#include "platform/files.h"
#include "characters.h"
#include "entries.h"
#include "text_decoder.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace {

using mordavelle::EofByte;
using Views = std::vector<std::string_view>;

const std::string kReplacement = "\xEF\xBF\xBD";

std::string utf16(const std::u16string& units, bool big_endian)
{
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : units) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes.append({big_endian ? high : low, big_endian ? low : high});
    }
    return bytes;
}

std::string le_file(const std::u16string& units)
{
    return utf16(units, false);
}

std::string be_file(const std::u16string& units)
{
    return utf16(units, true);
}

std::string utf32(const std::u32string& units, bool big_endian)
{
    std::string bytes;
    for (const char32_t unit : std::u32string{0xFEFF} + units) {
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>(unit >> (8 * (big_endian ? 3 - i : i)));
    }
    return bytes;
}

std::string whole(std::string text, EofByte rule = EofByte::kept)
{
    mordavelle::decode_whole_text(text, rule);
    return text;
}

// The text that a TextDecoder gives for the file cut into pieces at `cuts`.
std::string in_pieces(std::string file, const std::vector<std::size_t>& cuts, EofByte rule)
{
    mordavelle::TextDecoder decoder(rule);
    std::string text;
    std::string out;
    std::size_t from = 0;
    for (const std::size_t cut : cuts) {
        const auto piece = decoder.decode(std::span<char>(file).subspan(from, cut - from), out);
        text.append(piece.data(), piece.size());
        from = cut;
    }
    const auto piece = decoder.decode(std::span<char>(file).subspan(from), out);
    text.append(piece.data(), piece.size());
    const auto last = decoder.finish(out);
    return text.append(last.data(), last.size());
}

TEST(DecodeWholeText, Utf8MarkIsNotPartOfTheFirstEntry)
{
    EXPECT_EQ(mordavelle::split_entries(whole("\xEF\xBB\xBF" "anna@hr.se\nbo@it.se\n")), (Views{"anna@hr.se", "bo@it.se"}));
    EXPECT_EQ(mordavelle::split_entries(whole("\xEF\xBB\xBF" " \t\r\n" "anna")), (Views{"anna"}));
    EXPECT_TRUE(mordavelle::split_entries(whole("\xEF\xBB\xBF")).empty());
}

TEST(DecodeWholeText, FilesWithoutAMarkPassThroughByteForByte)
{
    for (const std::string_view file : {"", "\xEF", "\xEF\xBB", "\xEF\xBB" "x", "\xEF\xBB\xBE" "y", "\xFF", "\xFE",
                                        "\xFE" "a", "\xBB\xBF" "a", "x\xFF" "y\xFE", "\xC3\xA5sa\x80"})
        EXPECT_EQ(whole(std::string(file)), file);
    EXPECT_EQ(whole(std::string("a\0b\x1a", 4)), std::string_view("a\0b\x1a", 4));
}

TEST(DecodeWholeText, Utf16OfEitherByteOrderBecomesUtf8)
{
    const std::u16string units = u"a\0@hr.se\r\n\u00E5\u20AC \u0080\u07FF\u0800\uFFFF\U0001F600\U00010000\U0010FFFF";
    const std::string expected = "a\0@hr.se\r\n\xC3\xA5\xE2\x82\xAC \xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"
                                 "\xF0\x9F\x98\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
    EXPECT_EQ(whole(le_file(units)), expected);
    EXPECT_EQ(whole(be_file(units)), expected);
    EXPECT_EQ(whole("\xFF\xFE"), "");
}

TEST(DecodeWholeText, Utf16LoneSurrogatesAndAnOddLastByteBecomeReplacements)
{
    EXPECT_EQ(whole(le_file({u'a', 0xD83D})), "a" + kReplacement);
    EXPECT_EQ(whole(be_file({0xDE00, u'b'})), kReplacement + "b");
    EXPECT_EQ(whole(le_file({0xD83D, 0xD83D, 0xDE00})), kReplacement + "\xF0\x9F\x98\x80");
    EXPECT_EQ(whole(be_file(u"ab") + "c"), "ab" + kReplacement);
    EXPECT_EQ(whole(le_file({0xD83D}) + "x"), kReplacement + kReplacement);
    // The unit after a lone high surrogate is read after its U+FFFD, also where it is ASCII.
    const std::string ann = "ann" + kReplacement;
    EXPECT_EQ(mordavelle::split_entries(whole(le_file({u'a', u'n', u'n', 0xD83D, u' ', u'b'}))), (Views{ann, "b"}));
}

TEST(DecodeWholeText, Utf32OfEitherByteOrderBecomesUtf8)
{
    const std::u32string units = U"a\0@\u00E5\u20AC\U0001F600\U0010FFFF\r\n";
    const std::string expected = "a\0@\xC3\xA5\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF\r\n";
    EXPECT_EQ(whole(utf32(units, false)), expected);
    EXPECT_EQ(whole(utf32(units, true)), expected);
    EXPECT_EQ(whole(utf32(U"", false)), "");
}

TEST(DecodeWholeText, Utf32UnitsThatAreNoCharacterAndAnUnfinishedLastUnitBecomeReplacements)
{
    EXPECT_EQ(whole(utf32({U'a', 0x110000, 0xD83D, 0xDE00, 0xFFFFFFFF, U'b'}, false)),
              "a" + kReplacement + kReplacement + kReplacement + kReplacement + "b");
    EXPECT_EQ(whole(utf32(U"ab", true) + std::string("\0\0", 2)), "ab" + kReplacement);
    EXPECT_EQ(whole(utf32(U"ab", false) + "c"), "ab" + kReplacement);
}

TEST(DecodeWholeText, Utf32EndOfFileCharacterIsABlankUnderTheWindowsRule)
{
    EXPECT_EQ(whole(utf32(U"anna\x1a" U"bo", false), EofByte::blank), "anna bo");
    EXPECT_EQ(whole(utf32(U"\u1A1A" U"bo", true), EofByte::blank), "\xE1\xA8\x9A" "bo");
}

TEST(DecodeWholeText, MarkInsideATextPartsEntriesAsABlankDoes)
{
    const Views entries = {"anna", "bo", "cilla"};
    EXPECT_EQ(mordavelle::split_entries(whole("anna\xEF\xBB\xBF" "bo\n\xEF\xBB\xBF" "cilla\xEF\xBB\xBF")), entries);
    EXPECT_EQ(mordavelle::split_entries(whole("\xEF\xBB\xBF\xEF\xBB\xBF" "anna bo\xEF\xBB\xBF" "cilla")), entries);
    EXPECT_EQ(mordavelle::split_entries(whole(le_file(u"\uFEFF" u"anna\uFEFF" u"bo cilla"))), entries);
    EXPECT_EQ(mordavelle::split_entries(whole(be_file(u"anna\uFEFF" u"bo\uFEFF" u"cilla"))), entries);
    EXPECT_EQ(mordavelle::split_entries(whole(utf32(U"anna\uFEFF" U"bo\uFEFF" U"cilla", true))), entries);
}

TEST(DecodeWholeText, OnlyAWholeMarkInsideATextPartsEntries)
{
    EXPECT_EQ(whole("a\xEF\xBB" "b\xEF" "c\xEF\xBF\xBD\xEF\xBB"), "a\xEF\xBB" "b\xEF" "c\xEF\xBF\xBD\xEF\xBB");
    EXPECT_EQ(whole("\xEF\xEF\xBB\xBF" "a"), "\xEF   a");
}

const std::string kUtf8Mark = "\xEF\xBB\xBF";

// Files joined by copy /b from files saved in different encodings, each file
// with its mark where it begins, and the entries that are read from them.
struct Joined {
    std::string file;
    std::vector<std::string> entries;
};

const std::vector<Joined> kJoined = {
    {"anna\r\n" + le_file(u"bo\r\ncilla\r\n"), {"anna", "bo", "cilla"}},
    {kUtf8Mark + "anna" + be_file(u"j\u00F6ns"), {"anna", "j\xC3\xB6ns"}},
    {"j\xF6rn\n" + le_file(u"\u00E5sa\n") + kUtf8Mark + "bo\n", {"j\xF6rn", "\xC3\xA5sa", "bo"}},
    {le_file(u"anna\n") + kUtf8Mark + "j\xC3\xB6ns\n" + le_file(u"bo"), {"anna", "j\xC3\xB6ns", "bo"}},
    {be_file(u"anna") + kUtf8Mark + "bo", {"anna", "bo"}},
    // The mark of the other byte order goes on in that order.
    {le_file(u"anna") + be_file(u"bo") + le_file(u"cilla"), {"anna", "bo", "cilla"}},
    // A part of an odd number of bytes leaves its last byte unfinished before the UTF-8 mark.
    {le_file(u"anna") + "x" + kUtf8Mark + "bo", {"anna" + kReplacement, "bo"}},
    {be_file(u"anna") + "x" + kUtf8Mark + "bo", {"anna" + kReplacement, "bo"}},
    {le_file({u'a', 0xD83D}) + kUtf8Mark + "bo", {"a" + kReplacement, "bo"}},
    {"anna\xFF\xFE", {"anna"}},
    // A UTF-16 character whose bytes are only part of a UTF-8 mark stays a character.
    {le_file({0xBBEF, u'a', 0xEF00, 0xBBBF}), {"\xEB\xAF\xAF" "a\xEE\xBC\x80\xEB\xAE\xBF"}},
    {be_file({0xEFBB, u'a'}), {"\xEE\xBE\xBB" "a"}},
};

TEST(DecodeWholeText, AUtf16MarkInsideATextStartsUtf16UntilAUtf8Mark)
{
    for (const Joined& joined : kJoined) {
        const std::string text = whole(joined.file);
        EXPECT_EQ(mordavelle::split_entries(text), Views(joined.entries.begin(), joined.entries.end())) << joined.file;
    }
}

TEST(DecodeWholeText, TheWindowsRuleReadsAnInnerUtf16PartByItsCharacters)
{
    std::string file = le_file(u"b\x1a" u"c\u011A");
    file.insert(0, 1, 'a');
    EXPECT_EQ(whole(file, EofByte::blank), "a b c\xC4\x9A");
}

TEST(DecodeWholeText, EndOfFileByteIsABlankOnlyUnderTheWindowsRule)
{
    EXPECT_EQ(whole("anna bo\x1a" "cilla\x1a", EofByte::blank), "anna bo cilla ");
    EXPECT_EQ(whole("anna bo\x1a" "cilla", EofByte::kept), "anna bo\x1a" "cilla");
    EXPECT_EQ(mordavelle::split_entries(whole("\xEF\xBB\xBF" "anna\x1a" "bo", EofByte::blank)), (Views{"anna", "bo"}));
    EXPECT_EQ(whole(be_file(u"anna\x1a" u"bo"), EofByte::blank), "anna bo");
}

TEST(DecodeWholeText, Utf16CharactersWithAByte0x1AAreNoBlanks)
{
    // U+011A is the bytes 1A 01 in little-endian order, U+1A00 is 1A 00 in big-endian.
    EXPECT_EQ(whole(le_file(u"\u011A" u"a"), EofByte::blank), "\xC4\x9A" "a");
    EXPECT_EQ(whole(be_file(u"\u1A00" u"a"), EofByte::blank), "\xE1\xA8\x80" "a");
}

// Files that between them take every way through the decoder: each mark, the
// beginnings of marks, surrogate pairs, lone surrogates, odd bytes and ends of text.
const std::vector<std::string> kFiles = {
    "anna bo\r\n", "\xEF\xBB\xBF" "anna\x1a" "bo\n", "\xEF\xBB\xBF", "\xEF\xBB", "\xEF\xBB" "x\x1a" "y", "\xFF",
    "\xFE" "a", "\x1a", "\xFF\xFE", "\xFE\xFF" "x",
    le_file({u'a', 0xE5, 0x20AC, 0xD83D, 0xDE00, u' ', 0xDE00, u'b', 0xD83D}) + "z",
    be_file(u"anna\x1a" u"bo \U0001F600"), le_file(u"\u011A\x1a" u"b"), "a\xEF\xBB\xBF" "b\xEF\xBB" "c\xEF",
    "\xEF\xBB\xBF\xEF\xBB\xBF" "a\xEF\xEF\xBB\x1a\xBF", le_file(u"\uFEFF\uFEFF" u"a\uFEFF"),
    utf32({U'a', 0xFEFF, 0x1F600, 0xD800, 0x1A, U'b'}, false) + "x", utf32(U"\u00E5" U"a\x1a", true),
    std::string("\xFF\xFE\0", 3), std::string("\0\0\xFE", 3),
    "a\xFF\xFE" "b\0\xEF\xBB\xBF" "c\xFE\xFF\0d\xFF\xFE", le_file(u"a") + "x\xEF\xBB\xBF" "b\xEF",
    be_file({0xD83D, 0xEFBB, u'a', 0xBBEF}) + "\xBF", le_file({u'a', 0xBBEF, 0xD83D}) + "\xEF\xBB",
    le_file(u"a") + be_file(u"b\x1a") + "\xEF\xBB\xBF\x1a\xFF",
};

TEST(TextDecoder, AnyCutIntoPiecesGivesTheTextOfTheWholeFile)
{
    for (const EofByte rule : {EofByte::kept, EofByte::blank}) {
        for (const std::string& file : kFiles) {
            const std::string expected = whole(file, rule);
            for (std::size_t first = 0; first <= file.size(); ++first) {
                for (std::size_t second = first; second <= file.size(); ++second)
                    ASSERT_EQ(in_pieces(file, {first, second}, rule), expected) << file << " cut at " << first << ", "
                                                                                << second;
            }
            std::vector<std::size_t> every_byte(file.size());
            std::iota(every_byte.begin(), every_byte.end(), std::size_t{0});
            EXPECT_EQ(in_pieces(file, every_byte, rule), expected) << file;
        }
    }
}

TEST(TextDecoder, ReadsAPlainOrUtf8MarkedPieceInPlace)
{
    mordavelle::TextDecoder decoder(EofByte::kept);
    std::string out;
    std::string piece = "\xEF\xBB\xBF" "anna bo";
    const auto text = decoder.decode(piece, out);
    EXPECT_EQ(text.data(), piece.data());
    EXPECT_EQ(std::string_view(text.data(), text.size()), "   anna bo");
}

TEST(TextDecoder, TurnsEachEndOfFileByteIntoABlankInPlaceAndReadsOn)
{
    mordavelle::TextDecoder decoder(EofByte::blank);
    std::string out;
    std::string first = "anna\x1a" "bo";
    std::string second = "\x1a" "cilla\x1a";
    EXPECT_EQ(decoder.decode(first, out).data(), first.data());
    EXPECT_EQ(first, "anna bo");
    EXPECT_EQ(decoder.decode(second, out).size(), 7u);
    EXPECT_EQ(second, " cilla ");
    EXPECT_TRUE(decoder.finish(out).empty());
}

using mordavelle::CharacterSet;

TEST(ClassifyText, BytesBelow0x80AloneAreAscii)
{
    for (std::size_t size = 0; size < 20; ++size)
        EXPECT_EQ(mordavelle::classify_text(std::string(size, 'a') + "\n\x7f"), CharacterSet::ascii) << size;
}

TEST(ClassifyText, ValidUtf8BeyondAsciiAtAnyPlaceIsUtf8)
{
    for (const std::string_view character : {"\xC3\xA5", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF",
                                             "\xED\x9F\xBF", "\xEF\xBB\xBF"}) {
        for (std::size_t before = 0; before < 17; ++before)
            EXPECT_EQ(mordavelle::classify_text(std::string(before, 'a') + std::string(character) + "b"),
                      CharacterSet::utf8) << before;
    }
}

TEST(ClassifyText, AnythingNotValidUtf8IsLegacy)
{
    for (const std::string_view bad : {"\x80", "\xC3", "\xC3" "a", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80",
                                       "\xED\xA0\x80", "\xF0\x80\x80\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",
                                       "\xE2\x82", "\xFF", "caf\xE9"}) {
        for (std::size_t before = 0; before < 17; ++before)
            EXPECT_EQ(mordavelle::classify_text(std::string(before, 'a') + "\xC3\xA5" + std::string(bad)),
                      CharacterSet::legacy) << before << " " << bad;
    }
}

TEST(HoldsTwoEncodings, OnlyEntriesInUtf8BeyondAsciiBesideEntriesThatAreNotUtf8)
{
    const auto two = [](std::string_view first, std::string_view second) {
        return mordavelle::holds_two_encodings(first, second);
    };
    EXPECT_TRUE(two("ann \xC3\xA5sa", "j\xF6rn"));
    EXPECT_TRUE(two("j\xF6rn", "ann \xC3\xA5sa"));
    // One list joined from two files is enough, in either list's place.
    EXPECT_TRUE(two("\xC3\xA5sa bo\xEF\xBB\xBFjos\xE9", "ann"));
    EXPECT_TRUE(two("ann", "jos\xE9\n\xC3\xA5sa"));
    EXPECT_FALSE(two("ann \xC3\xA5sa", "bo \xE2\x82\xAC"));
    EXPECT_FALSE(two("j\xF6rn", "jos\xE9 ann"));
    EXPECT_FALSE(two("ann", "bo"));
    EXPECT_FALSE(two("", ""));
    // An entry with a UTF-8 character and a byte that is none is not UTF-8.
    EXPECT_FALSE(two("\xC3\xA5sa\xE9 ann", "bo"));
    EXPECT_TRUE(two("\xC3\xA5sa\xE9 ann", "bo\xC3\xA5"));
}

// Away from Windows the ANSI code page is Windows-1252; an entry that is not
// UTF-8 is turned into the UTF-8 of its characters on a line of its own.
std::string ansi(std::string_view entry)
{
    const std::string converted = mordavelle::in_characters(entry);
    return converted.empty() ? std::string{entry} : converted.substr(0, converted.size() - 1);
}

TEST(InCharacters, GivesEachByteItsWindows1252Character)
{
    EXPECT_EQ(ansi("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(ansi("\x80\x8A\x9F\xA0\xFF"), "\xE2\x82\xAC\xC5\xA0\xC5\xB8\xC2\xA0\xC3\xBF");
    // The undefined bytes become the control characters of their numbers.
    EXPECT_EQ(ansi("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
}

TEST(InCharacters, TurnsOnlyTheEntriesThatAreNotUtf8OneALine)
{
    EXPECT_EQ(mordavelle::in_characters("ok \xE9t\xE9 \xC3\xA5 x\xE9\n"), "\xC3\xA9t\xC3\xA9\nx\xC3\xA9\n");
    std::string every_byte;
    for (int byte = 0x21; byte < 256; ++byte)
        every_byte += static_cast<char>(byte);
    EXPECT_EQ(mordavelle::classify_text(ansi(every_byte)), CharacterSet::utf8);
}

}  // namespace
