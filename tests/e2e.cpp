#include "e2e.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>

namespace e2e {
namespace {

std::string in_quotes(const std::filesystem::path& path)
{
    std::string quoted = path.string();
    quoted.insert(quoted.begin(), '\'');
    quoted += '\'';
    return quoted;
}

}  // namespace

std::string read_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

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
            found[name] = read_file(entry.path());
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
    result.out = read_file(root_ / "stdout");
    result.status = std::atoi(read_file(root_ / "status").c_str());
    std::istringstream log(read_file(root_ / "log"));
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

namespace {

// The text with every byte that a terminal would not show as itself written as \xNN.
std::string visible(std::string_view text)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string shown;
    for (const char byte : text) {
        const auto value = static_cast<unsigned char>(byte);
        if (byte == '\n' || (value >= 0x20 && value < 0x7f)) {
            shown += byte;
        } else {
            shown += "\\x";
            shown += kDigits[value >> 4];
            shown += kDigits[value & 0xf];
        }
    }
    return shown;
}

// The output with each whole menu written as the line @menu, as the cases write it.
std::string folded(const std::string& out, const std::string& menu_text)
{
    std::string text;
    for (std::size_t at = 0; at < out.size();) {
        if ((at == 0 || out[at - 1] == '\n') && out.compare(at, menu_text.size(), menu_text) == 0) {
            text += "@menu\n";
            at += menu_text.size();
        } else {
            text += out[at++];
        }
    }
    return text;
}

std::string joined(const std::vector<std::string>& events)
{
    std::string text;
    for (const std::string& event : events)
        text += event + "\n";
    return text;
}

// Everything under a folder by its path there: a file as its bytes, a folder
// as "name/", a link as where it leads. An empty `.empty` only keeps its
// folder in git, and is left out.
Files tree(const std::filesystem::path& folder)
{
    Files files;
    if (!std::filesystem::is_directory(folder))
        return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             folder, std::filesystem::directory_options::skip_permission_denied)) {
        const std::string name = entry.path().lexically_relative(folder).generic_string();
        if (entry.is_symlink())
            files[name] = "<link to " + std::filesystem::read_symlink(entry.path()).string() + ">";
        else if (entry.is_directory())
            files[name + "/"] = "<folder>";
        else if (!entry.is_regular_file())
            files[name] = "<not a regular file>";
        else if (entry.path().filename() != ".empty")
            files[name] = read_file(entry.path());
    }
    return files;
}

// Makes what tree() lists, folders and links included.
void make_tree(const std::filesystem::path& folder, const Files& files)
{
    for (const auto& [name, contents] : files) {
        const auto path = folder / name;
        std::filesystem::create_directories(path.parent_path());
        if (name.ends_with('/'))
            std::filesystem::create_directories(path);
        else if (contents.starts_with("<link to ") && contents.ends_with('>'))
            std::filesystem::create_symlink(contents.substr(9, contents.size() - 10), path);
        else
            std::ofstream(path, std::ios::binary) << contents;
    }
}

// The output as the program prints it: each line that names a shared text, such as @menu, replaced by that text.
std::string expanded(const std::string& text, const std::map<std::string, std::string>& shared,
                     const std::filesystem::path& file)
{
    std::string out;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        if (line.starts_with('@')) {
            const auto found = shared.find(line);
            if (found == shared.end())
                throw std::runtime_error(file.string() + ": no shared text is named " + line);
            out += found->second;
        } else {
            out += text.substr(start, end + 1 - start);
        }
        start = end + 1;
    }
    return out;
}

std::vector<std::filesystem::path> folders_in(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> folders;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_directory())
            folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    return folders;
}

// The files a case may hold. Any other is a misspelling, which would leave
// what it means to say at its default: status 0, no events.
const std::set<std::string> kCaseFiles = {"before", "setup", "input", "output", "after",
                                          "gone", "status", "events", "posix-only"};

