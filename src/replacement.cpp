#include "replacement.h"

#include <array>
#include <charconv>
#include <initializer_list>
#include <optional>
#include <set>

namespace mordavelle {
namespace {

using platform::FileFacts;
using platform::FileKind;
using platform::Folder;
using platform::Handle;
using platform::OwnFile;

// A journal tells the next run what a write in place that it finds
// unfinished must do: copy the new result in (F) or the earlier one back (B),
// from the own files it names, into the target it names, and only while
// that name still leads to the file it was. Its last line shows that it was
// written whole.
constexpr std::string_view kJournalStart = "mordavelle journal\n";
constexpr std::uint64_t kDirectionAt = kJournalStart.size();
constexpr std::string_view kForward = "F";
constexpr std::string_view kBack = "B";
constexpr std::string_view kJournalEnd = "\nend\n";

struct Journal {
    bool back = false;
    std::uint64_t new_size = 0;
    std::uint64_t earlier_size = 0;
    platform::FileId id;
    std::string new_copy;
    std::string earlier_copy;
    std::string target;
};

std::string journal_text(const Journal& journal)
{
    return std::string{kJournalStart} + std::string{journal.back ? kBack : kForward} + "\n" +
           std::to_string(journal.new_size) + " " + std::to_string(journal.earlier_size) + " " +
           std::to_string(journal.id.volume) + " " + std::to_string(journal.id.index) + "\n" + journal.new_copy +
           "\n" + journal.earlier_copy + "\n" + journal.target + std::string{kJournalEnd};
}

// The numbers of a line, one blank between each two.
bool read_numbers(std::string_view line, std::initializer_list<std::uint64_t*> numbers)
{
    const char* at = line.data();
    const char* const end = at + line.size();
    for (std::uint64_t* const number : numbers) {
        if (at != line.data() && (at == end || *at++ != ' '))
            return false;
        const auto read = std::from_chars(at, end, *number);
        if (read.ec != std::errc{})
            return false;
        at = read.ptr;
    }
    return at == end;
}

std::optional<Journal> parse_journal(std::string_view text)
{
    if (!text.starts_with(kJournalStart) || !text.ends_with(kJournalEnd))
        return std::nullopt;
    text = text.substr(kJournalStart.size(), text.size() - kJournalStart.size() - kJournalEnd.size());
    // The target comes last, as a name may hold any byte but NUL.
    std::array<std::string_view, 4> lines;
    for (std::string_view& line : lines) {
        const auto end = text.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt;
        line = text.substr(0, end);
        text.remove_prefix(end + 1);
    }
    Journal journal{lines[0] == kBack, 0, 0, {}, std::string{lines[2]}, std::string{lines[3]}, std::string{text}};
    if ((lines[0] != kForward && lines[0] != kBack) || text.empty() ||
        !read_numbers(lines[1], {&journal.new_size, &journal.earlier_size, &journal.id.volume, &journal.id.index}))
        return std::nullopt;
    return journal;
}

std::string base_name(const std::string& name)
{
    return name.substr(platform::folder_of(name).size());
}

std::optional<platform::FileId> folder_id(const std::string& name)
{
    const std::string folder = platform::folder_of(name);
    const auto facts = platform::facts_of(folder.empty() ? "." : folder);
    return facts ? std::optional(facts->id) : std::nullopt;
}

// True when the list `input`, which is the file the result replaces, was
// named by the result's own name: the same name in the same folder, as the
// reminders of a second round are made from the first round's.
bool named_as_result(const std::string& input, const std::string& name)
{
    if (!platform::same_entry_name(base_name(input), base_name(name)))
        return false;
    const auto input_folder = folder_id(input);
    const auto result_folder = folder_id(name);
    return input_folder && result_folder && *input_folder == *result_folder;
}

// True when a result in place of `earlier` would change one of the lists
// the command reads through another name than the result's own, or one that
// it is still reading.
bool replaces_an_input(const FileFacts& earlier, const std::string& name, const std::vector<std::string>& inputs,
                       InputsRead read)
{
    for (const std::string& input : inputs) {
        const auto path = platform::follow_links(input);
        const auto facts = path ? platform::facts_of(*path) : std::nullopt;
        if (!facts || facts->kind != FileKind::regular || facts->id != earlier.id)
            continue;
        if (read == InputsRead::streamed || !named_as_result(input, name))
            return true;
    }
    return false;
}

bool copy_and_sync(const Handle& from, const Handle& to, std::uint64_t size)
{
    return platform::copy_content(from, to, size) && platform::sync_data(to);
}

// Carries out a journal left by a run that stopped; false when it could not,
// and its copies must then stay for a later run.
bool carry_out(const Folder& folder, const Journal& journal)
{
    const std::string target =
        journal.target.find_first_of("/\\") == 0 || journal.target.find(':') == 1 ? journal.target
                                                                                   : folder.path + journal.target;
    // A target that is gone, or is another file now, is no longer this write's.
    const Handle file = platform::open_held(target, platform::Hold::exclusive, true);
    if (!file.valid()) {
        const auto facts = platform::facts_of(target);
        return facts && facts->kind == FileKind::missing;
    }
    if (platform::id_of(file) != journal.id)
        return true;
    const std::string& copy_name = journal.back ? journal.earlier_copy : journal.new_copy;
    const std::uint64_t size = journal.back ? journal.earlier_size : journal.new_size;
    const Handle copy = platform::open_if_stale(folder, copy_name);
    return copy.valid() && platform::size_of(copy) == size && copy_and_sync(copy, file, size);
}

}  // namespace

void finish_interrupted_writes(const std::string& folder_path)
{
    const auto folder = platform::open_folder(folder_path);
    if (!folder)
        return;
    const std::vector<std::string> names = platform::own_names(*folder);
    std::set<std::string> kept;
    bool busy = false;
    bool removed = false;
    for (const std::string& name : names) {
        if (!platform::has_own_form(name, platform::kJournalSuffix))
            continue;
        const Handle held = platform::open_if_stale(*folder, name);
        if (!held.valid()) {
            // A running program's write in place: its copies are its own.
            busy = true;
            continue;
        }
        const auto text = platform::read_small(held);
        const auto journal = text ? parse_journal(*text) : std::nullopt;
        if (journal && !carry_out(*folder, *journal)) {
            kept.insert({name, journal->new_copy, journal->earlier_copy});
            continue;
        }
        // The journal goes first: without it its copies are stale own files.
        platform::remove_name(*folder, name);
        removed = true;
    }
    if (!busy) {
        for (const std::string& name : names) {
            if (!platform::has_own_form(name, platform::kPartialSuffix) || kept.contains(name))
                continue;
            if (platform::open_if_stale(*folder, name).valid()) {
                platform::remove_name(*folder, name);
                removed = true;
            }
        }
    }
    if (removed)
        platform::sync_folder(*folder);
}

void finish_interrupted_writes_at_start()
{
    finish_interrupted_writes({});
    finish_interrupted_writes(platform::temp_folder());
}

bool Replacement::open(const std::string& name, const std::vector<std::string>& inputs, InputsRead read)
{
    abandon();
    const auto target = platform::follow_links(name);
    const auto earlier = target ? platform::facts_of(*target) : std::nullopt;
    if (!earlier || earlier->kind == FileKind::directory)
        return false;
    target_ = *target;
    earlier_ = *earlier;
    const bool replaces = earlier->kind != FileKind::missing;
    if (earlier->kind == FileKind::other) {
        through_ = platform::open_through(target_);
        way_ = through_.valid() ? Way::through : Way::none;
        return through_.valid();
    }
    // A read-only result is the user's word that it must stay.
    if (replaces && (!earlier->writable || replaces_an_input(*earlier, name, inputs, read)))
        return false;

    const std::string folder_path = platform::folder_of(target_);
    finish_interrupted_writes(folder_path);
    auto folder = platform::open_folder(folder_path);
    if (!folder)
        return false;
    // A result that replaces another stays private until it takes the earlier
    // one's mode; a new one is made as any file in its folder is, with the
    // folder's default access list where it has one.
    const auto privacy = replaces ? platform::Privacy::private_to_owner : platform::Privacy::as_folder_gives;
    OwnFile own = platform::create_own_file(*folder, platform::kOwnStem, platform::kPartialSuffix, privacy);
    if (own.handle.valid() && (!replaces || platform::takes_on(own, target_, *earlier))) {
        way_ = Way::beside;
    } else if (replaces && (own.handle.valid() || own.refused)) {
        // In place: the new result is made whole in a file of the program's
        // own all the same, in the user's temporary folder where this one
        // refuses it.
        if (!own.handle.valid()) {
            const std::string temp = platform::temp_folder();
            finish_interrupted_writes(temp);
            folder = platform::open_folder(temp);
            if (!folder)
                return false;
            own = platform::create_own_file(*folder, platform::kOwnStem, platform::kPartialSuffix, privacy);
            if (!own.handle.valid())
                return false;
        }
        way_ = Way::in_place;
    } else {
        if (own.handle.valid())
            platform::remove_own_file(*folder, own);
        return false;
    }
    folder_ = std::move(*folder);
    own_ = std::move(own);
    return true;
}

std::string Replacement::open_first_free(const std::string& stem, std::string_view suffix)
{
    abandon();
    auto folder = platform::open_folder(platform::folder_of(stem));
    if (!folder)
        return {};
    OwnFile own = platform::create_own_file(*folder, base_name(stem), suffix, platform::Privacy::private_to_owner);
    if (!own.handle.valid())
        return {};
    folder_ = std::move(*folder);
    own_ = std::move(own);
    way_ = Way::own;
    return folder_.path + own_.name;
}

bool Replacement::write(std::string_view bytes)
{
    if (way_ == Way::none || !ok_)
        return false;
    ok_ = platform::write_all(way_ == Way::through ? through_ : own_.handle, bytes);
    written_ += bytes.size();
    // How much of a result is written before the system is asked to start
    // putting it on the disk, so that the flush at the end waits for little.
    constexpr std::uint64_t kWriteBackStep = std::uint64_t{8} << 20;
    if (way_ != Way::through && written_ - sent_ >= kWriteBackStep) {
        platform::start_write_back(own_.handle, sent_, written_ - sent_);
        sent_ = written_;
    }
    return ok_;
}

bool Replacement::commit()
{
    bool done = ok_;
    switch (way_) {
    case Way::none:
        return false;
    case Way::own:
        return done;
    case Way::through:
        done = through_.close() && done;
        break;
    case Way::beside:
        done = done && commit_beside();
        break;
    case Way::in_place:
        done = done && commit_in_place();
        break;
    }
    abandon();
    return done;
}

bool Replacement::commit_beside()
{
    // The new file takes the earlier one's mode and reaches the disk before
    // it takes its place, so that a power cut leaves the earlier result or
    // the new one, whole; the folder follows after the rename.
    if (earlier_.kind != FileKind::missing)
        platform::takes_mode(own_, target_);
    if (!platform::sync_data(own_.handle))
        return false;
    const auto held = platform::hold_for_rename(target_);
    if (!held || !platform::rename_own_file(folder_, own_, base_name(target_)))
        return false;
    platform::sync_folder(folder_);
    return true;
}

bool Replacement::commit_in_place()
{
    // The earlier file is touched only once the new result, a copy of the
    // earlier one and the journal that names both are on the disk.
    if (!platform::sync_data(own_.handle) || !platform::within_size_limit(written_))
        return false;
    const Handle file = platform::open_held(target_, platform::Hold::exclusive, true);
    const auto earlier_size = file.valid() ? platform::size_of(file) : std::nullopt;
    if (!earlier_size || platform::id_of(file) != earlier_.id ||
        platform::reserve(file, written_) == platform::Room::none)
        return false;
    OwnFile copy =
        platform::create_own_file(folder_, platform::kOwnStem, platform::kPartialSuffix, platform::Privacy::private_to_owner);
    Journal journal{false, written_, *earlier_size, earlier_.id, own_.name, copy.name,
                    folder_.path == platform::folder_of(target_) ? base_name(target_) : platform::full_path(target_)};
    const platform::HeldInterrupts held;
    OwnFile record =
        copy.handle.valid() && copy_and_sync(file, copy.handle, *earlier_size)
            ? platform::create_own_file(folder_, platform::kOwnStem, platform::kJournalSuffix,
                                        platform::Privacy::private_to_owner)
            : OwnFile{};
    bool done = record.handle.valid() && platform::write_all(record.handle, journal_text(journal)) &&
                platform::sync_data(record.handle);
    if (done) {
        platform::sync_folder(folder_);
        done = copy_and_sync(own_.handle, file, written_);
        // A copy that failed is undone at once; if even that fails, the
        // journal is kept for the next run to put the earlier result back.
        if (!done && !(platform::write_at(record.handle, kDirectionAt, kBack) && platform::sync_data(record.handle) &&
                       copy_and_sync(copy.handle, file, *earlier_size))) {
            platform::keep_own_file(record);
            platform::keep_own_file(copy);
            platform::keep_own_file(own_);
            return false;
        }
    }
    if (record.handle.valid())
        platform::remove_own_file(folder_, record);
    if (copy.handle.valid())
        platform::remove_own_file(folder_, copy);
    return done;
}

void Replacement::abandon()
{
    if (own_.handle.valid() && way_ != Way::none)
        platform::remove_own_file(folder_, own_);
    own_ = OwnFile{};
    (void)through_.close();
    way_ = Way::none;
    written_ = 0;
    sent_ = 0;
    ok_ = true;
}

}  // namespace mordavelle
