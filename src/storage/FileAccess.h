#pragma once
// Who may write a file that replaces another. A rename puts a new file in the
// old one's place, and a new file belongs to whoever made it: a shared stage
// file replaced by one designer would lock out the others.

#include <sys/stat.h>
#include <string>

// Gives the new file open as `fd` the owner, group and mode of `old`, as far
// as this process may: the superuser keeps both owner and group, anyone else
// keeps the group when they belong to it; the mode is always kept. Empty when
// everyone who could write `old` may write the new file; otherwise why not,
// in words for the user (or the error of a failing call).
std::string TakeOverAccess(int fd, const struct stat& old);
