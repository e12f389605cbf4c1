// Result files: written one entry per line through the one path that puts a
// result in place whole or not at all.
#pragma once

#include "replacement.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mordavelle {

// A file written through one buffer, over the replacement of a result
// (replacement.h tells how a result takes the place of an earlier one). Any failure to create, write or put it in place is reported by
// close(), so that a command never announces a file that is not complete.
class ResultFile {
public:
    ResultFile() = default;
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;

    // Opens a result, to be put in the place of `name` by close(); `inputs`
    // are the files the command reads, none of which a result may replace
    // but one read whole and named by the result's own name.
    bool open(const std::string& name, const std::vector<std::string>& inputs, InputsRead read);
    // Creates a file of the program's own under the first free name of stem +
    // suffix, stem + "1" + suffix, stem + "2" + suffix and so on, so that no
    // file is ever replaced, and returns the name; empty when the file cannot
    // be created. The file lives until remove() or the end of this object.
    std::string open_first_free(const std::string& stem, std::string_view suffix);

    void write(std::string_view bytes)
    {
        if (buffer_.size() + bytes.size() > kBufferSize)
            flush_buffer();
        if (bytes.size() > kBufferSize)
            (void)replacement_.write(bytes);
        else
            buffer_.append(bytes);
    }
    void end_line() { write(line_end_); }
    void write_line(std::string_view bytes)
    {
        // Most lines go into the buffer with their line end in one step.
        if (buffer_.size() + bytes.size() + line_end_.size() <= kBufferSize) {
            buffer_.append(bytes).append(line_end_);
            return;
        }
        write(bytes);
        end_line();
    }

    // Writes what the buffer holds and puts a result in its place; true when
    // every byte reached the file. A result that failed leaves nothing behind.
    bool close();

    // Removes a file made by open_first_free(), or an unfinished result, at once.
    void remove() { replacement_.abandon(); }

private:
    static constexpr std::size_t kBufferSize = std::size_t{1} << 18;

    void start();
    void flush_buffer();

    Replacement replacement_;
    std::string buffer_;
    std::string_view line_end_;
};

}  // namespace mordavelle
