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

void break_text(std::string& text)
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

void run_email_extraction()
{
    for (std::string_view line : kPrompt)
        shell::print_line(line);
    const std::string stem = shell::read_stem();
    const std::string input_name = stem + ".txt";

    auto text = shell::read_file(input_name);
    if (!text)
        shell::fail(kCantFind, input_name, shell::kExiting);
    shell::print_line();

    // The broken text goes through an intermediate file of our own making.
    break_text(*text);
    shell::OutputFile intermediate;
    const std::string intermediate_name = open_intermediate(intermediate);
    if (intermediate_name.empty())
        shell::fail(kCantWriteIntermediate, {}, shell::kExiting);
    intermediate.write(*text);
    if (!intermediate.close()) {
        platform::remove_file(intermediate_name);
        shell::fail(kCantWriteIntermediate, {}, shell::kExiting);
    }
    // The text's memory is reused for what comes back.
    if (!shell::read_file_into(intermediate_name, *text))
        shell::fail(kCantFindIntermediate, {}, shell::kExiting);
    shell::print_line();
    platform::remove_file(intermediate_name);

    // The words go straight to the result file, with no list in between.
    const std::string result_name = stem + "EPX.txt";
    shell::OutputFile result;
    if (result.open(result_name))
        for_each_word_with_at_signs(*text, [&result](std::string_view word) { result.write_line(word); });
    if (!result.close())
        shell::fail(kCantMake, result_name, shell::kExiting);
    shell::print_line(std::string{kDone} + result_name);
    platform::pause(kDonePauseMs);
}

}  // namespace extract
