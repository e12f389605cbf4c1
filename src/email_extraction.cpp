#include "commands.h"
#include "console.h"
#include "list_file.h"
#include "platform/console.h"
#include "result_file.h"
#include "email_extraction.h"

namespace mordavelle {
namespace {

constexpr std::string_view kPrompt[] = {
    "Extract e-mail-addresses from a text.",
    "Enter name of text file to extract from:",
    "(I will add the .txt suffix)",
};
constexpr std::string_view kCantFind = "can't find file ";
constexpr std::string_view kCantWriteIntermediate = "can't write cleanfile ";
constexpr std::string_view kCantFindIntermediate = "can't find cleanfile ";
constexpr std::string_view kCantMake = "can't make file ";
constexpr std::string_view kDone = "Done, results in: ";
constexpr unsigned kDonePauseMs = 3000;

}  // namespace

void run_email_extraction()
{
    for (std::string_view line : kPrompt)
        print_line(line);
    const std::string stem = read_stem();
    const std::string input_name = stem + ".txt";

    // The text goes, piece by piece and broken, into an intermediate file of
    // our own making under the first free name of cleanfile.txt,
    // cleanfile1.txt ..., with no copy of it in memory. The console and the
    // files end as they would after reading the whole text first: a text that
    // cannot be read leaves nothing behind, and the intermediate's failure is
    // reported after it. The intermediate lives as long as `intermediate`,
    // which removes it on every way out of the command.
    PieceReader input(input_name, failure(kCantFind, input_name, kExiting));
    ResultFile intermediate;
    std::string intermediate_name;
    stream_list(
        input,
        [&] {
            intermediate_name = intermediate.open_first_free("cleanfile", ".txt");
            return !intermediate_name.empty();
        },
        [&intermediate](std::span<char> piece) {
            break_text(piece);
            intermediate.write({piece.data(), piece.size()});
        });
    const bool written = !intermediate_name.empty() && intermediate.close();
    print_line();
    if (!written)
        fail(kCantWriteIntermediate, {}, kExiting);
    input.close();

    // The words of the intermediate that hold an at sign go, piece by piece,
    // to the result, and the intermediate is removed before the result takes
    // its place.
    const std::string result_name = stem + "EPX.txt";
    ResultFile result;
    {
        PieceReader back(intermediate_name, failure(kCantFindIntermediate, {}, kExiting), true);
        stream_list(
            back, [&] { return result.open(result_name, {input_name, intermediate_name}, InputsRead::streamed); },
            [&result](std::span<char> piece) {
                const auto write = [&result](std::string_view word) { result.write_line(word); };
                for_each_word_with_at_signs({piece.data(), piece.size()}, write);
            });
    }
    print_line();
    intermediate.remove();
    if (!result.close())
        fail(kCantMake, result_name, kExiting);
    print_line_with_name(kDone, result_name);
    platform::pause(kDonePauseMs);
}

void break_text(std::span<char> text)
{
    // The five break characters, tested without branches so that the compiler
    // checks many bytes at once: "(" and ")" are neighbours, and "<" and ">"
    // differ only in the bit of value 2.
    for (char& byte : text) {
        const bool breaks = (static_cast<unsigned char>(byte - '(') < 2) | ((byte | 2) == '>') | (byte == ',');
        byte = breaks ? '\n' : byte;
    }
}

}  // namespace mordavelle
