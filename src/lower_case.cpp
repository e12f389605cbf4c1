#include "commands.h"
#include "console.h"
#include "list_file.h"
#include "result_file.h"
#include "entries.h"

namespace mordavelle {
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
        print_line(line);
    const std::string stem = read_stem();
    const std::string output_name = stem + "_low.txt";
    const std::string input_name = stem + ".txt";

    // The list goes through one small buffer, piece by piece, lowered in
    // place and written one entry per line: no list is held in memory. The
    // console ends as it would after reading the whole list first: the list's
    // failure comes before the result's.
    PieceReader list(input_name, failure(kCantFind, input_name, kShuttingDown));
    ResultFile out;
    stream_list(
        list, [&] { return out.open(output_name, {input_name}, InputsRead::streamed); },
        [&out](std::span<char> piece) {
            fCaser(piece);
            for_each_entry({piece.data(), piece.size()}, [&out](std::string_view entry) { out.write_line(entry); });
        });
    print_line();
    if (!out.close())
        fail(kCantWrite, output_name, kShuttingDown);
    print_line_with_name(kDone, output_name);
    print_line();
}

}  // namespace mordavelle
