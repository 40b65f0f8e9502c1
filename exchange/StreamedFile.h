#pragma once

#include "exchange/Utf8Writer.h"
#include "platform/common/AtomicFile.h"
#include "platform/resutil/DiskWriter.h"

#include <optional>

namespace exchange {

// A user's file written while it is made: the writer's sink hands each full
// megabyte to an atomic file, and the disk starts on it while the rest is
// made. The old file stays as it is until commit(); a file that is never
// committed leaves no trace. A file under a megabyte is opened only at commit,
// so a writer that refuses its input touches nothing at all.
class StreamedFile {
public:
    explicit StreamedFile(const QString &path);

    ByteSink &sink() { return m_sink; }
    qm::Status commit();

private:
    void write(const char *data, size_t size);

    qm::AtomicFile m_file;
    std::optional<resutil::DiskWriter> m_disk;
    ByteSink m_sink;
    bool m_opened = false;
    qm::Status m_failure;
};

} // namespace exchange
