#pragma once

// The uses of a project's resources kept current for a window: read on a
// worker thread when a project is chosen and again whenever its project file
// or a member file changes on disk. The window's thread never waits for the
// reading; the result is handed to it by referencesRead().

#include "coderefs/CodeReferences.h"

#include "platform/common/Result.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

namespace coderefs {

class ProjectUses : public QObject {
    Q_OBJECT
public:
    // What reads a project file's uses; runs on the worker thread.
    using Reader = std::function<qm::Result<CodeReferences>(const QString &vbpPath)>;

    explicit ProjectUses(QObject *parent = nullptr);
    // Tests hand in a reader of their own.
    explicit ProjectUses(Reader reader, QObject *parent = nullptr);
    // Waits for a reading under way; its result is dropped.
    ~ProjectUses() override;

    // Follows the project file (an empty path: none). The uses known so far
    // go; the new ones come with referencesRead().
    void watch(const QString &vbpPath);
    QString projectPath() const { return m_path; }

    // A reading is under way or waiting.
    bool reading() const { return m_worker.joinable() || m_again; }
    // The uses of the last reading; none before the first one ends.
    bool hasReferences() const { return m_references != nullptr; }
    const CodeReferences &references() const;
    // Why the project file could not be read at the last reading; empty when it was.
    QString failure() const { return m_failure; }
    // The readings that ended for the current project.
    int readings() const { return m_readings; }

    // Reads the uses again (the watcher calls it when a file changes).
    void refresh();

signals:
    void referencesRead();

private:
    void start();
    void finished(quint64 generation, qm::Result<CodeReferences> result);
    void watchFiles();

    Reader m_reader;
    QString m_path;
    quint64 m_generation = 0;  // a result of an earlier project is not taken
    std::thread m_worker;
    bool m_again = false;      // a file changed while the reading went on
    std::unique_ptr<CodeReferences> m_references;
    QString m_failure;
    int m_readings = 0;
    QFileSystemWatcher m_watcher;
};

} // namespace coderefs
