#pragma once

#include "platform/common/Result.h"

#include <QString>

// What reading one workbook file may take in all, summed over every part and
// sheet read from it, whatever the file claims. A file of up to 10 MB stays
// well under 1 GB this way; past a limit the read is refused, naming it.
namespace excel::backend {

struct ReadLimits {
    qint64 cells = 4'000'000;
    qint64 sharedStrings = 4'000'000;
    qint64 textUnits = qint64(64) << 20; // UTF-16 units of all texts
    int sheets = 4096;
    int relationships = 65536;
    int cellFormats = 65536;

    // The limits in force; tests lower them to try them without gigabytes.
    static ReadLimits &current();
};

class ReadBudget {
public:
    qm::Status addCells(qint64 n);
    qm::Status addSharedString(qint64 textUnits);
    qm::Status addText(qint64 units);

private:
    qint64 m_cells = 0, m_strings = 0, m_text = 0;
};

// "the workbook has more than 4000000 cells ...": the message for a count past its limit.
QString pastLimit(const QString &what, qint64 limit);

} // namespace excel::backend
