// Result files: written one entry per line through the one path that puts a
// result in place whole or not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace shell {

// A file written through one buffer. Any failure to create, write or close
// it is reported by close(), so that a command never announces a file that is
// not complete on disk.
//
// A result is written to a new file of the program's own beside it, which
// close() writes through to the disk and renames into the result's place once
// every byte is there: an earlier result stays as it was until then, and if
// anything fails, or the program is stopped, it is all that is there. Where
// that rename would lose something of the earlier result (an owner or group,
// another link, an access list) or the folder takes no new file, the result is
// written in place, and a failure can leave it cut short, as can a result name
// that is no regular file (a device, a pipe).
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // Removes what is left of the program's own making: an unfinished result,
    // or a file made by open_first_free().
    ~OutputFile();

    // Opens a result, to be put in the place of `name` by close().
    bool open(const std::string& name);
    // Creates a file of the program's own under the first free name of stem +
    // suffix, stem + "1" + suffix, stem + "2" + suffix and so on, so that no
    // file is ever replaced, and returns the name; empty when the file cannot
    // be created for another reason than a name that is taken. The file lives
    // until remove() or the end of this object.
    std::string open_first_free(const std::string& stem, std::string_view suffix);

    void write(std::string_view bytes)
    {
        if (buffer_.size() + bytes.size() > kBufferSize)
            flush_buffer();
        if (bytes.size() > kBufferSize)
            write_through(bytes);
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

    // Flushes and closes, and puts a result in its place; true when every
    // byte reached the file. A result that failed leaves nothing behind.
    bool close();

    // Removes a file made by open_first_free(), or an unfinished result, at once.
    void remove();

private:
    static constexpr std::size_t kBufferSize = std::size_t{1} << 18;
    // How much of a result to be renamed is written before the system is
    // asked to start putting it on the disk.
    static constexpr std::uint64_t kWriteBackStep = std::uint64_t{8} << 20;

    bool adopt(std::FILE* file);
    void flush_buffer();
    void write_through(std::string_view bytes);

    std::FILE* file_ = nullptr;
    std::string buffer_;
    std::string_view line_end_;
    bool ok_ = true;
    std::uint64_t written_ = 0;  // bytes written to a result to be renamed
    std::uint64_t sent_ = 0;     // of which the system was asked to write back
    int own_ = -1;        // the watch of a file of the program's own, or -1
    std::string place_;   // where a result goes once complete; empty otherwise
};

// Writes one entry per line, the last one included; false when the file could
// not be created or written completely.
template <typename Entries>
bool write_entries(const std::string& name, const Entries& entries)
{
    OutputFile out;
    if (!out.open(name))
        return false;
    for (const auto& entry : entries)
        out.write_line(entry);
    return out.close();
}

}  // namespace shell
