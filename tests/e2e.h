// End-to-end runs: the program in a fresh folder, with a scripted console,
// its standard output, its exit status, its recorded pauses and tones, and the
// folder's files afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// File name to contents; a name that is not a regular file maps to a marker.
using Files = std::map<std::string, std::string>;

inline const std::string kRecordingProgram = MORDAVELLE_RECORDING_PROGRAM;
inline const std::string kShippedProgram = MORDAVELLE_SHIPPED_PROGRAM;

struct Result {
    std::string out;
    std::vector<std::string> events;  // the recorded pauses and tones, in order
    std::vector<std::string> colours;  // the recorded colour changes, in order
    int status = -1;
    double seconds = 0;
};

class Folder {
public:
    Folder();
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    std::filesystem::path path() const { return root_ / "work"; }
    void write(const std::string& name, std::string_view contents) const;
    void write(const Files& files) const;
    Files files() const;

    // Runs the program in the folder with the given console input.
    Result run(std::string_view input, const std::string& program = kRecordingProgram) const;
    // Runs a shell command line in the folder, its standard streams wired as run() wires the program's.
    Result run_shell(std::string_view input, const std::string& command_line) const;
    // Runs a shell command in the folder, for setting up links and modes.
    void shell(const std::string& command) const;

private:
    std::filesystem::path root_;
};

// The bytes of a file; empty when there is none.
std::string read_file(const std::filesystem::path& path);

// The files with one more, or with one changed.
inline Files with(Files files, const std::string& name, const std::string& contents)
{
    files[name] = contents;
    return files;
}

// The lines joined, each with its line end.
std::string lines(std::initializer_list<std::string_view> items);

// The whole menu as one cycle paints it, from tests/cases/menu.txt.
std::string menu();

// The folder of the dialogue cases.
std::filesystem::path cases_folder();

// One end-to-end case: the folder before, the typed input, and everything
// expected after. A field left out is empty, and the status 0.
struct Case {
    std::string name = {};
    std::filesystem::path folder = {};  // where the case is kept
    Files before = {};
    std::string input = {};
    std::string out = {};
    Files after = {};
    int status = 0;
    std::vector<std::string> events = {};  // the recorded pauses and tones
    bool posix_only = false;
    std::string problem = {};  // what makes the case unreadable, as a failure to show
};

// Every case under tests/cases, one a folder <command>/<case>, named
// <command>_<case>. A line of an expected output that names a shared text,
// "@menu" or one of `shared`, stands for that text.
std::vector<Case> load_cases(std::map<std::string, std::string> shared);

// Shows a case by its name in test listings.
inline void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

// Names a parameterised test after its case.
inline std::string case_name(const testing::TestParamInfo<Case>& param)
{
    return param.param.name;
}

// Makes the case's files, runs its setup and then the program, and checks every
// expectation; on a failure, prints one block with the status, the expected
// and actual output and events, and every file.
void check(const Case& c);

// Equal files, or which of them differ, with sizes and where they first differ.
testing::AssertionResult same_files(const Files& actual, const Files& expected);

// Equal texts, or their sizes and the bytes around their first difference.
testing::AssertionResult same_text(const std::string& actual, const std::string& expected);

}  // namespace e2e
