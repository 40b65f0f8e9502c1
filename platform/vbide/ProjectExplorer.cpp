#include "platform/vbide/ProjectExplorer.h"

#include "platform/vbide/Events.h"
#include "platform/vbproject/ProjectCodePage.h"
#include "platform/vbide/VBComponent.h"
#include "platform/vbide/VBComponents.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjects.h"
#include "platform/vbide/VBProjectsEvents.h"
#include "platform/vbproject/VbpFile.h"

#include <QFileInfo>
#include <QHeaderView>

#include <algorithm>

namespace vbide {

namespace {


// Folder captions in the order the host shows them.
QString folderOf(vbext_ComponentType type)
{
    switch (type) {
    case vbext_ct_VBForm:
    case vbext_ct_VBMDIForm: return QStringLiteral("Forms");
    case vbext_ct_StdModule: return QStringLiteral("Modules");
    case vbext_ct_ClassModule: return QStringLiteral("Class Modules");
    case vbext_ct_UserControl: return QStringLiteral("User Controls");
    case vbext_ct_DocObject: return QStringLiteral("User Documents");
    case vbext_ct_PropPage: return QStringLiteral("Property Pages");
    case vbext_ct_MSForm:
    case vbext_ct_ActiveXDesigner: return QStringLiteral("Designers");
    case vbext_ct_RelatedDocument:
    case vbext_ct_ResFile: return QStringLiteral("Related Documents");
    }
    return QStringLiteral("Other");
}

} // namespace

ProjectExplorer::ProjectExplorer(VBE *vbe, QWidget *parent) : QTreeWidget(parent), m_vbe(vbe)
{
    setObjectName(QStringLiteral("projectExplorer"));
    setAccessibleName(QStringLiteral("Project Explorer"));
    setHeaderHidden(true);
    setHeaderLabel(QStringLiteral("Projects"));  // still read out by screen readers
    setColumnCount(1);
    for (VBProject *project : *vbe->VBProjects())
        addProject(project);
    VBProjectsEvents *events = vbe->Events()->VBProjectsEvents();
    connect(events, &VBProjectsEvents::ItemAdded, this, &ProjectExplorer::addProject);
    connect(events, &VBProjectsEvents::ItemRemoved, this, &ProjectExplorer::removeProject);
    connect(events, &VBProjectsEvents::ItemRenamed, this, [this](VBProject *project, const QString &) {
        refreshProject(project);
    });
}

VBProject *ProjectExplorer::selectedProject() const
{
    QTreeWidgetItem *item = currentItem();
    while (item && item->parent())
        item = item->parent();
    if (!item)
        return nullptr;
    return m_items.key(item, nullptr);
}

void ProjectExplorer::selectProject(VBProject *project)
{
    if (QTreeWidgetItem *item = m_items.value(project))
        setCurrentItem(item);
}

void ProjectExplorer::addProject(VBProject *project)
{
    // In the project's place: one read again in another code page stays where it was.
    auto *item = new QTreeWidgetItem;
    const int index = m_vbe->VBProjects()->IndexOf(project);
    insertTopLevelItem(index > 0 ? std::min(index - 1, topLevelItemCount()) : topLevelItemCount(), item);
    m_items.insert(project, item);
    connect(project, &VBProject::dirtyChanged, this, [this, project] { refreshProject(project); });
    connect(project, &VBProject::componentsChanged, this, [this, project] { refreshProject(project); });
    refreshProject(project);
    setCurrentItem(item);
}

void ProjectExplorer::removeProject(VBProject *project)
{
    disconnect(project, nullptr, this, nullptr);
    delete m_items.take(project);
}

void ProjectExplorer::refreshProject(VBProject *project)
{
    QTreeWidgetItem *item = m_items.value(project);
    if (!item)
        return;
    const QString file = QFileInfo(project->FileName()).fileName();
    item->setText(0, QStringLiteral("%1 (%2)%3").arg(project->Name(), file, project->IsDirty() ? QStringLiteral(" *") : QString()));
    item->setToolTip(0, project->file().resourceOnly()
                            ? project->FileName()
                            : QStringLiteral("%1\nCode page %2").arg(project->FileName(), describeCodePage(project->file().codePage())));
    qDeleteAll(item->takeChildren());
    QHash<QString, QTreeWidgetItem *> folders;
    for (VBComponent *component : *project->VBComponents()) {
        const QString folder = folderOf(component->Type());
        QTreeWidgetItem *&folderItem = folders[folder];
        if (!folderItem)
            folderItem = new QTreeWidgetItem(item, {folder});
        auto *child = new QTreeWidgetItem(folderItem, {QStringLiteral("%1 (%2)").arg(component->Name(),
                                                                                    QFileInfo(component->FileNames(1)).fileName())});
        child->setToolTip(0, component->FileExists() ? component->FileNames(1)
                                                     : component->FileNames(1) + QStringLiteral(" (missing)"));
        if (!component->FileExists())
            child->setForeground(0, QBrush(Qt::red));
    }
    item->setExpanded(true);
    for (int i = 0; i < item->childCount(); ++i)
        item->child(i)->setExpanded(true);
}

} // namespace vbide
