// List files: plain text whose entries are the runs of bytes between white space,
// read whole and split in one pass, and written one entry per line.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <span>
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

// True when both names lead to one file (a link, say), so that writing the
// one would change the other while it is read.
bool same_file(const std::string& first, const std::string& second);

// The entries of a list text in order, as views into the text.
std::vector<std::string_view> split_entries(std::string_view text);

// How many entries a list text holds, without making them.
std::size_t count_entries(std::string_view text);

// The first separator at or after `from`, or `end` when there is none.
const char* find_separator(const char* from, const char* end);

// Hands each entry of a list text to `take` in order, as a view into the text.
template <typename Take>
void for_each_entry(std::string_view text, Take take)
{
    const char* const end = text.data() + text.size();
    const char* cursor = text.data();
    for (;;) {
        while (cursor != end && is_separator(static_cast<unsigned char>(*cursor)))
            ++cursor;
        if (cursor == end)
            return;
        const char* const stop = find_separator(cursor, end);
        take(std::string_view(cursor, static_cast<std::size_t>(stop - cursor)));
        cursor = stop;
    }
}

// A list file read in pieces through one buffer that is used again and again,
// for the commands that need no list in memory: each piece ends at a
// separator or at the end of the file, so that no entry is ever cut in two,
// and a piece grows as far as needed to hold an entry larger than the buffer.
class PieceReader {
public:
    PieceReader() = default;
    PieceReader(const PieceReader&) = delete;
    PieceReader& operator=(const PieceReader&) = delete;
    ~PieceReader();

    // False when the file cannot be opened.
    bool open(const std::string& name);

    // The next piece, which the caller may change in place; empty at the end of
    // the file and after a read error.
    std::span<char> next();

    // True when a read failed: the file is then not read to its end.
    bool failed() const { return failed_; }

    // Closes the file before its end, so that it can be removed (Windows
    // removes no open file); next() then gives nothing more.
    void close();

private:
    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t carried_ = 0;   // bytes of an unfinished entry kept from the last read
    std::size_t handed_ = 0;    // where they begin: the end of the last piece
    std::size_t filled_ = 0;
    bool at_end_ = false;
    bool failed_ = false;
};

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

    // Flushes and closes; true when every byte reached the file.
    bool close();

private:
    static constexpr std::size_t kBufferSize = std::size_t{1} << 18;

    bool adopt(std::FILE* file);
    void flush_buffer();
    void write_through(std::string_view bytes);

    std::FILE* file_ = nullptr;
    std::string buffer_;
    std::string_view line_end_;
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
