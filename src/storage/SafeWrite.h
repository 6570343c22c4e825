#pragma once
// The one way the program writes a whole file. The bytes go into a new
// temporary file beside the target (readable by its owner alone until they
// are all there), are flushed to the disk and only then renamed over the
// target, so a full disk, a killed process or any other
// failure leaves the target exactly as it was. A failed write removes its
// temporary file; a killed one leaves it (".NAME.PID-N.tmp", locked while
// its writer lives), and the next write of the same target removes every
// such file whose writer is gone.

#include <filesystem>
#include <string>
#include <string_view>

enum class TExistingTarget {
    Replace,  // an existing regular file is replaced (see SafeWriteFile)
    Refuse,   // anything already at the target's name is left alone and the write fails
};

// The outcome of a write: success, or why it failed in words for the user
// (such as "No space left on device" or "it is a directory"); the caller adds
// the file's name.
struct TWriteResult {
    std::string Error;
    bool AlreadyExists = false;  // refused because the target exists (TExistingTarget::Refuse)

    explicit operator bool() const { return Error.empty(); }
};

// Writes `bytes` as the whole content of `target`.
// - A missing target is created with the usual permissions (0666 less umask).
// - An existing regular file is replaced by one of the same mode, owner and
//   group, as far as the writer may give them: the superuser keeps all;
//   anyone else keeps the group when they belong to it. When the new file
//   would lock out someone who may write the old one (its owner or its
//   group), nothing is changed and the write fails saying so; it never falls
//   back to writing in place.
// - A link to a file replaces that file and keeps the link.
// - A name of one of this process's open descriptors (/dev/stdout, /dev/fd/N,
//   /proc/self/fd/N, or a link to one) is written through that descriptor,
//   where it stands (appending when it was opened to append): opening the
//   name again would start at the beginning of whatever it leads to.
// - A character device or a pipe (/dev/null, a terminal, a FIFO that a
//   process reads) cannot be replaced: it is written directly, every write
//   checked; a FIFO that nobody reads fails at once instead of waiting.
// - A directory, a socket, a block device or a dangling link is refused, as
//   is a file the caller may not write. A folder that takes no new file is
//   named as read-only.
TWriteResult SafeWriteFile(const std::filesystem::path& target, std::string_view bytes,
                           TExistingTarget existing = TExistingTarget::Replace);

// Replaces the regular file `target`, which must still be the file open as
// `expected` (one whose lock the caller holds) when the new file takes its
// place: the two names are exchanged (renameat2 with RENAME_EXCHANGE), and
// when the file pushed out is not `expected`, because a program that takes
// no lock put another file there meanwhile, they are exchanged back and the
// write fails, changing nothing. A file system that cannot exchange names
// falls back to a check of the target just before a plain rename; a file
// put there between the two is replaced. Otherwise as SafeWriteFile.
TWriteResult SafeReplaceFile(const std::filesystem::path& target, std::string_view bytes, int expected);
