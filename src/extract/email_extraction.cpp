#include "extract/email_extraction.h"

#include "platform/platform.h"
#include "shell/console.h"
#include "shell/failure.h"

#include <filesystem>
#include <system_error>

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

bool name_is_taken(const std::string& name)
{
    // A dangling link or a directory takes a name as much as a file does.
    std::error_code error;
    return std::filesystem::symlink_status(name, error).type() != std::filesystem::file_type::not_found;
}

}  // namespace

void break_text(std::span<char> text)
{
    for (char& byte : text)
        byte = is_break(byte) ? '\n' : byte;
}

std::vector<std::string_view> words_with_at_signs(std::string_view text)
{
    std::vector<std::string_view> words;
    for_each_word_with_at_signs(text, [&words](std::string_view word) { words.push_back(word); });
    return words;
}

std::string open_intermediate(shell::OutputFile& out)
{
    // The folder holds finitely many names, so a free one comes at last.
    for (unsigned number = 0;; ++number) {
        std::string name = "cleanfile" + (number == 0 ? std::string{} : std::to_string(number)) + ".txt";
        if (out.open_new(name))
            return name;
        if (!name_is_taken(name))
            return {};
    }
}

namespace {

// The text goes, piece by piece and broken, into an intermediate file of our
// own making, with no copy of it in memory. The console and the files end as
// they would after reading the whole text first: a text that cannot be read
// leaves nothing behind, and the intermediate's failure is reported after it.
std::string write_intermediate(shell::PieceReader& input, const std::string& input_name)
{
    auto piece = input.next();
    if (input.failed())
        shell::fail(kCantFind, input_name, shell::kExiting);
    shell::OutputFile intermediate;
    std::string name = open_intermediate(intermediate);
    for (; !piece.empty(); piece = input.next()) {
        if (name.empty())
            continue;
        break_text(piece);
        intermediate.write({piece.data(), piece.size()});
    }
    const bool written = intermediate.close();
    if (input.failed() || (!name.empty() && !written)) {
        if (!name.empty())
            platform::remove_file(name);
        if (input.failed())
            shell::fail(kCantFind, input_name, shell::kExiting);
    }
    shell::print_line();
    if (name.empty() || !written)
        shell::fail(kCantWriteIntermediate, {}, shell::kExiting);
    return name;
}

// The words of the intermediate file that hold an at sign go, piece by
// piece, to the result file, and the intermediate is removed. A result that
// is the intermediate itself under another name is written only once the
// intermediate has been read whole.
void write_result(const std::string& intermediate_name, const std::string& result_name)
{
    shell::PieceReader back;
    std::string whole;
    const bool at_once = shell::same_file(result_name, intermediate_name);
    if (at_once ? !shell::read_file_into(intermediate_name, whole) : !back.open(intermediate_name))
        shell::fail(kCantFindIntermediate, {}, shell::kExiting);
    auto piece = at_once ? std::span<char>(whole) : back.next();
    if (back.failed())
        shell::fail(kCantFindIntermediate, {}, shell::kExiting);
    if (at_once) {
        shell::print_line();
        platform::remove_file(intermediate_name);
    }
    shell::OutputFile result;
    const bool opened = result.open(result_name);
    for (; !piece.empty(); piece = at_once ? std::span<char>() : back.next()) {
        if (opened) {
            for_each_word_with_at_signs({piece.data(), piece.size()},
                                        [&result](std::string_view word) { result.write_line(word); });
        }
    }
    // A read error after the first piece leaves the result partly written,
    // and never announced.
    if (back.failed())
        shell::fail(kCantFindIntermediate, {}, shell::kExiting);
    if (!at_once) {
        back.close();
        shell::print_line();
        platform::remove_file(intermediate_name);
    }
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
    const std::string intermediate_name = write_intermediate(input, input_name);
    const std::string result_name = stem + "EPX.txt";
    write_result(intermediate_name, result_name);
    shell::print_line(std::string{kDone} + result_name);
    platform::pause(kDonePauseMs);
}

}  // namespace extract
