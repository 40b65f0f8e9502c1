#pragma once

#include "platform/common/Result.h"

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace resutil {

// Replaces a resource file and its companion file in one step that a crash
// cannot split: both new files are written and synced first, then a small
// journal beside the resource file names the companion's new file and the
// fingerprint of the new resource file; then the resource file is put in
// place, then the companion. Whoever reads the resource file next finishes
// or undoes a step a crash cut short (finishInterruptedSave): the companion's
// new file is put in place exactly when the resource file in place is the
// new one.

using PutBytes = std::function<qm::Status(QByteArrayView)>;
// Writes the whole resource file through put.
using ResProducer = std::function<qm::Status(const PutBytes &put, int fd)>;

enum class SaveStep {
    BothWritten,    // both new files synced, nothing in place yet
    JournalWritten, // the journal names them; both old files still in place
    ResInPlace,     // the resource file is the new one, its companion still the old
};

qm::Status saveTogether(const QString &resPath, const ResProducer &produce, const QString &companionPath,
                        QByteArrayView companion, const std::function<void(SaveStep)> &reached = {});
// The same with the companion written through put in pieces.
using CompanionProducer = std::function<qm::Status(const PutBytes &put)>;
qm::Status saveTogether(const QString &resPath, const ResProducer &produce, const QString &companionPath,
                        const CompanionProducer &companion, const std::function<void(SaveStep)> &reached = {});

// Finishes or undoes a save of resPath that a crash interrupted; nothing
// when there was none. A failure leaves the journal for a later try.
qm::Status finishInterruptedSave(const QString &resPath);

// The journal's path beside resPath.
QString saveJournalPath(const QString &resPath);

} // namespace resutil
