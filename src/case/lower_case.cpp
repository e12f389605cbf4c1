#include "case/lower_case.h"

#include "case/case.h"
#include "shell/console.h"
#include "shell/failure.h"
#include "shell/engine/entries.h"
#include "shell/engine/list_reading.h"

namespace casing {
namespace {

constexpr std::string_view kPrompt[] = {
    "Input file name. All upper case letters",
    "(except non-English)",
    "will be replaced with lower case letters.",
    "(I will add the .txt suffix in names).",
};
constexpr std::string_view kCantFind = "can't find file ";
constexpr std::string_view kCantWrite = "can't write file ";
constexpr std::string_view kDone = "It is done, see file ";

}  // namespace

// The scratch names "Tempstring.txt" and "Cleanstring.txt" are never written
// here, so a file of either name can only be the user's and is left alone.
void run_lower_case()
{
    for (std::string_view line : kPrompt)
        shell::print_line(line);
    const std::string stem = shell::read_stem();
    const std::string output_name = stem + "_low.txt";
    const std::string input_name = stem + ".txt";

    // The list goes through one small buffer, piece by piece, lowered in
    // place and written one entry per line: no list is held in memory. The
    // result takes its place only once complete, so a result that is the list
    // itself under another name is read to its end before it changes.
    shell::PieceReader list;
    if (!list.open(input_name))
        shell::fail(kCantFind, input_name, shell::kShuttingDown);
    shell::OutputFile out;
    const bool read = shell::stream_list(
        list, out, [&] { return out.open(output_name, {input_name}); },
        [&out](std::span<char> piece) {
            lower_letters(piece);
            const auto write = [&out](std::string_view entry) { out.write_line(entry); };
            shell::for_each_entry({piece.data(), piece.size()}, write);
        });
    // The console ends as it would after reading the whole list first: the
    // list's failure comes before the result's.
    if (!read)
        shell::fail(kCantFind, input_name, shell::kShuttingDown);
    shell::print_line();
    if (!out.close())
        shell::fail(kCantWrite, output_name, shell::kShuttingDown);
    shell::print_line_with_name(kDone, output_name);
    shell::print_line();
}

}  // namespace casing
