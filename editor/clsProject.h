#pragma once

#include "merge/ThreeWayMerge.h"
#include "platform/common/FileStamp.h"
#include "platform/common/Result.h"
#include "platform/vbide/VBProject.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

namespace LgvRuntime {
class RuntimeSupport;
}
namespace resutil {
class ResFile;
}
class DiskWatcher;
class QUndoStack;
class StringTableModel;

// One project open in the host, paired with the resource file that belongs to it.
// The resource file, with its unsaved edits, lives as long as this object.
class clsProject : public QObject {
    Q_OBJECT
public:
    explicit clsProject(QObject *parent = nullptr);
    ~clsProject() override;

    // The host project; nullptr once released (or when the host has deleted it).
    vbide::VBProject *Project() const { return m_project.data(); }
    void setProject(vbide::VBProject *project) { m_project = project; }

    qint32 Index() const { return m_index; }
    void setIndex(qint32 index) { m_index = index; }

    resutil::ResFile *ResourceFile() const { return m_resourceFile.get(); }
    void setResourceFile(std::unique_ptr<resutil::ResFile> file);
    bool HasResourceFile() const { return m_resourceFile != nullptr; }
    // True when the project has a resource file whose last reading failed
    // (missing, truncated, not a resource file): it can be shown, not edited.
    bool ResourceFileUnreadable() const { return m_resourceFile && m_unreadable; }
    bool HasReadableResourceFile() const { return m_resourceFile && !m_unreadable; }
    // The grid's table over the readable resource file's strings, nullptr
    // without one; made anew whenever the file is read again or created.
    StringTableModel *Table() const { return m_table.get(); }
    // The languages a table keeps room for before it grows.
    static constexpr int kInitialLanguageRoom = 11;  // indices 0 to 10

    // Set when the user, asked before the host closes this project, agreed to
    // it (saved, or chose not to save): the close then asks nothing more.
    bool CloseApproved() const { return m_closeApproved; }
    void setCloseApproved(bool approved) { m_closeApproved = approved; }

    // The language the user chose to check translations against; 0: none chosen.
    qint32 SourceLanguageChoice() const { return m_sourceLanguageChoice; }
    void setSourceLanguageChoice(qint32 localeId) { m_sourceLanguageChoice = localeId; }
    // The steps done on the resource file's strings, for undo and redo;
    // emptied when the file is read again or created.
    QUndoStack *UndoStack() const { return m_undoStack; }

    bool Initialised() const { return m_initialised; }
    void setInitialised(bool initialised) { m_initialised = initialised; }

    // Finds the project's resource file component and reads it; drops any
    // file held before, with its unsaved changes. A file that cannot be read
    // is told in a message unless `tellReadFailure` is false (a project the
    // user did not pick); either way the grid then shows it as unreadable.
    void Init(bool tellReadFailure = true);
    // Writes the resource file and remembers the version written.
    qm::Status SaveResourceFile();
    // True when another program replaced or rewrote the resource file since it
    // was read or last written here. A file that is gone counts as unchanged:
    // saving it again loses nothing.
    bool ResourceFileChangedOnDisk() const;
    // Whether another program wrote the resource file or its state file since
    // they were read or written here (a file removed since counts too).
    bool DiskFilesChanged() const;
    // The file's strings and other resources as last read or written here:
    // what a merge with the file on disk starts from. Made when asked for,
    // from the strings in memory and the texts they kept of cells changed since.
    merge::Version DiskVersion() const;
    // Reads the resource file and its state file again into the same file
    // object, so that the table (with the grid's place in it) and the undo
    // steps stay; the caller tells the table. On failure the project is read
    // anew as by Init(false), and shows the file as unreadable.
    qm::Status ReadAgain();
    // After a merge took in the file on disk: `theirs` (read at `stamp`) is
    // now the version the project knows to be on disk.
    void TookInDiskVersion(const merge::Version &theirs, const qm::FileStamp &stamp, const qm::FileStamp &stateStamp);
    // Watches the resource file and its state file for other programs' changes.
    DiskWatcher *Watcher() const { return m_watcher; }
    QString StateFileName() const;
    // Creates the file on disk and adds it to the project; does nothing when
    // the project already has a resource file.
    void CreateResourceFile(const QString &FileName);

    void lgv_RuntimeSupport_LanguageChanged(int LanguageID, const QString &Language);

signals:
    // The resource file was read (by Init) or written, without a failure.
    void resourceFileRead();
    void resourceFileSaved();

private:
    QPointer<vbide::VBProject> m_project;
    qint32 m_index = 0;
    void setFile(std::unique_ptr<resutil::ResFile> file, bool unreadable);
    // The file on disk as it was just read or written is the one known.
    void RememberDiskVersion();
    // The version on disk is the strings in memory with `differing` (per
    // cell, its text on disk) put back, and `others`.
    void KnowDiskVersion(QHash<quint64, QString> differing, QList<resutil::ResResource> others,
                         const qm::FileStamp &stamp, const qm::FileStamp &stateStamp);

    std::unique_ptr<resutil::ResFile> m_resourceFile;
    std::unique_ptr<StringTableModel> m_table;  // over m_resourceFile's strings: goes first
    QUndoStack *m_undoStack = nullptr;
    bool m_initialised = false;
    bool m_unreadable = false;
    qm::FileStamp m_diskStamp;  // the version of the file read or last written
    qm::FileStamp m_stateStamp;  // and of its state file
    QList<resutil::ResResource> m_diskResources; // the other resources of that version; its strings are kept by the file's
    DiskWatcher *m_watcher = nullptr;
    bool m_closeApproved = false;
    qint32 m_sourceLanguageChoice = 0;
    std::unique_ptr<LgvRuntime::RuntimeSupport> lgv_RuntimeSupport;
};
