// Stands in for the system in tests and timing runs: every colour change,
// pause and tone is logged on standard error, one line each, and takes no
// time. Its files and interrupts are the POSIX ones.
#include "platform/console.h"
#include "platform/posix.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <string_view>

namespace platform {
namespace {

// A timing run may log hundreds of thousands of tones, so the log is buffered
// and a line is put together in place, without a string on the heap.
class LogLine {
public:
    LogLine()
    {
        static char buffer[1 << 16];
        static const bool buffered = std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer) == 0;
        (void)buffered;
    }

    LogLine& operator<<(std::string_view text)
    {
        if (text.size() > sizeof line_ - 1 - size_) {
            // A long name goes out as it is, after what the line holds so far.
            flush();
            std::fwrite(text.data(), 1, text.size(), stderr);
            return *this;
        }
        size_ += text.copy(line_ + size_, text.size());
        return *this;
    }
    // Numbers follow only short words, so they always fit.
    LogLine& operator<<(unsigned number)
    {
        size_ = static_cast<std::size_t>(std::to_chars(line_ + size_, line_ + sizeof line_, number).ptr - line_);
        return *this;
    }
    ~LogLine()
    {
        line_[size_++] = '\n';
        flush();
    }

private:
    void flush()
    {
        std::fwrite(line_, 1, size_, stderr);
        size_ = 0;
    }

    char line_[64];
    std::size_t size_ = 0;
};

}  // namespace

void set_colour(Colour colour)
{
    LogLine{} << "colour " << (colour == Colour::light_red ? "light red" : "light green");
}

void reset_colour()
{
    LogLine{} << "colour reset";
    std::fflush(stderr);
}

void show_help_box(const std::string& caption, const std::string& text)
{
    LogLine{} << "help box";
    std::cout << help_frame(caption, text) << std::flush;
}

void pause(unsigned milliseconds)
{
    LogLine{} << "pause " << milliseconds;
}

void tone(unsigned hertz, unsigned milliseconds)
{
    LogLine{} << "tone " << hertz << " " << milliseconds;
}

}  // namespace platform
