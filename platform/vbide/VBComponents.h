#pragma once

#include "platform/common/Result.h"

#include <QList>
#include <QObject>
#include <QString>

namespace vbide {

class VBComponent;
class VBProject;

// The components of a project, in the order of its project file.
class VBComponents : public QObject {
    Q_OBJECT
public:
    explicit VBComponents(VBProject *project);

    int Count() const { return int(m_items.size()); }
    // 1-based; nullptr out of range.
    VBComponent *Item(int index) const;
    // By name, without case; nullptr when none.
    VBComponent *Item(const QString &name) const;
    QList<VBComponent *>::const_iterator begin() const { return m_items.cbegin(); }
    QList<VBComponent *>::const_iterator end() const { return m_items.cend(); }
    VBProject *Parent() const { return m_project; }

    // Adds a file to the project as a component, its type from its extension
    // (.res becomes the project's resource file, type 4); IsRelatedDocument
    // adds any file as a related document. The project becomes dirty; the
    // project file changes when the project is saved.
    qm::Result<VBComponent *> AddFile(const QString &FileName, bool IsRelatedDocument = false);

private:
    friend class VBProject;
    void reload();

    VBProject *m_project;
    QList<VBComponent *> m_items;
};

} // namespace vbide
