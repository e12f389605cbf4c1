#include "list_file.h"

#include "platform/files.h"
#include "platform/hints.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace mordavelle {
namespace {

constexpr std::size_t kPieceBytes = std::size_t{1} << 18;

std::FILE* open_for_reading(const std::string& name, bool held = true)
{
    return names_a_file(name) ? platform::open_for_reading(name, held) : nullptr;
}

// What a byte 0x1A is on this system: Windows reads it as a blank.
EofByte text_rule()
{
    return platform::eof_byte_is_blank() ? EofByte::blank : EofByte::kept;
}

}  // namespace

bool names_a_file(const std::string& name)
{
    return !name.empty() && name.find('\0') == std::string::npos;
}

std::optional<std::string> read_file(const std::string& name)
{
    std::FILE* file = open_for_reading(name);
    if (file == nullptr)
        return std::nullopt;
    // The whole file is read in large blocks straight into the text.
    std::setvbuf(file, nullptr, _IONBF, 0);
    std::string text;

    const auto size = platform::file_size(file);
    std::size_t filled = 0;
    if (size && *size > 0) {
        // Room beyond the size lets the one read meet the end of the file, so
        // the text never has to grow and be copied.
        const std::size_t room = static_cast<std::size_t>(*size) + (std::size_t{1} << 16);
        text.reserve(room);
        platform::prefer_large_pages(text.data(), room);
        text.resize(room);
        filled = std::fread(text.data(), 1, text.size(), file);
    }
    // A file that grows while it is read, or one whose size is not known
    // beforehand, is read on to its end.
    while (!std::ferror(file) && !std::feof(file)) {
        if (text.size() - filled < (std::size_t{1} << 16))
            text.resize(filled + (std::size_t{1} << 16));
        filled += std::fread(text.data() + filled, 1, text.size() - filled, file);
    }
    const bool read_failed = std::ferror(file) != 0;
    std::fclose(file);
    if (read_failed)
        return std::nullopt;
    text.resize(filled);
    decode_whole_text(text, text_rule());
    return text;
}

std::string read_list(const std::string& name, const Failure& failure)
{
    auto text = read_file(name);
    if (!text)
        throw failure;
    return std::move(*text);
}

PieceReader::PieceReader(const std::string& name, Failure failure, bool own_file)
    : file_(open_for_reading(name, !own_file)), failure_(std::move(failure)), decoder_(text_rule())
{
    if (!file_)
        throw failure_;
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    wanted_ = kPieceBytes;
    buffer_.resize(wanted_);
}

std::span<char> PieceReader::next()
{
    if (!file_)
        return {};
    // The unfinished entry at the end of the last piece moves to the front.
    std::memmove(buffer_.data(), buffer_.data() + handed_, filled_ - handed_);
    filled_ -= handed_;
    handed_ = 0;
    for (;;) {
        while (!at_end_ && filled_ < wanted_)
            at_end_ = !read_more();
        if (at_end_) {
            handed_ = filled_;
            return {buffer_.data(), filled_};
        }
        // The piece ends after its last separator; the bytes after it are kept.
        std::size_t end = filled_;
        while (end > 0 && !is_separator(static_cast<unsigned char>(buffer_[end - 1])))
            --end;
        if (end > 0) {
            handed_ = end;
            return {buffer_.data(), end};
        }
        // One entry fills the whole piece: the piece grows to take more of it.
        wanted_ *= 2;
    }
}

bool PieceReader::read_more()
{
    const std::size_t room = wanted_ - filled_;
    if (buffer_.size() < wanted_)
        buffer_.resize(wanted_);
    char* const into = buffer_.data() + filled_;
    const std::size_t got = std::fread(into, 1, room, file_.get());
    if (got < room && std::ferror(file_.get()) != 0)
        throw failure_;
    // A plain file's text is its bytes, where they were read; other text is
    // made apart and copied in after the text before it.
    const std::span<char> text = decoder_.decode({into, got}, decoded_);
    if (text.data() == into)
        filled_ += text.size();
    else
        append_text(text);
    if (got == room)
        return true;
    append_text(decoder_.finish(decoded_));
    return false;
}

void PieceReader::append_text(std::span<const char> text)
{
    if (buffer_.size() < filled_ + text.size())
        buffer_.resize(filled_ + text.size());
    std::copy(text.begin(), text.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(filled_));
    filled_ += text.size();
}

}  // namespace mordavelle
