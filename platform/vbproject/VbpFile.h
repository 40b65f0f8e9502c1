#pragma once

// A .vbp project file. Keeps the file's bytes line by line so that saving
// rewrites only the lines that changed and keeps every other byte.

#include "platform/common/Result.h"
#include "platform/vbproject/ComponentType.h"
#include "platform/vbproject/ProblemList.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace vbide {

struct VbpComponent {
    vbext_ComponentType type;
    QString name;
    QString path;          // resolved absolute path
    bool exists = false;
    QString writtenPath;   // as written in the file
};

class VbpFile {
public:
    // Reads a project file in codePage; without one, in the code page it was
    // written in (detectCodePage, with `hint` the code page of the group that
    // lists it). Fails when it cannot be read, is larger than
    // MaxProjectFileBytes or is not a project file; a missing component file
    // only adds a warning.
    static qm::Result<std::unique_ptr<VbpFile>> read(const QString &fileName, const QByteArray &codePage = {},
                                                     const QByteArray &hint = {});

    // A project of its own for a resource file without one: named after the
    // file (made a valid project name), the file its only component. It has
    // no project file: save() refuses.
    static qm::Result<std::unique_ptr<VbpFile>> forResourceFile(const QString &resFileName);
    bool resourceOnly() const { return m_resourceOnly; }

    QString fileName() const { return m_fileName; }
    QString folder() const;
    // Name=; "Project1" when the file has none, as the host names new projects.
    QString name() const;
    qm::Status setName(const QString &name);
    // The codec the file is read and written in ("windows-936").
    QByteArray codePage() const { return m_codePage; }
    // Type=; "Exe" for the files of Visual Basic 4 and 5 that have none.
    QString projectType() const;
    const QList<VbpComponent> &components() const { return m_components; }
    // Lines naming no file, then missing files; past ProblemList::Shown of a kind, a count and the first ones.
    QStringList warnings() const;

    // Adds a component line (ResFile32="..." for a resource file) for an absolute path.
    qm::Status addComponent(vbext_ComponentType type, const QString &name, const QString &absolutePath);

    bool isChanged() const { return m_changed; }
    // The bytes the file would have now.
    QByteArray bytes() const;
    // Writes the file atomically. Refuses when the file changed on disk since it was read.
    qm::Status save();

    // The component type of a key ("Form", "Module", ... "ResFile32"); 0 for others.
    static int typeOfKey(const QString &key);
    // The key used to write a component type.
    static QString keyOfType(vbext_ComponentType type);
    // The type a file gets when added, from its extension (and, for forms, its content); 0 when unknown.
    static int typeOfFile(const QString &absolutePath);
    // The name a component gets: its Attribute VB_Name (read in codePage), else its file's name.
    static QString defaultComponentName(vbext_ComponentType type, const QString &absolutePath, const QByteArray &codePage);

private:
    // A line as a span of m_original, so that a file of a million lines stays small.
    struct Line {
        qsizetype start = 0;  // in m_original; -1: the text is m_written[length]
        qsizetype length = 0; // without the line ending
        QByteArrayView ending; // "\r\n", "\n" or empty for a last line without one
    };

    VbpFile() = default;
    void splitLines();
    QByteArrayView textOf(const Line &line) const;
    void setText(int line, const QByteArray &text);
    void insertLine(int at, const QByteArray &text);
    // The lines before the first [section], the ones the host reads and writes.
    int topSectionEnd() const;
    QList<QByteArray> listedNames() const;
    qm::Status parse();
    int findKey(const QByteArray &key) const;
    qm::Result<QByteArray> encode(const QString &text) const;
    QByteArrayView defaultEnding() const;

    QString m_fileName;
    QByteArray m_codePage;
    QByteArray m_original;
    QList<Line> m_lines;
    QList<QByteArray> m_written;
    QList<VbpComponent> m_components;
    ProblemList m_unnamed;
    ProblemList m_missing;
    bool m_changed = false;
    bool m_resourceOnly = false;
};

} // namespace vbide
