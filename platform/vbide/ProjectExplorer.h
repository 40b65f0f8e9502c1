#pragma once

// The host's project explorer: one node per open project, its components
// below it grouped by kind.

#include <QHash>
#include <QTreeWidget>

namespace vbide {

class VBE;
class VBProject;

class ProjectExplorer : public QTreeWidget {
    Q_OBJECT
public:
    explicit ProjectExplorer(VBE *vbe, QWidget *parent = nullptr);

    // The project of the selected node (or of the selected component); nullptr when none.
    VBProject *selectedProject() const;
    void selectProject(VBProject *project);
    QTreeWidgetItem *itemOf(VBProject *project) const { return m_items.value(project); }

private:
    void addProject(VBProject *project);
    void removeProject(VBProject *project);
    void refreshProject(VBProject *project);

    VBE *m_vbe;
    QHash<VBProject *, QTreeWidgetItem *> m_items;
};

} // namespace vbide
