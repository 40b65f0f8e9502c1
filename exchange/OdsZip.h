#pragma once

#include "platform/common/Result.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace exchange {

// Builds an OpenDocument package: the first member stored, as the format
// wants its "mimetype", the others deflated.
class OdsZipWriter {
public:
    void add(const QString &name, const QByteArray &data, bool stored = false);
    // A member deflated already (a raw deflate stream of `size` bytes with that CRC-32).
    void addDeflated(const QString &name, const QByteArray &stream, quint32 size, quint32 crc);
    QByteArray finish();

private:
    struct Entry {
        QByteArray name;
        quint32 crc = 0, size = 0, compressedSize = 0, offset = 0;
        bool stored = false;
    };
    void addEntry(Entry entry, const QByteArray &body);
    std::vector<Entry> m_entries;
    QByteArray m_out;
};

} // namespace exchange
