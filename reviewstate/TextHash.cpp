#include "reviewstate/TextHash.h"

#include "platform/common/Xxh64.h"

namespace reviewstate {

quint32 textHash(QStringView text)
{
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    return quint32(qm::Xxh64::of(QByteArrayView(reinterpret_cast<const char *>(text.utf16()), 2 * text.size())));
#else
    QByteArray bytes(2 * text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        bytes[2 * i] = char(text[i].unicode() & 0xFF);
        bytes[2 * i + 1] = char(text[i].unicode() >> 8);
    }
    return quint32(qm::Xxh64::of(bytes));
#endif
}

} // namespace reviewstate
