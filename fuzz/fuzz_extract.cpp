// E-mail words: every word handed over holds an at sign and stands in the
// text, as often as it holds at signs, in text order.
#include "email_extraction.h"
#include "entries.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    mordavelle::break_text(text);
    for (const char byte : text)
        if (byte == '(' || byte == ')' || byte == ',' || byte == '<' || byte == '>')
            std::abort();

    std::vector<std::string_view> expected;
    for (const std::string_view word : mordavelle::split_entries(text))
        for (auto at_signs = std::count(word.begin(), word.end(), '@'); at_signs > 0; --at_signs)
            expected.push_back(word);
    std::vector<std::string_view> words;
    mordavelle::for_each_word_with_at_signs(text, [&words](std::string_view word) { words.push_back(word); });
    if (words != expected)
        std::abort();
    return 0;
}
