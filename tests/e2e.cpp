#include "e2e.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace e2e {
namespace {

std::string slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

std::string in_quotes(const std::filesystem::path& path)
{
    std::string quoted = path.string();
    quoted.insert(quoted.begin(), '\'');
    quoted += '\'';
    return quoted;
}

}  // namespace

Folder::Folder()
{
    std::random_device random;
    root_ = std::filesystem::temp_directory_path() / ("mordavelle-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path());
}

Folder::~Folder()
{
    std::error_code ignored;
    // A test may leave the folder read-only; give it back before removing it.
    std::filesystem::permissions(path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(root_, ignored);
}

void Folder::write(const std::string& name, std::string_view contents) const
{
    std::ofstream out(path() / name, std::ios::binary);
    out << contents;
}

void Folder::write(const Files& files) const
{
    for (const auto& [name, contents] : files)
        write(name, contents);
}

Files Folder::files() const
{
    Files found;
    for (const auto& entry : std::filesystem::directory_iterator(path())) {
        const std::string name = entry.path().filename().string();
        if (entry.is_symlink())
            found[name] = "<link to " + std::filesystem::read_symlink(entry.path()).string() + ">";
        else if (entry.is_regular_file())
            found[name] = slurp(entry.path());
        else
            found[name] = "<not a regular file>";
    }
    return found;
}

void Folder::shell(const std::string& command) const
{
    ASSERT_EQ(std::system(("cd " + in_quotes(path()) + " && " + command).c_str()), 0) << command;
}

Result Folder::run(std::string_view input, const std::string& program) const
{
    return run_shell(input, in_quotes(program));
}

Result Folder::run_shell(std::string_view input, const std::string& command_line) const
{
    {
        std::ofstream script(root_ / "stdin", std::ios::binary);
        script << input;
    }
    // The timeout keeps a program that loops from hanging the suite.
    const std::string command = "cd " + in_quotes(path()) + " && timeout 60 " + command_line + " < " +
                                in_quotes(root_ / "stdin") + " > " + in_quotes(root_ / "stdout") + " 2> " +
                                in_quotes(root_ / "log") + "; echo $? > " + in_quotes(root_ / "status");
    const auto start = std::chrono::steady_clock::now();
    (void)std::system(command.c_str());
    Result result;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.out = slurp(root_ / "stdout");
    result.status = std::atoi(slurp(root_ / "status").c_str());
    std::istringstream log(slurp(root_ / "log"));
    for (std::string line; std::getline(log, line);) {
        if (line.rfind("colour ", 0) == 0)
            result.colours.push_back(line.substr(7));
        else if (line != "help box")
            result.events.push_back(line);
    }
    return result;
}

std::string lines(std::initializer_list<std::string_view> items)
{
    std::string joined;
    for (std::string_view item : items) {
        joined += item;
        joined += '\n';
    }
    return joined;
}

std::string menu()
{
    return lines({
        "***********************",
        "Mordavelle E-mail-list handler",
        "_____version 2___________",
        "A/a: Alphabetically sort file contents.",
        "C/c: Count the number of strings in a file.",
        "D/d: Sort by Department name.",
        "E/e: Extract e-mail addresses from a text.",
        "J/j: Join two lists, remove redundancies.",
        "L/l: Change to lower case.",
        "N/n: Extract full names from e-mails.",
        "S/s: Subtract one list from another.",
        "                        ",
        "H/h: Helpful tips.",
        "Q/q to quit",
        "                        ",
        "Made by the Mordavelle developers, for people who keep lists.",
        "***********************",
    });
}

void check(const Case& c)
{
    SCOPED_TRACE(c.name);
    Folder folder;
    folder.write(c.before);
    const Result result = folder.run(c.input);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.events, c.events);
    EXPECT_EQ(folder.files(), c.after);
}

}  // namespace e2e
