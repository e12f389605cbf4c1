// List files, read whole or in pieces that end between entries, through the
// one reading path that takes a file's text as text_decoder.h says: without a UTF-8
// byte-order mark, from UTF-16 into UTF-8, and on Windows with a blank for
// each 0x1A. A list that cannot be read ends the command with its failure.
#pragma once

#include "console.h"
#include "entries.h"
#include "text_decoder.h"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mordavelle {

// A name with a NUL byte in it names no file: the system would read it only
// as far as the NUL, and so take another file for it.
bool names_a_file(const std::string& name);

// The whole file's text, or nothing when it cannot be opened or read to its
// end (a missing file, a directory, a read error).
std::optional<std::string> read_file(const std::string& name);

// The whole text of the list file `name`, or the end of the command with
// `failure` when it cannot be read.
std::string read_list(const std::string& name, const Failure& failure);

// A list file's text read in pieces through one buffer that is used again and
// again, for the commands that need no list in memory: each piece ends at a
// separator or at the end of the file, so that no entry is ever cut in two,
// and a piece grows as far as needed to hold an entry larger than the buffer.
class PieceReader {
public:
    // Opens the list; one that cannot be opened, or later read to its end,
    // ends the command with `failure`. A list is held against writers while
    // it is read; a file of this run's own (`own_file`) is its own already.
    PieceReader(const std::string& name, Failure failure, bool own_file = false);

    // The next piece, which the caller may change in place; empty at the end.
    std::span<char> next();

    // Closes the file before its end, so that it can be removed (Windows
    // removes no open file); next() then gives nothing more.
    void close() { file_.reset(); }

private:
    // Adds the text of the next read to the buffer; false at the end of the text.
    bool read_more();
    void append_text(std::span<const char> text);

    struct Close {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Close> file_;
    Failure failure_;
    std::vector<char> buffer_;
    std::size_t wanted_ = 0;    // how much text a piece is read up to
    std::size_t filled_ = 0;    // how much text the buffer holds
    std::size_t handed_ = 0;    // where the last piece ended: an unfinished entry follows
    bool at_end_ = false;
    TextDecoder decoder_;
    std::string decoded_;       // text that the decoder made apart from the bytes read
};

// Streams a list file's text into another file, piece by piece, through one
// buffer: open() opens that file once the first piece has been read, so that
// a list that cannot be read at all leaves nothing behind, and write(piece)
// writes what each piece becomes while open() said it opened.
template <typename Open, typename Write>
void stream_list(PieceReader& list, Open open, Write write)
{
    auto piece = list.next();
    const bool opened = open();
    for (; !piece.empty(); piece = list.next()) {
        if (opened)
            write(piece);
    }
}

}  // namespace mordavelle
