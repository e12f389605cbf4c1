#include "running.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

[[noreturn]] void start_in(const std::filesystem::path& folder, const std::string& program)
{
    if (chdir(folder.c_str()) == 0)
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

}  // namespace

Running::Running(const std::filesystem::path& folder, const std::string& program, Console console)
{
    if (console == Console::terminal) {
        int terminal = -1;
        pid_ = forkpty(&terminal, nullptr, nullptr, nullptr);
        if (pid_ == 0)
            start_in(folder, program);
        input_ = terminal;
        output_ = terminal;
        return;
    }
    int to_program[2];
    int from_program[2];
    if (pipe(to_program) != 0 || pipe(from_program) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(to_program[0], STDIN_FILENO);
        dup2(from_program[1], STDOUT_FILENO);
        const int nowhere = open("/dev/null", O_WRONLY);
        dup2(nowhere, STDERR_FILENO);
        for (const int descriptor : {to_program[0], to_program[1], from_program[0], from_program[1], nowhere})
            close(descriptor);
        start_in(folder, program);
    }
    close(to_program[0]);
    close(from_program[1]);
    input_ = to_program[1];
    output_ = from_program[0];
}

Running::~Running()
{
    if (!ended_ && pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (input_ >= 0 && input_ != output_)
        close(input_);
    if (output_ >= 0)
        close(output_);
}

void Running::type(std::string_view text) const
{
    ASSERT_EQ(write(input_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

bool Running::read_some(double seconds)
{
    if (output_ < 0)
        return false;
    pollfd ready = {output_, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(seconds * 1000)) <= 0)
        return true;
    char buffer[65536];
    const ssize_t got = read(output_, buffer, sizeof buffer);
    // A terminal whose program has ended reads as an error, a pipe as empty.
    if (got <= 0)
        return false;
    shown_.append(buffer, static_cast<std::size_t>(got));
    return true;
}

bool Running::read_until(std::string_view marker, double seconds)
{
    const auto start = Clock::now();
    while (shown_.find(marker) == std::string::npos) {
        const double left = seconds - seconds_since(start);
        if (left <= 0 || !read_some(left))
            return shown_.find(marker) != std::string::npos;
    }
    return true;
}

void Running::read_for(double seconds)
{
    const auto start = Clock::now();
    for (double left = seconds; left > 0; left = seconds - seconds_since(start)) {
        if (!read_some(left))
            return;
    }
}

void Running::close_console()
{
    if (output_ != input_)
        close(output_);
    output_ = -1;
}

void Running::signal(int signal_number) const
{
    kill(pid_, signal_number);
}

int Running::wait(double seconds)
{
    const auto start = Clock::now();
    while (!ended_) {
        if (waitpid(pid_, &status_, WNOHANG) == pid_) {
            ended_ = true;
            break;
        }
        if (seconds_since(start) > seconds) {
            ADD_FAILURE() << "the program did not end within " << seconds << " s";
            return -1;
        }
        if (!read_some(0.05))
            usleep(10000);
    }
    // What the program showed last, up to its end.
    for (pollfd ready = {output_, POLLIN, 0}; output_ >= 0 && poll(&ready, 1, 0) > 0;) {
        if (!read_some(0))
            break;
    }
    return status_;
}

Feeder::Feeder(const std::filesystem::path& folder, const std::string& name) : path_(folder / name)
{
    mkfifo(path_.c_str(), 0600);
}

Feeder::~Feeder()
{
    end();
}

bool Feeder::wait_for_reader(Running& program)
{
    // Opening for writing without waiting fails until the program opens the
    // pipe for reading.
    for (int tries = 0; tries < 2000 && pipe_ < 0; ++tries) {
        pipe_ = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
        if (pipe_ < 0)
            program.read_for(0.01);
    }
    if (pipe_ >= 0)
        fcntl(pipe_, F_SETFL, 0);
    return pipe_ >= 0;
}

void Feeder::feed(std::string_view text) const
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t wrote = write(pipe_, text.data() + done, text.size() - done);
        ASSERT_GT(wrote, 0);
        done += static_cast<std::size_t>(wrote);
    }
}

void Feeder::end()
{
    if (pipe_ >= 0)
        close(pipe_);
    pipe_ = -1;
}

}  // namespace e2e
