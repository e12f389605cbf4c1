// A program started in a test's folder and left running, so that a test can
// act while it works: type to it, read what it shows, close its console or
// send it a signal, then see how it ended.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace e2e {

class Running {
public:
    // The console is a pair of pipes, or a pseudo-terminal.
    enum class Console { pipes, terminal };

    Running(const std::filesystem::path& folder, const std::string& program, Console console);
    ~Running();
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

    void type(std::string_view text) const;

    // Reads what the program shows until `marker` has been shown; false when
    // it has not after `seconds`.
    bool read_until(std::string_view marker, double seconds = 20);

    // Reads what the program shows for `seconds`, or until its console ends.
    void read_for(double seconds);

    // Closes the test's end of the program's console output.
    void close_console();

    void signal(int signal_number) const;

    // Waits for the program to end and returns its wait status; reads what it
    // shows meanwhile, unless the console is closed.
    int wait(double seconds = 30);

    const std::string& shown() const { return shown_; }
    pid_t pid() const { return pid_; }

private:
    // Reads once what is there, waiting up to `seconds`; false at the end.
    bool read_some(double seconds);

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    bool ended_ = false;
    int status_ = 0;
    std::string shown_;
};

// Feeds a list through a named pipe in a test's folder, so that the test
// decides when the program has read how much of it.
class Feeder {
public:
    Feeder(const std::filesystem::path& folder, const std::string& name);
    ~Feeder();
    Feeder(const Feeder&) = delete;
    Feeder& operator=(const Feeder&) = delete;

    // Waits until the program opens the pipe, reading what it shows meanwhile.
    bool wait_for_reader(Running& program);
    void feed(std::string_view text) const;
    // Ends the list: the program reads to its end.
    void end();

private:
    std::filesystem::path path_;
    int pipe_ = -1;
};

}  // namespace e2e
