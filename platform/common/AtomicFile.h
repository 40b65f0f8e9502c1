#pragma once

#include "platform/common/Result.h"

#include <QByteArrayView>
#include <QString>

#include <sys/types.h>

namespace qm {

// Writes a user's file so that a crash, a kill, a full disk or a power cut
// leaves either the old file or the complete new one: the bytes go into a
// temporary file in the same folder, every write, the sync and the close are
// checked, the file is synced, renamed over the old one, and the folder is
// synced so the rename itself survives.
//
// The new file is the old one in all but its bytes: a file named through a
// symbolic link is written where the link points, and an existing file keeps
// its owner, group, permissions, ACLs and extended attributes. The temporary
// file is readable by its owner alone until it has them. Where the new file
// could not have them all (another user's file, a group or attribute the
// caller may not give) or where the file has other hard links, the complete
// new bytes are copied over the old file's at commit instead, its space
// reserved first; should that copy fail, the temporary file is kept and the
// message names it. Anything but a regular file is refused, never replaced.
//
// Failures are one sentence naming the file once, with the system's own
// reason ("No space left on device"); problem() holds the reason alone.
class AtomicFile {
public:
    explicit AtomicFile(QString path);
    ~AtomicFile(); // a temporary that was not committed is removed
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Whether path could be replaced: refuses, with the message open() would
    // give, a folder, a device, a FIFO or a socket, before any work is done.
    static Status checkTarget(const QString &path);

    Status open();
    Status write(QByteArrayView bytes);
    // Syncs the new bytes to disk, so that commit() has only to put them in
    // place; for committing several files together (a crash before commit
    // leaves the complete temporary file at temporaryPath()).
    Status prepare();
    Status commit();
    void cancel();

    // The temporary file while open, else empty.
    const QString &temporaryPath() const { return m_temporary; }
    // The file that commit() replaces (a symbolic link followed), once open.
    const QString &targetPath() const { return m_target; }

    // The temporary file's descriptor while open, else -1.
    int handle() const { return m_fd; }
    // Why the last step failed, without the file name.
    const QString &problem() const { return m_problem; }
    // Whether the last failure was that the file could not even be started.
    bool failedToOpen() const { return m_failedToOpen; }
    // Whether commit() copies the bytes over the existing file instead of
    // renaming the temporary file over it.
    bool writesInPlace() const { return m_inPlace; }

private:
    Status fail(const QString &problem);
    Status failWith(int error);
    void discard();
    Status createTemporary(const QString &folder, const QString &fileName, bool exists);
    Status copyInPlace();

    QString m_path;   // as the caller named it, for messages
    QString m_target; // the file that is replaced
    QString m_temporary;
    int m_fd = -1;
    QString m_problem;
    bool m_failedToOpen = false;
    bool m_inPlace = false;
    bool m_prepared = false;
    dev_t m_device = 0; // the replaced file, so that a copy in place goes to it alone
    ino_t m_inode = 0;
};

// The whole of bytes into path, atomically.
Status writeFileAtomically(const QString &path, QByteArrayView bytes);

} // namespace qm
