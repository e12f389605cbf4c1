#include "extract/email_extraction.h"

#include "platform/console.h"
#include "shell/console.h"
#include "shell/failure.h"


namespace extract {
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

// The five break characters ( ) , < >, tested without branches so that the
// compiler checks many bytes at once: "(" and ")" are neighbours, and "<" and
// ">" differ only in the bit of value 2.
constexpr bool is_break(char byte)
{
    return (static_cast<unsigned char>(byte - '(') < 2) | ((byte | 2) == '>') | (byte == ',');
}

}  // namespace

void break_text(std::span<char> text)
{
    for (char& byte : text)
        byte = is_break(byte) ? '\n' : byte;
}

std::string open_intermediate(shell::OutputFile& out)
{
    return out.open_first_free("cleanfile", ".txt");
}

namespace {

// The text goes, piece by piece and broken, into an intermediate file of our
// own making, with no copy of it in memory. The console and the files end as
// they would after reading the whole text first: a text that cannot be read
// leaves nothing behind, and the intermediate's failure is reported after it.
// The intermediate lives as long as `intermediate`, which removes it on every
// way out of the command.
std::string write_intermediate(shell::PieceReader& text, const std::string& text_name, shell::OutputFile& intermediate)
{
    std::string name;
    const bool read = shell::stream_list(
        text, intermediate,
        [&] {
            name = open_intermediate(intermediate);
            return !name.empty();
        },
        [&intermediate](std::span<char> piece) {
            break_text(piece);
            intermediate.write({piece.data(), piece.size()});
        });
    if (!read)
        shell::fail(kCantFind, text_name, shell::kExiting);
    const bool written = !name.empty() && intermediate.close();
    shell::print_line();
    if (!written)
        shell::fail(kCantWriteIntermediate, {}, shell::kExiting);
    return name;
}

// The words of the intermediate file that hold an at sign go, piece by
// piece, to the result file, and the intermediate is removed before the
// result takes its place.
void write_result(shell::OutputFile& intermediate, const std::string& intermediate_name,
                  const std::string& text_name, const std::string& result_name)
{
    shell::PieceReader back;
    shell::OutputFile result;
    const bool read = back.open(intermediate_name) &&
                      shell::stream_list(
                          back, result, [&] { return result.open(result_name, {text_name, intermediate_name}); },
                          [&result](std::span<char> piece) {
                              const auto write = [&result](std::string_view word) { result.write_line(word); };
                              for_each_word_with_at_signs({piece.data(), piece.size()}, write);
                          });
    back.close();
    if (!read) {
        intermediate.remove();
        shell::fail(kCantFindIntermediate, {}, shell::kExiting);
    }
    shell::print_line();
    intermediate.remove();
    if (!result.close())
        shell::fail(kCantMake, result_name, shell::kExiting);
}

}  // namespace

void run_email_extraction()
{
    for (std::string_view line : kPrompt)
        shell::print_line(line);
    const std::string stem = shell::read_stem();
    const std::string input_name = stem + ".txt";

    shell::PieceReader input;
    if (!input.open(input_name))
        shell::fail(kCantFind, input_name, shell::kExiting);
    shell::OutputFile intermediate;
    const std::string intermediate_name = write_intermediate(input, input_name, intermediate);
    input.close();
    const std::string result_name = stem + "EPX.txt";
    write_result(intermediate, intermediate_name, input_name, result_name);
    shell::print_line_with_name(kDone, result_name);
    platform::pause(kDonePauseMs);
}

}  // namespace extract
