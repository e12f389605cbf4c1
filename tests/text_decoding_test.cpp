#include "shell/entries.h"
#include "shell/text_decoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

using shell::EndOfText;
using shell::TextEncoding;
using Views = std::vector<std::string_view>;

const std::string kReplacement = "\xEF\xBF\xBD";

std::string utf16(const std::u16string& units, bool big_endian)
{
    std::string bytes;
    for (const char16_t unit : units) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes.append({big_endian ? high : low, big_endian ? low : high});
    }
    return bytes;
}

std::string le_file(const std::u16string& units)
{
    return "\xFF\xFE" + utf16(units, false);
}

std::string be_file(const std::u16string& units)
{
    return "\xFE\xFF" + utf16(units, true);
}

std::string whole(std::string text, EndOfText rule = EndOfText::none)
{
    shell::decode_whole_text(text, rule);
    return text;
}

// The text that a TextDecoder gives for the file cut into pieces at `cuts`.
std::string in_pieces(std::string file, const std::vector<std::size_t>& cuts, EndOfText rule = EndOfText::none)
{
    shell::TextDecoder decoder(rule);
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

TEST(DetectEncoding, RecognisesEachCompleteMark)
{
    EXPECT_EQ(shell::detect_encoding("\xEF\xBB\xBF" "anna"), TextEncoding::utf8_bom);
    EXPECT_EQ(shell::detect_encoding("\xFF\xFE"), TextEncoding::utf16_le);
    EXPECT_EQ(shell::detect_encoding("\xFE\xFF" "a"), TextEncoding::utf16_be);
    EXPECT_EQ(shell::bom_size(TextEncoding::utf8_bom), 3u);
    EXPECT_EQ(shell::bom_size(TextEncoding::utf16_be), 2u);
    EXPECT_EQ(shell::bom_size(TextEncoding::plain), 0u);
}

TEST(DetectEncoding, FirstBytesThatOnlyBeginAMarkArePlain)
{
    for (const std::string_view first : {"", "\xEF", "\xEF\xBB", "\xEF\xBB\xBE", "\xEF\xBF\xBB", "\xFF", "\xFE",
                                         "\xFE\xFE", "\xFF\xFF", "\xBB\xBF", " \xEF\xBB\xBF"})
        EXPECT_EQ(shell::detect_encoding(first), TextEncoding::plain) << first;
}

TEST(DecodeWholeText, Utf8MarkIsNotPartOfTheFirstEntry)
{
    const std::string text = whole("\xEF\xBB\xBF" "anna@hr.se\nbo@it.se\n");
    EXPECT_EQ(shell::split_entries(text), (Views{"anna@hr.se", "bo@it.se"}));
}

TEST(DecodeWholeText, Utf8MarkFollowedByWhiteSpaceLeavesOnlyTheEntriesAfterIt)
{
    EXPECT_EQ(shell::split_entries(whole("\xEF\xBB\xBF" " \t\r\n" "anna")), (Views{"anna"}));
    EXPECT_TRUE(shell::split_entries(whole("\xEF\xBB\xBF" "\r\n")).empty());
}

TEST(DecodeWholeText, FileOfAMarkAloneHoldsNoEntries)
{
    EXPECT_TRUE(shell::split_entries(whole("\xEF\xBB\xBF")).empty());
    EXPECT_EQ(whole("\xFF\xFE"), "");
    EXPECT_EQ(whole("\xFE\xFF"), "");
}

TEST(DecodeWholeText, FilesWithoutAMarkPassThroughByteForByte)
{
    for (const std::string_view file : {"", "\xEF", "\xEF\xBB", "\xEF\xBB" "x", "\xEF\xBB\xBE" "y", "\xFF", "\xFE",
                                        "\xFE" "a", "\xBB\xBF" "a", "x\xFF\xFE" "y", "\xC3\xA5sa\x80"})
        EXPECT_EQ(whole(std::string(file)), file);
    EXPECT_EQ(whole(std::string("a\0b\x1a", 4)), std::string_view("a\0b\x1a", 4));
}

TEST(DecodeWholeText, Utf16OfAsciiBecomesTheSameBytes)
{
    EXPECT_EQ(whole(le_file(u"anna@hr.se\r\nbo@it.se\r\n")), "anna@hr.se\r\nbo@it.se\r\n");
    EXPECT_EQ(whole(be_file(u"anna@hr.se\r\nbo@it.se\r\n")), "anna@hr.se\r\nbo@it.se\r\n");
    EXPECT_EQ(whole(le_file(std::u16string(u"a\0b", 3))), std::string("a\0b", 3));
}

TEST(DecodeWholeText, Utf16TwoAndThreeByteCharactersBecomeTheirUtf8)
{
    const std::string expected = "\xC3\xA5\xC3\xA4\xC3\xB6@\xE2\x82\xAC.se \xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF";
    EXPECT_EQ(whole(le_file(u"\u00E5\u00E4\u00F6@\u20AC.se \u0080\u07FF\u0800\uFFFF")), expected);
    EXPECT_EQ(whole(be_file(u"\u00E5\u00E4\u00F6@\u20AC.se \u0080\u07FF\u0800\uFFFF")), expected);
}

TEST(DecodeWholeText, Utf16SurrogatePairsBecomeFourBytes)
{
    EXPECT_EQ(whole(le_file(u"a\U0001F600b")), "a\xF0\x9F\x98\x80" "b");
    EXPECT_EQ(whole(be_file(u"a\U0001F600b")), "a\xF0\x9F\x98\x80" "b");
    EXPECT_EQ(whole(le_file(u"\U00010000\U0010FFFF")), "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
}

TEST(DecodeWholeText, Utf16OddLastByteBecomesAReplacement)
{
    EXPECT_EQ(whole(le_file(u"ab") + "c"), "ab" + kReplacement);
    EXPECT_EQ(whole(be_file(u"ab") + "c"), "ab" + kReplacement);
    EXPECT_EQ(whole("\xFF\xFE" "c"), kReplacement);
}

TEST(DecodeWholeText, Utf16UnpairedSurrogatesBecomeReplacements)
{
    EXPECT_EQ(whole(le_file({u'a', 0xD83D})), "a" + kReplacement);
    EXPECT_EQ(whole(le_file({0xD83D, u'b'})), kReplacement + "b");
    EXPECT_EQ(whole(be_file({0xDE00, u'b'})), kReplacement + "b");
    EXPECT_EQ(whole(le_file({0xD83D, 0xD83D, 0xDE00})), kReplacement + "\xF0\x9F\x98\x80");
    EXPECT_EQ(whole(le_file({0xDE00, 0xD83D})), kReplacement + kReplacement);
}

TEST(DecodeWholeText, Utf16LoneHighSurrogateBeforeAnOddByteGivesTwoReplacements)
{
    EXPECT_EQ(whole(le_file({0xD83D}) + "x"), kReplacement + kReplacement);
}

TEST(DecodeWholeText, EndOfTextByteEndsAPlainTextOnlyUnderTheWindowsRule)
{
    EXPECT_EQ(whole("anna bo\x1a" "cilla", EndOfText::at_eof_byte), "anna bo");
    EXPECT_EQ(whole("\x1a" "anna", EndOfText::at_eof_byte), "");
    EXPECT_EQ(whole("anna bo\x1a" "cilla", EndOfText::none), "anna bo\x1a" "cilla");
}

TEST(DecodeWholeText, EndOfTextByteEndsAUtf8MarkedText)
{
    EXPECT_EQ(shell::split_entries(whole("\xEF\xBB\xBF" "anna\x1a" "bo", EndOfText::at_eof_byte)), (Views{"anna"}));
    EXPECT_EQ(shell::split_entries(whole("\xEF\xBB\xBF" "anna\x1a" "bo", EndOfText::none)), (Views{"anna\x1a" "bo"}));
}

TEST(DecodeWholeText, EndOfTextCharacterEndsAUtf16Text)
{
    EXPECT_EQ(whole(le_file(u"anna\x1a" u"bo"), EndOfText::at_eof_byte), "anna");
    EXPECT_EQ(whole(be_file(u"anna\x1a" u"bo"), EndOfText::at_eof_byte), "anna");
    EXPECT_EQ(whole(le_file(u"anna\x1a" u"bo"), EndOfText::none), "anna\x1a" "bo");
}

TEST(DecodeWholeText, Utf16CharactersWithAByte0x1AAreNotTheEndOfText)
{
    // U+011A is the bytes 1A 01 in little-endian order, U+1A00 is 1A 00 in big-endian.
    EXPECT_EQ(whole(le_file(u"\u011A" u"a"), EndOfText::at_eof_byte), "\xC4\x9A" "a");
    EXPECT_EQ(whole(be_file(u"\u1A00" u"a"), EndOfText::at_eof_byte), "\xE1\xA8\x80" "a");
}

TEST(TextEnd, IsTheFirstEndOfTextByteOnlyUnderTheWindowsRule)
{
    EXPECT_EQ(shell::text_end("ab\x1a" "c\x1a", EndOfText::at_eof_byte), 2u);
    EXPECT_EQ(shell::text_end("ab\x1a" "c\x1a", EndOfText::none), 5u);
    EXPECT_EQ(shell::text_end("abc", EndOfText::at_eof_byte), 3u);
    EXPECT_EQ(shell::text_end("", EndOfText::at_eof_byte), 0u);
}

// A sample with every kind of code unit, a surrogate pair and an odd last byte.
const std::u16string kMixedUnits = {u'a', 0xE5, 0x20AC, 0xD83D, 0xDE00, u' ', 0xDE00, u'b', u'c', u'd', 0xD83D};

TEST(Utf16Decoder, PiecesCutAtAnyTwoPointsGiveTheWholeText)
{
    for (const bool big_endian : {false, true}) {
        const std::string bytes = utf16(kMixedUnits, big_endian) + "z";
        const std::string expected = shell::decode_utf16(bytes, big_endian);
        for (std::size_t first = 0; first <= bytes.size(); ++first) {
            for (std::size_t second = first; second <= bytes.size(); ++second) {
                shell::Utf16Decoder decoder(big_endian);
                std::string out;
                decoder.decode(std::string_view(bytes).substr(0, first), out);
                decoder.decode(std::string_view(bytes).substr(first, second - first), out);
                decoder.decode(std::string_view(bytes).substr(second), out);
                decoder.finish(out);
                ASSERT_EQ(out, expected) << big_endian << " " << first << " " << second;
            }
        }
    }
}

TEST(Utf16Decoder, ByteByByteGivesTheWholeText)
{
    const std::string bytes = utf16(kMixedUnits, false) + "z";
    shell::Utf16Decoder decoder(false);
    std::string out;
    for (const char byte : bytes)
        decoder.decode(std::string_view(&byte, 1), out);
    decoder.finish(out);
    EXPECT_EQ(out, "a\xC3\xA5\xE2\x82\xAC\xF0\x9F\x98\x80 " + kReplacement + "bcd" + kReplacement + kReplacement);
}

TEST(Utf16Decoder, FinishFlushesWhatWaitsAndStartsAfresh)
{
    shell::Utf16Decoder decoder(false);
    std::string out;
    decoder.decode(utf16({0xD83D}, false) + "x", out);
    decoder.finish(out);
    decoder.decode(utf16({0xDE00}, false), out);
    EXPECT_EQ(out, kReplacement + kReplacement + kReplacement);
}

// What the decoder should give, found the plain way: a whole sequence of code
// units looked at one by one, with the next one in view.
std::string model_utf8(const std::u16string& units, bool odd_byte)
{
    std::string out;
    auto put = [&out](std::uint32_t code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
        } else if (code < 0x10000) {
            out += {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (code & 0x3F))};
        } else {
            out += {static_cast<char>(0xF0 | (code >> 18)), static_cast<char>(0x80 | ((code >> 12) & 0x3F)),
                    static_cast<char>(0x80 | ((code >> 6) & 0x3F)), static_cast<char>(0x80 | (code & 0x3F))};
        }
    };
    for (std::size_t i = 0; i < units.size(); ++i) {
        const std::uint32_t unit = units[i];
        const bool high = unit >= 0xD800 && unit < 0xDC00;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
            put(0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00u));
        else
            put(unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
    }
    if (odd_byte)
        put(0xFFFD);
    return out;
}

