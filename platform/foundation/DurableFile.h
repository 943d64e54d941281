// Durable whole-file replacement for every store that saves files: the bytes go to a temporary
// file of a name no other saver uses, which is synced, closed and renamed over the old file; then
// the folder is synced so the rename itself survives a power cut. Any failed step leaves the old
// file whole, removes the temporary file and reports failure. What the client saves is its
// user's (messages, settings, the watch list, the search history, secrets): readable by the
// owner only, whoever made the folder it lands in.
#pragma once

#include <string>
#include <string_view>

namespace foundation {

struct AtomicWriteOptions {
  // Missing parent folders are made first (the owner's only, for an owner-only file); otherwise
  // a missing folder fails the save.
  bool createFolders = true;
  // Permission bits of the new file. The default 0600 makes the file readable by its owner only
  // from its first byte on, whatever the umask and the mode of the file it replaces.
  unsigned mode = 0600;
};

// False (and logged) when any step failed; the file at `path` then holds what it held before.
bool writeFileAtomically(const std::string& path, std::string_view bytes,
                         AtomicWriteOptions options = {});

// The steps of a save, for tests that need a step to fail as a full disk or a read-only folder
// would make it fail.
enum class AtomicWriteStep { None, Create, Write, Sync, Close, Rename, SyncFolder };
// Every later save fails at `step` with `error` (an errno value) until reset with
// AtomicWriteStep::None.
void setAtomicWriteFault(AtomicWriteStep step, int error);

}  // namespace foundation
