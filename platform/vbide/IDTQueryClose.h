#pragma once

// An optional second interface of an add-in's connection object, for add-ins
// that hold unsaved work. Before the host closes projects or unloads the
// add-in (exit, Remove Project, Open Project, the Add-In Manager) it asks, while
// it can still keep everything as it is:
//
//     class Connect : public QObject, public vbide::IDTExtensibility2, public vbide::IDTQueryClose {
//         Q_INTERFACES(vbide::IDTExtensibility2 vbide::IDTQueryClose)
//         ...
//     };

#include <QList>
#include <QObject>

namespace vbide {

class VBProject;

class IDTQueryClose {
public:
    virtual ~IDTQueryClose() = default;
    // `projects` are about to close; with `unloading` the add-in is about to be
    // unloaded as well. False keeps the projects open and the add-in loaded.
    virtual bool OnQueryClose(const QList<VBProject *> &projects, bool unloading) = 0;
};

} // namespace vbide

#define QM_IDTQueryClose_iid "org.quillmark.vbide.IDTQueryClose/1.0"
Q_DECLARE_INTERFACE(vbide::IDTQueryClose, QM_IDTQueryClose_iid)
