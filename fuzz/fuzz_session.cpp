// A whole session: random console input against a folder of random lists,
// through the menu and every command, with pauses and tones recorded. The
// program must end (by the quit word, the end of input or a failure) without
// a crash, with status 0 or 1.
#include "console.h"
#include "commands.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// The input is the console text, then the contents of a.txt and b.txt, each
// part ending at a 0xFF byte.
std::string_view next_part(std::string_view& rest)
{
    const auto end = std::min(rest.find('\xff'), rest.size());
    const auto part = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    return part;
}

const std::filesystem::path& session_folder()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("mordavelle-fuzz-" + std::to_string(std::rand()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string console{next_part(rest)};
    const auto& folder = session_folder();
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        std::filesystem::remove_all(entry.path());
    for (const char* name : {"a.txt", "b.txt"}) {
        std::ofstream file(folder / name, std::ios::binary);
        file << next_part(rest);
    }

    // The program works in the current folder; the fuzzer's own paths are relative to the one it started in.
    const auto start_folder = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    std::istringstream input(console);
    std::ostringstream output;
    auto* const console_in = std::cin.rdbuf(input.rdbuf());
    auto* const console_out = std::cout.rdbuf(output.rdbuf());
    int status = -1;
    try {
        status = mordavelle::run_menu();
    } catch (const mordavelle::Failure& failure) {
        status = mordavelle::show(failure);
    }
    std::cin.rdbuf(console_in);
    std::cout.rdbuf(console_out);
    std::cin.clear();
    std::filesystem::current_path(start_folder);
    if (status != 0 && status != 1)
        std::abort();
    return 0;
}
