#pragma once

#include "platform/vbproject/ComponentType.h"

#include <QObject>
#include <QString>

namespace vbide {

class VBComponents;

class VBComponent : public QObject {
    Q_OBJECT
public:
    VBComponent(vbext_ComponentType type, QString name, QString fileName, bool fileExists,
                VBComponents *parent);

    vbext_ComponentType Type() const { return m_type; }
    QString Name() const { return m_name; }
    // Index 1: the full path of the component's file (empty for other indices).
    QString FileNames(int index) const { return index == 1 ? m_fileName : QString(); }
    int FileCount() const { return 1; }
    // Whether the file was found when the project was read or the file added.
    bool FileExists() const { return m_fileExists; }
    VBComponents *Collection() const;

private:
    vbext_ComponentType m_type;
    QString m_name;
    QString m_fileName;
    bool m_fileExists;
};

} // namespace vbide
