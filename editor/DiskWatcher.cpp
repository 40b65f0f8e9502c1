#include "editor/DiskWatcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

#include <utility>

DiskWatcher::DiskWatcher(QObject *parent) : QObject(parent), m_watcher(new QFileSystemWatcher(this))
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, &DiskWatcher::check);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &DiskWatcher::eventSeen);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &DiskWatcher::eventSeen);
}

DiskWatcher::~DiskWatcher() = default;

void DiskWatcher::watch(const QStringList &files)
{
    m_quiet.stop();
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_files = files;
    rewatch();
    acknowledge();
}

void DiskWatcher::acknowledge()
{
    m_seen.clear();
    for (const QString &file : std::as_const(m_files))
        m_seen.push_back(qm::FileStamp::of(file));
}

void DiskWatcher::remindLater()
{
    m_remind = true;
    m_quiet.start();
}

void DiskWatcher::eventSeen()
{
    // Restarted by every event: a save that writes, renames and removes is one change.
    m_quiet.start();
}

void DiskWatcher::rewatch()
{
    // A watch set on a file that was since replaced watches the old one, if any.
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    QStringList paths;
    for (const QString &file : std::as_const(m_files)) {
        const QString folder = QFileInfo(file).absolutePath();
        if (!paths.contains(folder) && !m_watcher->directories().contains(folder))
            paths.append(folder);
        if (QFileInfo::exists(file))
            paths.append(file);
    }
    if (!paths.isEmpty())
        m_watcher->addPaths(paths);
}

void DiskWatcher::check()
{
    ++m_checks;
    // A file that was replaced or made anew is watched again.
    rewatch();
    bool news = std::exchange(m_remind, false);
    for (std::size_t i = 0; i < m_seen.size(); ++i) {
        const qm::FileStamp now = qm::FileStamp::of(m_files[qsizetype(i)]);
        news = news || now != m_seen[i];
        m_seen[i] = now;
    }
    if (news)
        emit changed();
}
