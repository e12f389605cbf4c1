// List files on disk: read whole, or in pieces that end between entries, and
// written one entry per line through the one path that puts a result in place
// whole or not at all. Reading takes a file's text as text_decoding.h says:
// without a UTF-8 byte-order mark, from UTF-16 into UTF-8, and on Windows up
// to a 0x1A. What an entry is, entries.h says.
#pragma once

#include "shell/text_decoding.h"

#include <cstddef>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shell {

// Where a file's text ends on this system: Windows ends it at a 0x1A.
EndOfText text_rule();

// The whole file's text, or nothing when it cannot be opened or read to its
// end (a missing file, a directory, a read error).
std::optional<std::string> read_file(const std::string& name);

// A list file's text read in pieces through one buffer that is used again and again,
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
    // Reads more of the file's text into `into`; 0 at its end or on failure.
    std::size_t read_text(char* into, std::size_t room);

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t carried_ = 0;   // bytes of an unfinished entry kept from the last read
    std::size_t handed_ = 0;    // where they begin: the end of the last piece
    std::size_t filled_ = 0;
    bool at_end_ = false;
    bool failed_ = false;
    TextDecoder decoder_{text_rule()};
    bool file_read_ = false;    // the file's bytes are all read, or its text has ended
    std::string decoded_;       // text that the decoder made out of place
    std::string pending_;       // text not yet moved into the buffer
    std::size_t pending_at_ = 0;
};

// A file written through one buffer. Any failure to create, write or close
// it is reported by close(), so that a command never announces a file that is
// not complete on disk.
//
// A result is written to a new file of the program's own beside it, which
// close() renames into the result's place once every byte is there: an
// earlier result stays as it was until then, and if anything fails, or the
// program is stopped, it is all that is there. A result name that is no
// regular file (a device, a pipe) is written in place.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // Removes what is left of the program's own making: an unfinished result,
    // or a file made by open_new().
    ~OutputFile();

    // Opens a result, to be put in the place of `name` by close().
    bool open(const std::string& name);
    // Creates a file of the program's own, only if no file of that name
    // exists; it lives until remove() or the end of this object.
    bool open_new(const std::string& name);
    // After open_new(): false when it failed because the name is taken.
    bool name_taken() const { return taken_; }

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

    // Removes a file made by open_new(), or an unfinished result, at once.
    void remove();

private:
    static constexpr std::size_t kBufferSize = std::size_t{1} << 18;

    bool adopt(std::FILE* file);
    void flush_buffer();
    void write_through(std::string_view bytes);

    std::FILE* file_ = nullptr;
    std::string buffer_;
    std::string_view line_end_;
    bool ok_ = true;
    bool taken_ = false;
    int own_ = -1;        // the watch of a file of the program's own, or -1
    std::string place_;   // where a result goes once complete; empty otherwise
};

// Streams a list file's text into another file, piece by piece, through one
// buffer: open() opens `out` once the first piece has been read, so that a
// list that cannot be read at all leaves nothing behind, and write(piece)
// writes what each piece becomes. False when the list cannot be read to its
// end, and `out` then holds nothing; out.close() tells whether `out` opened
// and was written whole.
template <typename Open, typename Write>
bool stream_list(PieceReader& list, OutputFile& out, Open open, Write write)
{
    auto piece = list.next();
    if (list.failed())
        return false;
    const bool opened = open();
    for (; !piece.empty(); piece = list.next()) {
        if (opened)
            write(piece);
    }
    if (list.failed()) {
        out.remove();
        return false;
    }
    return true;
}

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