// Mostly ASCII unless said otherwise, so that runs long enough for the
// decoder's fast way occur at every alignment, mixed with every other kind of
// unit and the edge values.
std::u16string random_units(std::mt19937& random, unsigned ascii_tenths = 5)
{
    static const char16_t kEdges[] = {0, 0x1A, 0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xE000,
                                      0xFFFD, 0xFFFF};
    std::u16string units(random() % 120, u'\0');
    for (char16_t& unit : units) {
        const auto kind = random() % 10 + 5 - ascii_tenths;
        const auto value = static_cast<unsigned>(random());
        unit = static_cast<char16_t>(kind < 5    ? value % 0x80
                                     : kind == 5 ? 0x80 + value % 0x780
                                     : kind == 6 ? 0x800 + value % 0xD000
                                     : kind == 7 ? 0xD800 + value % 0x400
                                     : kind == 8 ? 0xDC00 + value % 0x400
                                     : kind == 9 ? unsigned{kEdges[value % std::size(kEdges)]}
                                                 : 0x800 + value % 0xD000);
    }
    return units;
}

TEST(Utf16Decoder, MatchesAPlainModelOnRandomUnitsInRandomPieces)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        const bool big_endian = random() % 2 == 0;
        const bool odd_byte = random() % 4 == 0;
        const std::u16string units = random_units(random);
        const std::string bytes = utf16(units, big_endian) + (odd_byte ? "\x3D" : "");
        shell::Utf16Decoder decoder(big_endian);
        std::string out;
        for (std::size_t at = 0, size = 0; at < bytes.size(); at += size) {
            size = std::min<std::size_t>(bytes.size() - at, 1 + random() % 24);
            decoder.decode(std::string_view(bytes).substr(at, size), out);
        }
        decoder.finish(out);
        ASSERT_EQ(out, model_utf8(units, odd_byte)) << "round " << round;
    }
}

