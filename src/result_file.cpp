#include "result_file.h"

#include "list_file.h"

namespace mordavelle {

bool ResultFile::open(const std::string& name, const std::vector<std::string>& inputs, InputsRead read)
{
    start();
    return names_a_file(name) && replacement_.open(name, inputs, read);
}

std::string ResultFile::open_first_free(const std::string& stem, std::string_view suffix)
{
    start();
    return names_a_file(stem) ? replacement_.open_first_free(stem, suffix) : std::string{};
}

void ResultFile::start()
{
    buffer_.clear();
    buffer_.reserve(kBufferSize);
    line_end_ = platform::file_line_end();
}

void ResultFile::flush_buffer()
{
    if (!buffer_.empty())
        (void)replacement_.write(buffer_);
    buffer_.clear();
}

bool ResultFile::close()
{
    flush_buffer();
    if (replacement_.commit())
        return true;
    replacement_.abandon();
    return false;
}

}  // namespace mordavelle
