#pragma once

#include "platform/common/Result.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace vbide {

class VbpFile;
class VBComponents;
class VBProjectsEvents;

// One open project, read from its .vbp file.
class VBProject : public QObject {
    Q_OBJECT
public:
    VBProject(std::unique_ptr<VbpFile> file, VBProjectsEvents *events, QObject *parent = nullptr);
    ~VBProject() override;

    QString Name() const;
    // A valid name (letter first, then letters, digits or "_", at most 40);
    // raises ItemRenamed when it differs from the current one.
    qm::Status setName(const QString &name);
    // Full path of the project file.
    QString FileName() const;
    vbide::VBComponents *VBComponents() const { return m_components; }
    // True when the project has changes that are not saved.
    bool IsDirty() const;
    // Writes the project file, changing only the lines that changed.
    qm::Status Save();
    // Problems met while opening (missing component files).
    QStringList LoadWarnings() const;

    VbpFile &file() const { return *m_file; }

signals:
    void dirtyChanged(bool dirty);
    void componentsChanged();

private:
    friend class VBComponents;
    void markChanged();

    std::unique_ptr<VbpFile> m_file;
    VBProjectsEvents *m_events;
    vbide::VBComponents *m_components;
};

} // namespace vbide
