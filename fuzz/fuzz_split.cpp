// Splitting a text into entries: every entry is a run of non-white-space bytes,
// in text order, and writing them one per line and splitting again gives them back.
#include "entries.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto entries = mordavelle::split_entries(text);
    std::size_t from = 0;
    std::string written;
    for (const std::string_view entry : entries) {
        if (entry.empty() || entry.data() < text.data() + from)
            std::abort();
        for (const char byte : entry)
            if (mordavelle::is_separator(static_cast<unsigned char>(byte)))
                std::abort();
        from = static_cast<std::size_t>(entry.data() + entry.size() - text.data());
        written += entry;
        written += '\n';
    }
    if (mordavelle::split_entries(written) != entries)
        std::abort();
    return 0;
}
