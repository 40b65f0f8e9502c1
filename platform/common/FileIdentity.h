#pragma once

#include <QByteArray>

#include <sys/stat.h>

namespace qm {

// Gives the new file behind fd what the file at path it replaces has beside
// its bytes: owner and group, permissions, ACLs and every other extended
// attribute (an ACL is one: system.posix_acl_access). Attributes the new file
// got from its folder and the old one lacks are removed.
//
// False when some of it cannot be given (another user's file, a group the
// caller is not in, an attribute the caller may not set): the new file would
// then differ from the old one.
bool copyFileIdentity(const QByteArray &path, const struct stat &old, int fd);

} // namespace qm
