#pragma once

#include <QObject>
#include <QString>

namespace vbide {

class VBProject;

// Project events. ItemAdded follows the project's addition to VBProjects;
// ItemRemoved follows its removal (the object stays valid until control returns
// to the event loop); ItemRenamed follows a new Name.
class VBProjectsEvents : public QObject {
    Q_OBJECT
public:
    explicit VBProjectsEvents(QObject *parent = nullptr) : QObject(parent) {}

signals:
    void ItemAdded(vbide::VBProject *VBProject);
    void ItemRemoved(vbide::VBProject *VBProject);
    void ItemRenamed(vbide::VBProject *VBProject, const QString &OldName);
};

} // namespace vbide
