#pragma once

// A .vbp project file. Keeps the file's bytes line by line so that saving
// rewrites only the lines that changed and keeps every other byte.

#include "platform/common/Result.h"
#include "platform/vbide/ComponentType.h"

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
    // The ANSI code page the files are written in, unless told otherwise.
    static constexpr const char *DefaultCodePage = "windows-1252";

    // Reads a project file. Fails when it cannot be read or is not a project
    // file; a missing component file only adds a warning.
    static qm::Result<std::unique_ptr<VbpFile>> read(const QString &fileName,
                                                     const QByteArray &codePage = DefaultCodePage);

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
    const QList<VbpComponent> &components() const { return m_components; }
    QStringList warnings() const { return m_warnings; }

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

private:
    struct Line {
        QByteArray text;    // without the line ending
        QByteArray ending;  // "\r\n", "\n" or empty for a last line without one
    };

    VbpFile() = default;
    qm::Status parse();
    int findKey(const QByteArray &key) const;
    qm::Result<QByteArray> encode(const QString &text) const;
    QByteArray defaultEnding() const;

    QString m_fileName;
    QByteArray m_codePage;
    QByteArray m_original;
    QList<Line> m_lines;
    QList<VbpComponent> m_components;
    QStringList m_warnings;
    bool m_changed = false;
    bool m_resourceOnly = false;
};

} // namespace vbide
