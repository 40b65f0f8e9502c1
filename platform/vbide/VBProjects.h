#pragma once

#include "platform/common/Result.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

namespace vbide {

class VBProject;
class VBProjectsEvents;

// The open projects, in the order they were opened.
class VBProjects : public QObject {
    Q_OBJECT
public:
    VBProjects(VBProjectsEvents *events, QObject *parent = nullptr);

    int Count() const { return int(m_items.size()); }
    // 1-based; nullptr out of range.
    VBProject *Item(int index) const;
    // By project name, without case; nullptr when none.
    VBProject *Item(const QString &name) const;
    QList<VBProject *>::const_iterator begin() const { return m_items.cbegin(); }
    QList<VBProject *>::const_iterator end() const { return m_items.cend(); }
    // 1-based; 0 when the project is not open here.
    int IndexOf(const VBProject *project) const { return int(m_items.indexOf(project)) + 1; }

    // Opens a .vbp (or a bare .res as a project of its own) and adds it (ItemAdded). Exclusive first removes every open
    // project (ItemRemoved for each). Problems that do not stop the opening
    // (a component file that is missing) are in the project's LoadWarnings().
    // groupCodePage: the code page of the group that lists the project, the
    // guess for a project file whose names do not tell its own; codePage: the
    // one to read it in instead of the one its bytes suggest.
    qm::Result<VBProject *> AddFromFile(const QString &fileName, bool exclusive = false,
                                        const QByteArray &groupCodePage = {}, const QByteArray &codePage = {});
    // Reads the project's file again in codePage and puts the new project in
    // its place (ItemRemoved, then ItemAdded); unsaved changes are dropped, so
    // ask first. On failure the project stays as it was.
    qm::Result<VBProject *> Reopen(VBProject *project, const QByteArray &codePage);
    // Removes a project (ItemRemoved); unsaved changes are dropped, so ask first.
    qm::Status Remove(VBProject *project);

private:
    VBProjectsEvents *m_events;
    QList<VBProject *> m_items;
};

} // namespace vbide
