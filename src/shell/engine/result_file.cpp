#include "shell/engine/result_file.h"

#include "platform/files.h"
#include "shell/engine/list_reading.h"

#include <utility>

namespace shell {

namespace {

struct NamedOwnFile {
    platform::OwnFile own;
    std::string name;
};

// Creates a file of the program's own under the first name of stem + suffix,
// stem + "1" + suffix, stem + "2" + suffix and so on that no file holds.
NamedOwnFile create_first_free(const std::string& stem, std::string_view suffix, const std::string& like)
{
    // The folder holds finitely many names, so a free one comes at last.
    for (unsigned number = 0;; ++number) {
        std::string name = stem + (number == 0 ? std::string{} : std::to_string(number)) + std::string(suffix);
        const platform::OwnFile own = platform::create_own_file(name, like);
        if (!own.taken)
            return {own, own.file != nullptr ? std::move(name) : std::string{}};
    }
}

}  // namespace

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
    const platform::FileKind kind = platform::file_kind(target);
    switch (kind) {
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
    const std::string folder = platform::folder_of(target);
    platform::remove_stale_partials(folder);
    // The new file takes a name that no list has, in the result's own folder,
    // so that renaming it is one step that cannot leave half a file.
    const platform::OwnFile own = create_first_free(folder + "mordavelle", ".partial", target).own;
    if (own.file != nullptr && platform::may_rename_over(own.watch, target)) {
        own_ = own.watch;
        place_ = target;
        return adopt(own.file);
    }
    if (own.file != nullptr) {
        std::fclose(own.file);
        platform::remove_own_file(own.watch);
    }
    // Where a rename would lose what the earlier result has (its owner or
    // group, its other links, its access list), or the folder takes no new
    // file from this user, the result is written in place, as an editor saves
    // a shared file: it keeps all of those, but a disk that fills up meanwhile
    // leaves it cut short, which close() reports.
    return kind == platform::FileKind::regular && adopt(platform::open_for_writing(name));
}

std::string OutputFile::open_first_free(const std::string& stem, std::string_view suffix)
{
    if (!names_a_file(stem))
        return {};
    NamedOwnFile created = create_first_free(stem, suffix, {});
    own_ = created.own.watch;
    return adopt(created.own.file) ? std::move(created.name) : std::string{};
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
    written_ = 0;
    sent_ = 0;
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
    // A result that is flushed to the disk before its rename is sent there
    // while it is written, so that the flush at the end waits for little.
    written_ += bytes.size();
    if (!place_.empty() && written_ - sent_ >= kWriteBackStep) {
        platform::start_write_back(file_, sent_, written_ - sent_);
        sent_ = written_;
    }
}

bool OutputFile::close()
{
    if (file_ == nullptr)
        return false;
    flush_buffer();
    // A result that replaces another by a rename reaches the disk first, so
    // that a power cut leaves the earlier result or the new one, whole.
    if (ok_ && !(place_.empty() ? std::fflush(file_) == 0 : platform::flush_to_disk(file_)))
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
