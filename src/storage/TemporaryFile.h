#pragma once
// The safe write's temporary files: ".NAME.PID-N.tmp" beside the target NAME.
// Each is locked (flock) by its writer from the moment it is made until it is
// renamed or removed, so one whose lock is free was left by a writer that is
// gone (killed, or the machine stopped). A process id alone could not tell:
// ids are reused.

#include <filesystem>
#include <functional>
#include <string_view>

// A new, empty temporary file for `target`, open for writing and locked by
// this descriptor; `name` receives its name. -1 when none can be made (errno
// set). On a file system without locks the file is used unlocked. It is
// readable by its owner alone until it is complete (GiveNewFileMode, or the
// mode of the file it replaces).
int CreateTemporary(const std::filesystem::path& target, std::filesystem::path& name);

// Gives the complete temporary file open as `fd` the mode any new file gets:
// 0666 less the process's umask. 0, or the error code.
int GiveNewFileMode(int fd);

// True when the entry `name` itself (not a link's target) is the file open
// as `fd`: nothing was put in its place meanwhile.
bool NameIsFile(int fd, const std::filesystem::path& name);

// Removes the temporary files of `target` whose lock is free. Best effort:
// one that cannot be opened, locked or removed stays.
void RemoveStaleTemporaries(const std::filesystem::path& target);

// The same for every target of `folder` whose name `isTarget` accepts.
void RemoveStaleTemporaries(const std::filesystem::path& folder,
                            const std::function<bool(std::string_view target)>& isTarget);
