#pragma once

#include "platform/common/FileStamp.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <vector>

class QFileSystemWatcher;

// Watches a few files for changes by other programs: an edit in place, a
// replacement by rename (an atomic save), a removal and a new file in the
// same place. The folders are watched too, since a replaced file is no
// longer the one a watch was set on. A burst of events ends in one changed(),
// once the files have been quiet for a moment, and only when a file's stamp
// differs from the one seen or acknowledged last.
class DiskWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int kQuietMs = 150;

    explicit DiskWatcher(QObject *parent = nullptr);
    ~DiskWatcher() override;

    // The files to watch from now on, acknowledged as they are now.
    void watch(const QStringList &files);
    const QStringList &files() const { return m_files; }
    // The files as they are now are known (the program's own save or read):
    // what has changed until now is no news.
    void acknowledge();
    // Emits changed() again after the quiet time, news or not: for a change
    // that could not be dealt with when it came.
    void remindLater();
    // How often the files were looked at after events: one look per burst.
    int checks() const { return m_checks; }

signals:
    void changed();

private:
    void eventSeen();
    void check();
    void rewatch();

    QFileSystemWatcher *m_watcher = nullptr;
    QTimer m_quiet;
    QStringList m_files;
    std::vector<qm::FileStamp> m_seen;  // per file
    bool m_remind = false;
    int m_checks = 0;
};
