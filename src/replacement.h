// How a result takes the place of the file of its name: decided here once,
// for every system, over the primitives of platform/files.h.
#pragma once

#include "platform/files.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mordavelle {

// How a command has read its lists when its result is opened: whole, before
// anything is written (a result may then replace a list named by the
// result's own name), or while the result is written.
enum class InputsRead { whole, streamed };

// A result on its way into the place of the file of its name, or a file of
// the program's own. Where the result goes is decided as it is opened:
// - beside the earlier result: written to a new file of the program's own
//   (mordavelle.partial, or mordavelle1.partial ... when that is taken),
//   which takes the earlier file's owner, group, mode, access list and
//   attributes, reaches the disk, and is renamed over it on commit, under
//   the earlier file's lock;
// - in place, where that rename would change more than the content (an owner
//   or group the new file cannot be given, other links, attributes that
//   cannot be copied, a folder that refuses this user a new file): written
//   whole to a file of the program's own all the same (in the user's
//   temporary folder where the result's folder refuses it), then copied in
//   under the earlier file's lock, with a copy of the earlier result and a
//   journal beside it, so that every name of the file holds the earlier
//   result or the new one, whole, whatever stops the copy;
// - straight through, for a name that is no regular file (a device, a pipe).
// A result that would replace a list the command reads through another name,
// that a link planted by another user in a shared folder leads to, or that
// is a directory or a read-only file, is refused before anything is written.
class Replacement {
public:
    Replacement() = default;
    // Abandons whatever is not committed.
    ~Replacement() { abandon(); }
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    // Opens the replacement of the file `name`; `inputs` are the lists the
    // command reads. False when it cannot be written.
    bool open(const std::string& name, const std::vector<std::string>& inputs, InputsRead read);

    // Creates a file of the program's own, readable by its owner alone, under
    // the first of stem + suffix, stem + "1" + suffix ... that no file holds,
    // and returns its name; empty when it cannot be created. It lives until
    // abandon(), also after commit().
    std::string open_first_free(const std::string& stem, std::string_view suffix);

    // Adds the bytes to the result; false once a write has failed.
    bool write(std::string_view bytes);

    // Puts the result in its place whole, or ends the writing of an own file;
    // false when some byte did not reach it, and then the earlier result is
    // whole under every name.
    bool commit();

    // Removes what the program made for the result, at once; the earlier
    // result stays as it was.
    void abandon();

private:
    enum class Way { none, own, beside, in_place, through };

    bool commit_beside();
    bool commit_in_place();

    Way way_ = Way::none;
    platform::Folder folder_;        // where the own file is
    platform::OwnFile own_;          // the result being made, or a file of the program's own
    platform::Handle through_;       // a device or pipe written straight through
    std::string target_;             // the file the result takes the place of
    platform::FileFacts earlier_;    // that file, when there is one
    std::uint64_t written_ = 0;
    std::uint64_t sent_ = 0;         // of which the system was asked to write back
    bool ok_ = true;
};

// Finishes or undoes what a run of the program stopped without a chance to
// end (a power cut, SIGKILL) left unfinished in `folder`: a write in place is
// completed, or the earlier result put back, from the copies its journal
// names, and the own files that no running program holds are removed.
void finish_interrupted_writes(const std::string& folder);

// The same in the current folder and the user's temporary folder, as the
// program starts.
void finish_interrupted_writes_at_start();

}  // namespace mordavelle
