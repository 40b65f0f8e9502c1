#pragma once

#include "platform/common/Result.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace resutil {

class ResStrings;

// A file kept beside a resource file (what is known about its texts) that
// ResFile reads after the resource file and writes in the same commit step:
// after a crash both are old or both are new.
class ResCompanion {
public:
    virtual ~ResCompanion() = default;

    // After Load or Create; readable is false when the resource file could
    // not be read (strings is then empty).
    virtual void loaded(const QString &resPath, const ResStrings &strings, bool readable) = 0;

    struct Contents {
        QString path;
        QByteArray bytes;
        // When set, the bytes instead: hands them to its argument in pieces.
        std::function<qm::Status(const std::function<qm::Status(QByteArrayView)> &)> write;
    };
    // Before Save writes resPath: the companion file to write with it, or
    // nothing to leave that file as it is. A failure stops the save before
    // anything is written.
    virtual qm::Result<std::optional<Contents>> saving(const QString &resPath, const ResStrings &strings) = 0;
    // After both files of a save are in place.
    virtual void saved(const QString &resPath) = 0;
};

} // namespace resutil
