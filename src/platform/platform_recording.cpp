// Stands in for the system in tests and timing runs: every colour change, pause,
// tone and removal of an own file is logged on standard error, one line each,
// and takes no time. Its files and interrupts are the POSIX ones.
#include "platform/help_frame.h"
#include "platform/large_pages.h"
#include "platform/platform.h"
#include "platform/posix_files.h"

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
    LogLine(const LogLine&) = delete;
    LogLine& operator=(const LogLine&) = delete;

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
    LogLine& operator<<(unsigned number)
    {
        if (sizeof line_ - 1 - size_ < 16)
            flush();
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

bool read_typed_word(std::string& word)
{
    // The extractor leaves the word as it was when input has already ended.
    word.clear();
    return static_cast<bool>(std::cin >> word);
}

void write_typed_name(std::string_view name)
{
    std::cout << name;
}

void pause(unsigned milliseconds)
{
    LogLine{} << "pause " << milliseconds;
}

void tone(unsigned hertz, unsigned milliseconds)
{
    LogLine{} << "tone " << hertz << " " << milliseconds;
}

std::string_view file_line_end()
{
    return "\n";
}

bool text_ends_at_eof_byte()
{
    return false;
}

void prefer_large_pages(void* data, std::size_t bytes)
{
    detail::advise_large_pages(data, bytes);
}

void detail::note_removal(std::string_view name)
{
    LogLine{} << "remove " << name;
}

}  // namespace platform
