#include "storage/FileAccess.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

namespace {

// "alice (uid 1000)", or "uid 1000" for an id the system does not name: a
// user's (getpwuid_r, passwd::pw_name) or a group's (getgrgid_r, group::gr_name).
template <typename TEntry, typename TId>
std::string Named(int (*lookup)(TId, TEntry*, char*, std::size_t, TEntry**), char* TEntry::*name, TId id,
                  const char* kind)
{
    std::vector<char> buffer(16384);
    TEntry entry{};
    TEntry* found = nullptr;
    const std::string number = std::string(kind) + " " + std::to_string(id);
    if (lookup(id, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return number;
    return std::string(found->*name) + " (" + number + ")";
}

std::string UserName(uid_t uid)
{
    return Named(::getpwuid_r, &passwd::pw_name, uid, "uid");
}

std::string GroupName(gid_t gid)
{
    return Named(::getgrgid_r, &group::gr_name, gid, "gid");
}

// Whether the user `uid` belongs to the group `gid`, as a login of that user
// would; false for a user the system does not know.
bool UserInGroup(uid_t uid, gid_t gid)
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return false;
    if (found->pw_gid == gid)
        return true;
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (::getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (::getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0)
            return false;
    }
    groups.resize(static_cast<std::size_t>(count));
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

// Whom a file of `made`'s owner and group would lock out of those whom `old`
// let write (the mode is the same); empty when nobody.
std::string LockedOut(const struct stat& old, const struct stat& made)
{
    if (old.st_mode & S_IWOTH)
        return {};
    if ((old.st_mode & S_IWGRP) && made.st_gid != old.st_gid)
        return "its group " + GroupName(old.st_gid) + " could no longer write it: " + UserName(::geteuid())
               + " does not belong to that group, and a replaced file would not keep it";
    const bool ownerStillWrites =
        made.st_uid == old.st_uid || ((made.st_mode & S_IWGRP) && UserInGroup(old.st_uid, made.st_gid));
    if ((old.st_mode & S_IWUSR) && !ownerStillWrites)
        return "its owner " + UserName(old.st_uid) + " could no longer write it: a replaced file would belong to "
               + UserName(made.st_uid);
    return {};
}

}  // namespace

std::string TakeOverAccess(int fd, const struct stat& old)
{
    struct stat made {};
    if (::fstat(fd, &made) != 0)
        return std::generic_category().message(errno);
    // Where neither is allowed the file stays as made, and LockedOut decides.
    if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0
        && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
    }
    // After the owner: a change of owner clears the set-id bits.
    if (::fchmod(fd, old.st_mode & 07777) != 0 || ::fstat(fd, &made) != 0)
        return std::generic_category().message(errno);
    return LockedOut(old, made);
}
