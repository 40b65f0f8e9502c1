#pragma once

#include "platform/common/Result.h"

#include <QString>

// What reading one workbook file may take in all, summed over every part and
// sheet read from it, whatever the file claims. The limits hold as they are
// for a file of up to 10 MB, which so stays well under 1 GB, and grow in
// proportion to the file beyond that, so that a large file written here is
// read back; past a limit the read is refused, naming it.
namespace excel::backend {

// `limit` for a file of `fileBytes` bytes: itself up to the size the limits
// are set for (ReadLimits::fileBytes), in proportion beyond.
qint64 scaledToFile(qint64 limit, qint64 fileBytes);

struct ReadLimits {
    qint64 fileBytes = 10'000'000; // the size up to which the others hold as they are
    qint64 cells = 4'000'000;
    qint64 sharedStrings = 4'000'000;
    // UTF-16 units of all texts: 256 MB, as many as a table of short
    // translations deflated into 10 MB holds.
    qint64 textUnits = qint64(128) << 20;
    qint64 sheets = 4096;
    qint64 relationships = 65536;
    qint64 cellFormats = 65536;

    // The limits for a file of up to BudgetFileSize; tests lower them to try
    // them without gigabytes.
    static ReadLimits &current();
    // The limits for a file of that size.
    static ReadLimits forFile(qint64 fileBytes);
};

class ReadBudget {
public:
    explicit ReadBudget(const ReadLimits &limits) : m_limits(limits) {}
    qm::Status addCells(qint64 n);
    qm::Status addSharedString(qint64 textUnits);
    qm::Status addText(qint64 units);

private:
    ReadLimits m_limits;
    qint64 m_cells = 0, m_strings = 0, m_text = 0;
};

// "the workbook has more than 4000000 cells ...": the message for a count past its limit.
QString pastLimit(const QString &what, qint64 limit);

} // namespace excel::backend
