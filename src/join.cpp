#include "commands.h"
#include "console.h"
#include "entry_set.h"
#include "list_file.h"
#include "platform/files.h"
#include "result_file.h"
#include "characters.h"
#include "entries.h"

#include <string>

namespace mordavelle {
namespace {

constexpr std::string_view kIntroduction[] = {
    "Combines two lists,",
    "removes redundant strings.",
    "NOTE: CASE-SENSITIVE! (better change all to lower case first)",
    "",
};
constexpr std::string_view kAskFirst = "file name 1?";
constexpr std::string_view kAskSecond = "file name 2?";
constexpr std::string_view kSuffixNote = "(I will add the .txt suffix in names).";
constexpr std::string_view kNoSuchFile = "no such file ";
constexpr std::string_view kCantWrite = "cannot write output file";
constexpr std::string_view kDone = "Done combining files, output is in the file ";

}  // namespace

void run_join()
{
    for (const std::string_view line : kIntroduction)
        print_line(line);
    print_line(kAskFirst);
    print_line(kSuffixNote);
    const std::string first_stem = read_stem();
    const std::string first_name = first_stem + ".txt";
    const std::string first_text = read_list(first_name, failure(kNoSuchFile, first_name, kExiting));

    print_line(kAskSecond);
    print_line(kSuffixNote);
    const std::string second_stem = read_stem();
    const std::string second_name = second_stem + ".txt";
    // The joined list lies beside the first, whatever folder the second is in.
    const std::string joined_name =
        first_stem + "_" + second_stem.substr(platform::folder_of(second_stem).size()) + ".txt";
    const std::string second_text = read_list(second_name, failure(kNoSuchFile, second_name, kExiting));

    // Entries in two encodings are joined in UTF-8. The entries go from both
    // texts straight into the set, with no list of either text's entries in
    // between.
    bool beyond_ascii = false;
    const std::size_t most = count_entries(first_text, &beyond_ascii) + count_entries(second_text, &beyond_ascii);
    const bool in_two = beyond_ascii && holds_two_encodings(first_text, second_text);
    const std::string first_converted = in_two ? in_characters(first_text) : std::string();
    const std::string second_converted = in_two ? in_characters(second_text) : std::string();
    const auto joined = join_entries(CharacterCursor(first_text, first_converted),
                                     CharacterCursor(second_text, second_converted), most);
    ResultFile out;
    if (out.open(joined_name, {first_name, second_name}, InputsRead::whole)) {
        for (const std::string_view entry : joined)
            out.write_line(entry);
    }
    if (!out.close())
        fail(kCantWrite, joined_name, kExiting);

    print_line_with_name(kDone, joined_name);
    print_line();
}

}  // namespace mordavelle