Case read_case(const std::filesystem::path& folder, const std::map<std::string, std::string>& shared)
{
    Case c;
    c.name = folder.parent_path().filename().string() + "_" + folder.filename().string();
    c.folder = folder;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!kCaseFiles.contains(entry.path().filename().string()))
            c.problem += "a file this runner does not know: " + entry.path().filename().string() + "\n";
    }
    if (!std::filesystem::exists(folder / "output"))
        c.problem += "no output\n";
    c.before = tree(folder / "before");
    c.input = read_file(folder / "input");
    c.out = expanded(read_file(folder / "output"), shared, folder / "output");
    // after/ holds what changes or is new; what it leaves out stays as it
    // was, but for the names `gone` lists.
    c.after = c.before;
    for (auto& [name, contents] : tree(folder / "after"))
        c.after[name] = std::move(contents);
    std::istringstream gone(read_file(folder / "gone"));
    for (std::string name; std::getline(gone, name);) {
        if (c.after.erase(name) == 0)
            c.problem += "gone, but not there before: " + name + "\n";
    }
    if (std::filesystem::exists(folder / "status"))
        c.status = std::stoi(read_file(folder / "status"));
    std::istringstream events(read_file(folder / "events"));
    for (std::string line; std::getline(events, line);)
        c.events.push_back(line);
    c.posix_only = std::filesystem::exists(folder / "posix-only");
    return c;
}

// What a folder holds, file by file, marking where it differs from what was
// expected: a file that differs in full when `whole`, else by its size and the
// bytes around its first difference.
std::string listing(const Files& expected, const Files& actual, bool whole)
{
    std::string text;
    Files all = expected;
    all.insert(actual.begin(), actual.end());
    for (const auto& [name, ignored] : all) {
        const auto wanted = expected.find(name);
        const auto found = actual.find(name);
        if (found == actual.end()) {
            text += name + ": MISSING, expected:\n" + visible(wanted->second) + "\n";
        } else if (wanted == expected.end()) {
            text += name + ": NOT EXPECTED, holds:\n" + visible(found->second) + "\n";
        } else if (wanted->second == found->second) {
            text += name + ": as expected, " + std::to_string(found->second.size()) + " bytes\n";
        } else if (whole) {
            text += name + ": DIFFERS, expected:\n" + visible(wanted->second) + "\n" + name + ", holds:\n" +
                    visible(found->second) + "\n";
        } else {
            text += name + ": DIFFERS, " + same_text(found->second, wanted->second).message() + "\n";
        }
    }
    return text;
}

}  // namespace

std::filesystem::path cases_folder()
{
    return MORDAVELLE_CASES_DIR;
}

std::string menu()
{
    static const std::string text = read_file(cases_folder() / "menu.txt");
    return text;
}

std::vector<Case> load_cases(std::map<std::string, std::string> shared)
{
    shared["@menu"] = menu();
    std::vector<Case> cases;
    for (const auto& command : folders_in(cases_folder()))
        for (const auto& folder : folders_in(command))
            cases.push_back(read_case(folder, shared));
    return cases;
}

void check(const Case& c)
{
    if (!c.problem.empty()) {
        ADD_FAILURE() << "case " << c.folder.string() << " cannot be read:\n" << c.problem;
        return;
    }
    Folder folder;
    make_tree(folder.path(), c.before);
    if (std::filesystem::exists(c.folder / "setup"))
        folder.shell("sh " + in_quotes(c.folder / "setup"));
    const Result result = folder.run(c.input);
    const Files after = tree(folder.path());
    if (result.out == c.out && result.status == c.status && result.events == c.events && after == c.after)
        return;
    ADD_FAILURE() << "case " << c.folder.string() << "\nstatus: " << result.status << ", expected " << c.status
                  << "\n--- output expected ---\n" << visible(folded(c.out, menu())) << "--- output ---\n"
                  << visible(folded(result.out, menu()))
                  << "--- events expected ---\n" << joined(c.events) << "--- events ---\n"
                  << joined(result.events) << "--- folder afterwards ---\n" << listing(c.after, after, true);
}

testing::AssertionResult same_files(const Files& actual, const Files& expected)
{
    if (actual == expected)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the folder differs:\n" << listing(expected, actual, false);
}

testing::AssertionResult same_text(const std::string& actual, const std::string& expected)
{
    if (actual == expected)
        return testing::AssertionSuccess();
    const auto at = static_cast<std::size_t>(
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first - expected.begin());
    const std::size_t from = at < 40 ? 0 : at - 40;
    return testing::AssertionFailure() << actual.size() << " bytes, expected " << expected.size()
                                       << "; the first difference at byte " << at << ":\n  expected ..."
                                       << visible(expected.substr(from, 80)) << "...\n  got      ..."
                                       << visible(actual.substr(from, 80)) << "...";
}

}  // namespace e2e
