#include "shell/list_file.h"

#include "platform/files.h"
#include "platform/hints.h"
#include "shell/entries.h"

#include <algorithm>
#include <cstring>

namespace shell {

namespace {

constexpr std::size_t kPieceBytes = std::size_t{1} << 18;

// A name with a NUL byte in it names no file: the system would read it only
// as far as the NUL, and so take another file for it.
bool names_a_file(const std::string& name)
{
    return !name.empty() && name.find('\0') == std::string::npos;
}

std::FILE* open_for_reading(const std::string& name)
{
    return names_a_file(name) ? platform::open_for_reading(name) : nullptr;
}

}  // namespace

EndOfText text_rule()
{
    return platform::text_ends_at_eof_byte() ? EndOfText::at_eof_byte : EndOfText::none;
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

PieceReader::~PieceReader()
{
    close();
}

void PieceReader::close()
{
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
}

bool PieceReader::open(const std::string& name)
{
    file_ = open_for_reading(name);
    if (file_ == nullptr)
        return false;
    std::setvbuf(file_, nullptr, _IONBF, 0);
    buffer_.resize(kPieceBytes);
    return true;
}

std::span<char> PieceReader::next()
{
    if (file_ == nullptr || failed_)
        return {};
    // The unfinished entry at the end of the last piece moves to the front.
    std::memmove(buffer_.data(), buffer_.data() + handed_, carried_);
    filled_ = carried_;
    handed_ = 0;
    carried_ = 0;
    for (;;) {
        while (!at_end_ && filled_ < buffer_.size()) {
            const std::size_t got = read_text(buffer_.data() + filled_, buffer_.size() - filled_);
            if (failed_)
                return {};
            filled_ += got;
            at_end_ = got == 0;
        }
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
            carried_ = filled_ - end;
            return {buffer_.data(), end};
        }
        // One entry fills the whole buffer: the buffer grows to take more of it.
        buffer_.resize(buffer_.size() * 2);
    }
}

std::size_t PieceReader::read_text(char* into, std::size_t room)
{
    for (;;) {
        if (pending_at_ < pending_.size()) {
            const std::size_t moved = std::min(room, pending_.size() - pending_at_);
            std::memcpy(into, pending_.data() + pending_at_, moved);
            pending_at_ += moved;
            return moved;
        }
        if (file_read_)
            return 0;
        const std::size_t got = std::fread(into, 1, room, file_);
        if (got < room) {
            if (std::ferror(file_) != 0) {
                failed_ = true;
                return 0;
            }
            file_read_ = true;
        }
        // A plain file's text is its bytes, where they were read; other text is
        // made apart and moved in as room allows.
        const std::span<char> text = decoder_.decode({into, got}, decoded_);
        const bool in_place = text.data() == into;
        file_read_ = file_read_ || decoder_.ended();
        pending_.clear();
        pending_at_ = 0;
        if (!in_place)
            pending_.assign(text.data(), text.size());
        if (file_read_) {
            const std::span<char> last = decoder_.finish(decoded_);
            pending_.append(last.data(), last.size());
        }
        if (in_place && !text.empty())
            return text.size();
    }
}

OutputFile::~OutputFile()
{
    remove();
}

bool OutputFile::open(const std::string& name)
{
    if (!names_a_file(name))
        return false;
    // A link to a file leads to the file, which is replaced beside it, so that
    // the link goes on working.
    const std::string target = platform::link_target(name);
    switch (platform::file_kind(target)) {
    case platform::FileKind::directory:
        return false;
    case platform::FileKind::other:
        return adopt(platform::open_for_writing(name));
    case platform::FileKind::regular:
        if (!platform::may_replace(target))
            return false;
        break;
    case platform::FileKind::missing:
        break;
    }
    // The new file takes a name that no list has, in the result's own folder,
    // so that renaming it is one step that cannot leave half a file.
    const std::string folder = platform::folder_of(target);
    for (unsigned number = 0;; ++number) {
        const std::string name_beside =
            folder + "mordavelle" + (number == 0 ? std::string{} : std::to_string(number)) + ".partial";
        const platform::OwnFile own = platform::create_own_file(name_beside, target);
        if (own.file != nullptr) {
            own_ = own.watch;
            place_ = target;
            return adopt(own.file);
        }
        // The folder holds finitely many names, so a free one comes at last.
        if (!own.taken)
            return false;
    }
}

bool OutputFile::open_new(const std::string& name)
{
    taken_ = false;
    if (!names_a_file(name))
        return false;
    const platform::OwnFile own = platform::create_own_file(name);
    taken_ = own.taken;
    own_ = own.watch;
    return adopt(own.file);
}

bool OutputFile::adopt(std::FILE* file)
{
    file_ = file;
    if (file_ == nullptr)
        return false;
    std::setvbuf(file_, nullptr, _IONBF, 0);
    buffer_.reserve(kBufferSize);
    line_end_ = platform::file_line_end();
    ok_ = true;
    return true;
}

void OutputFile::flush_buffer()
{
    write_through(buffer_);
    buffer_.clear();
}

void OutputFile::write_through(std::string_view bytes)
{
    if (ok_ && !bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        ok_ = false;
}

bool OutputFile::close()
{
    if (file_ == nullptr)
        return false;
    flush_buffer();
    if (std::fflush(file_) != 0)
        ok_ = false;
    if (std::fclose(file_) != 0)
        ok_ = false;
    file_ = nullptr;
    if (ok_ && !place_.empty()) {
        ok_ = platform::move_own_file(own_, place_);
        if (ok_)
            own_ = -1;
    }
    if (!ok_)
        remove();
    return ok_;
}

void OutputFile::remove()
{
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
    if (own_ >= 0)
        platform::remove_own_file(own_);
    own_ = -1;
}

}  // namespace shell