// A whole text is decoded in its own memory, which the UTF-8 of characters of
// three bytes may outgrow when they come before enough ASCII.
TEST(DecodeWholeText, Utf16MatchesAPlainModelOnRandomUnitsOfEveryMix)
{
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        const bool big_endian = random() % 2 == 0;
        const bool odd_byte = random() % 4 == 0;
        const std::u16string units = random_units(random, static_cast<unsigned>(round % 6));
        const std::string file = (big_endian ? be_file(units) : le_file(units)) + (odd_byte ? "\xD8" : "");
        ASSERT_EQ(whole(file), model_utf8(units, odd_byte)) << "round " << round;
    }
}

TEST(DecodeWholeText, Utf16ThreeByteCharactersBeforeAnyAsciiDecodeWhole)
{
    const std::u16string units = u"\u20AC\u20AC\U0001F600\uFFFF" + std::u16string(1000, u'\u4E2D') + u"anna";
    EXPECT_EQ(whole(le_file(units)), model_utf8(units, false));
    const std::u16string lone_highs = {0xD83D, 0xD83D, 0xD83D, 0x4E2D, 0xD83D, 0xDE00};
    EXPECT_EQ(whole(be_file(lone_highs)), model_utf8(lone_highs, false));
}

TEST(Utf16Decoder, LongTextsCrossTheDecodersInnerBlocks)
{
    std::u16string units;
    for (int i = 0; i < 100'000; ++i)
        units += i % 7 == 0 ? u"\U0001F600" : i % 5 == 0 ? u"\u20AC " : u"anna";
    const std::string bytes = utf16(units, false) + "x";
    EXPECT_EQ(shell::decode_utf16(bytes, false), model_utf8(units, true));
    EXPECT_EQ(shell::decode_utf16(utf16(units, true), true), model_utf8(units, false));
}

// Files that between them take every way through the decoding of a beginning.
const std::vector<std::string> kFiles = {
    "anna bo\r\n",
    "\xEF\xBB\xBF" "anna\x1a" "bo\n",
    "\xEF\xBB\xBF",
    "\xEF\xBB",
    "\xEF\xBB" "x\x1a" "y",
    "\xEF",
    "\xFF",
    "\xFE" "a",
    "\x1a",
    le_file(kMixedUnits) + "z",
    be_file(u"anna\x1a" u"bo \U0001F600"),
    le_file(u"\u011A\x1a" u"b"),
    "\xFF\xFE",
    "\xFE\xFF" "x",
};

TEST(TextDecoder, PiecesCutAtAnyTwoPointsGiveTheTextOfTheWholeFile)
{
    for (const EndOfText rule : {EndOfText::none, EndOfText::at_eof_byte}) {
        for (const std::string& file : kFiles) {
            const std::string expected = whole(file, rule);
            for (std::size_t first = 0; first <= file.size(); ++first) {
                for (std::size_t second = first; second <= file.size(); ++second)
                    ASSERT_EQ(in_pieces(file, {first, second}, rule), expected)
                        << file << " cut at " << first << " and " << second;
            }
        }
    }
}

TEST(TextDecoder, ByteByByteGivesTheTextOfTheWholeFile)
{
    for (const std::string& file : kFiles) {
        std::vector<std::size_t> cuts(file.size());
        std::iota(cuts.begin(), cuts.end(), std::size_t{0});
        EXPECT_EQ(in_pieces(file, cuts, EndOfText::at_eof_byte), whole(file, EndOfText::at_eof_byte)) << file;
    }
}

TEST(TextDecoder, ReadsAPlainOrUtf8MarkedPieceInPlace)
{
    shell::TextDecoder decoder(EndOfText::none);
    std::string out;
    std::string piece = "\xEF\xBB\xBF" "anna bo";
    const auto text = decoder.decode(piece, out);
    EXPECT_EQ(text.data(), piece.data());
    EXPECT_EQ(std::string_view(text.data(), text.size()), "   anna bo");
}

TEST(TextDecoder, EndsAtTheEndOfTextByteAndTakesNothingAfterIt)
{
    shell::TextDecoder decoder(EndOfText::at_eof_byte);
    std::string out;
    std::string first = "anna\x1a" "bo";
    std::string second = "cilla";
    EXPECT_EQ(decoder.decode(first, out).size(), 4u);
    EXPECT_TRUE(decoder.ended());
    EXPECT_TRUE(decoder.decode(second, out).empty());
    EXPECT_TRUE(decoder.finish(out).empty());
}

}  // namespace
