#pragma once

#include "platform/common/Result.h"

#include <QByteArrayView>
#include <QString>

namespace qm {

// Writes a user's file so that a crash, a kill, a full disk or a power cut
// leaves either the old file or the complete new one: the bytes go into a
// temporary file in the same folder, every write, the sync and the close are
// checked, the file is synced, renamed over the old one, and the folder is
// synced so the rename itself survives. A file named through a symbolic link
// is written where the link points; an existing file keeps its permissions.
//
// Failures are one sentence naming the file once, with the system's own
// reason ("No space left on device"); problem() holds the reason alone.
class AtomicFile {
public:
    explicit AtomicFile(QString path);
    ~AtomicFile(); // a temporary that was not committed is removed
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    Status open();
    Status write(QByteArrayView bytes);
    Status commit();
    void cancel();

    // The temporary file's descriptor while open, else -1.
    int handle() const { return m_fd; }
    // Why the last step failed, without the file name.
    const QString &problem() const { return m_problem; }
    // Whether the last failure was that the file could not even be started.
    bool failedToOpen() const { return m_failedToOpen; }

private:
    Status fail(const QString &problem);
    Status failWith(int error);
    void discard();

    QString m_path;   // as the caller named it, for messages
    QString m_target; // the file that is replaced
    QString m_temporary;
    int m_fd = -1;
    QString m_problem;
    bool m_failedToOpen = false;
};

// The whole of bytes into path, atomically.
Status writeFileAtomically(const QString &path, QByteArrayView bytes);

} // namespace qm
