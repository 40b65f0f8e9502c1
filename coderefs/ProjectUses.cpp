#include "coderefs/ProjectUses.h"

#include "coderefs/ProjectCode.h"

#include <QFileInfo>
#include <QMetaObject>

namespace coderefs {

ProjectUses::ProjectUses(QObject *parent)
    : ProjectUses([](const QString &path) { return readProjectReferences(path); }, parent)
{
}

ProjectUses::ProjectUses(Reader reader, QObject *parent) : QObject(parent), m_reader(std::move(reader))
{
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &ProjectUses::refresh);
}

ProjectUses::~ProjectUses()
{
    if (m_worker.joinable())
        m_worker.join();
}

const CodeReferences &ProjectUses::references() const
{
    static const CodeReferences none;
    return m_references ? *m_references : none;
}

void ProjectUses::watch(const QString &vbpPath)
{
    if (vbpPath == m_path)
        return;
    m_path = vbpPath;
    ++m_generation;
    m_references.reset();
    m_failure.clear();
    m_readings = 0;
    watchFiles();
    refresh();
}

void ProjectUses::refresh()
{
    if (m_path.isEmpty())
        return;
    // One reading at a time: a change during one is read after it.
    if (m_worker.joinable()) {
        m_again = true;
        return;
    }
    start();
}

void ProjectUses::start()
{
    m_again = false;
    const quint64 generation = m_generation;
    m_worker = std::thread([this, generation, path = m_path, reader = m_reader] {
        qm::Result<CodeReferences> result = reader(path);
        // Queued to this object's thread; dropped when the object has gone by then.
        QMetaObject::invokeMethod(
            this, [this, generation, result = std::move(result)]() mutable { finished(generation, std::move(result)); },
            Qt::QueuedConnection);
    });
}

void ProjectUses::finished(quint64 generation, qm::Result<CodeReferences> result)
{
    if (m_worker.joinable())
        m_worker.join();
    if (generation == m_generation) {
        ++m_readings;
        if (result) {
            m_references = std::make_unique<CodeReferences>(std::move(result).value());
            m_failure.clear();
        } else {
            m_references = std::make_unique<CodeReferences>();
            m_failure = result.errorString();
        }
        watchFiles();
    }
    if (m_again || generation != m_generation)
        refresh();
    if (generation == m_generation)
        emit referencesRead();
}

void ProjectUses::watchFiles()
{
    if (const QStringList files = m_watcher.files(); !files.isEmpty())
        m_watcher.removePaths(files);
    if (m_path.isEmpty())
        return;
    // A file saved by replacing it leaves the watcher, so the list is laid anew after every reading.
    QStringList paths{m_path};
    if (m_references) {
        for (const CodeMember &member : m_references->members) {
            if (!member.path.isEmpty() && QFileInfo::exists(member.path))
                paths.append(member.path);
        }
    }
    if (QFileInfo::exists(m_path))
        m_watcher.addPaths(paths);
}

} // namespace coderefs
