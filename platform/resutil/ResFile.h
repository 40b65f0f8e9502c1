#pragma once

#include "platform/common/Result.h"
#include "platform/resutil/ResCompanion.h"
#include "platform/resutil/ResResource.h"
#include "platform/resutil/ResStrings.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

namespace resutil {

// A Win32 .res file as a flat collection of string entries. Every other
// resource of a loaded file is kept byte for byte and written back unchanged.
//
// Errors name the file first ("PATH: what went wrong"), then the offset or
// entry and the fault.
class ResFile {
public:
    ResFile() = default;
    ResFile(const ResFile &) = delete;
    ResFile &operator=(const ResFile &) = delete;

    QString FileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }

    // Reads FileName. On failure the object is left empty and a later Save to
    // the same file is refused, so an unreadable file is never written over.
    qm::Status Load();
    // Writes a resource file without strings at FileName and empties the object.
    // (It holds one empty string table: some tools refuse a file with no resource.)
    qm::Status Create();
    // Writes the entries back to FileName atomically. flags must be 0. Refuses
    // entries the format cannot hold (string or locale ID outside 0..65535,
    // texts longer than 65535 UTF-16 units, two different texts for one
    // string ID and locale) and then writes nothing. Empty texts are not stored.
    qm::Status Save(int flags = 0);
    // What Save would refuse, with the same message, without writing anything.
    qm::Status Check() const;

    // Always the same object.
    ResStrings &Strings() { return m_strings; }
    const ResStrings &Strings() const { return m_strings; }
    QList<qint32> Languages() const { return m_strings.Languages(); }

    // True after any addition, removal or clearing through Strings() (and any
    // change to an entry in it), and after SetChanged, until the next Load or Save.
    bool Changed() const { return m_strings.Changed(); }
    void SetChanged() { m_strings.setChanged(true); }

    // What is kept beside the file (see ResCompanion): read after every Load
    // and Create, written with every Save. Installing one reads it for the
    // file as loaded.
    void setCompanion(std::unique_ptr<ResCompanion> companion);
    ResCompanion *Companion() const { return m_companion.get(); }

    // The resources other than string tables, in file order.
    const QList<ResResource> &OtherResources() const { return m_others; }
    // Replaces them (with a merge's, say), each written with its header as
    // read; the string tables stay where they stood among them. Marks the file changed.
    void setOtherResources(QList<ResResource> others);

private:
    void reset();
    qm::Status load();

    QString m_fileName;
    ResStrings m_strings;
    QByteArray m_leadEntry;
    QList<ResResource> m_others;
    qsizetype m_stringsAt = -1; // index among m_others before which the string tables stand; -1: at the end
    std::vector<StringTableFields> m_tableFields; // as read, sorted by key
    QString m_unreadable; // file whose Load failed
    bool m_loaded = false;
    std::unique_ptr<ResCompanion> m_companion;
};

} // namespace resutil
