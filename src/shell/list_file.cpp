#include "shell/list_file.h"

#include "platform/platform.h"

#include <filesystem>

namespace shell {

std::optional<std::string> read_file(const std::string& name)
{
    std::string text;
    if (!read_file_into(name, text))
        return std::nullopt;
    return text;
}

bool read_file_into(const std::string& name, std::string& text)
{
    text.clear();
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (file == nullptr)
        return false;
    // The whole file is read in large blocks straight into the text.
    std::setvbuf(file, nullptr, _IONBF, 0);

    std::error_code size_error;
    const auto size = std::filesystem::file_size(name, size_error);
    std::size_t filled = 0;
    if (!size_error && size > 0) {
        // Room beyond the size lets the one read meet the end of the file, so
        // the text never has to grow and be copied.
        text.resize(static_cast<std::size_t>(size) + (std::size_t{1} << 16));
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
    text.resize(read_failed ? 0 : filled);
    return !read_failed;
}

std::vector<std::string_view> split_entries(std::string_view text)
{
    std::vector<std::string_view> entries;
    const char* const end = text.data() + text.size();
    const char* cursor = text.data();
    for (;;) {
        while (cursor != end && is_separator(static_cast<unsigned char>(*cursor)))
            ++cursor;
        if (cursor == end)
            break;
        const char* const start = cursor;
        while (cursor != end && !is_separator(static_cast<unsigned char>(*cursor)))
            ++cursor;
        entries.emplace_back(start, static_cast<std::size_t>(cursor - start));
    }
    return entries;
}

OutputFile::~OutputFile()
{
    if (file_ != nullptr)
        std::fclose(file_);
}

bool OutputFile::open(const std::string& name)
{
    return adopt(std::fopen(name.c_str(), "wb"));
}

bool OutputFile::open_new(const std::string& name)
{
    // The platform creates the file, because the C runtimes differ in how a
    // taken name is refused; an existing file is never replaced.
    return adopt(platform::create_new_file(name));
}

bool OutputFile::adopt(std::FILE* file)
{
    file_ = file;
    if (file_ == nullptr)
        return false;
    std::setvbuf(file_, nullptr, _IONBF, 0);
    buffer_.reserve(kBufferSize);
    ok_ = true;
    return true;
}

void OutputFile::end_line()
{
    write(platform::file_line_end());
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
    return ok_;
}

}  // namespace shell
