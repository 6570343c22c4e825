#pragma once
// The safe write's temporary files: ".NAME.PID-N.tmp" beside the target NAME.
// Each is locked (flock) by its writer from the moment it is made until it is
// renamed or removed, so one whose lock is free was left by a writer that is
// gone (killed, or the machine stopped). A process id alone could not tell:
// ids are reused.

#include <filesystem>

// A new, empty temporary file for `target`, open for writing and locked by
// this descriptor; `name` receives its name. -1 when none can be made (errno
// set). On a file system without locks the file is used unlocked.
int CreateTemporary(const std::filesystem::path& target, std::filesystem::path& name);

// Removes the temporary files of `target` whose lock is free. Best effort:
// one that cannot be opened, locked or removed stays.
void RemoveStaleTemporaries(const std::filesystem::path& target);
