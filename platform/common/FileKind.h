#pragma once

#include <QString>

#include <sys/types.h>

namespace qm {

// What a file that is not a regular one is, for messages: "a FIFO", "a
// character device", "a folder".
QString kindOfFile(mode_t mode);

// The system's own text for an errno value ("No such file or directory").
QString systemReason(int error);

} // namespace qm
