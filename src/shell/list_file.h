// List files: plain text whose entries are the runs of bytes between white space,
// read whole and split in one pass, and written one entry per line.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shell {

// The six bytes that separate entries: blank, tab, line feed, vertical tab,
// form feed and carriage return. Every other byte, NUL and 0x80-0xFF included,
// belongs to an entry.
constexpr bool is_separator(unsigned char byte)
{
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

// The whole file, or nothing when it cannot be opened or read to its end
// (a missing file, a directory, a read error).
std::optional<std::string> read_file(const std::string& name);

// The same into a text the caller keeps, whose memory is reused: false, and
// the text empty, when the file cannot be opened or read to its end.
bool read_file_into(const std::string& name, std::string& text);

// The entries of a list text in order, as views into the text.
std::vector<std::string_view> split_entries(std::string_view text);

// A result file written through one buffer. Any failure to create, write or
// close it is reported by close(), so that a command never announces a
// result that is not complete on disk.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Creates the file, or truncates it if it exists.
    bool open(const std::string& name);
    // Creates the file only if no file of that name exists.
    bool open_new(const std::string& name);

    void write(std::string_view bytes)
    {
        if (buffer_.size() + bytes.size() > kBufferSize)
            flush_buffer();
        if (bytes.size() > kBufferSize)
            write_through(bytes);
        else
            buffer_.append(bytes);
    }
    void end_line();
    void write_line(std::string_view bytes)
    {
        write(bytes);
        end_line();
    }

    // Flushes and closes; true when every byte reached the file.
    bool close();

private:
    static constexpr std::size_t kBufferSize = std::size_t{1} << 20;

    bool adopt(std::FILE* file);
    void flush_buffer();
    void write_through(std::string_view bytes);

    std::FILE* file_ = nullptr;
    std::string buffer_;
    bool ok_ = true;
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
