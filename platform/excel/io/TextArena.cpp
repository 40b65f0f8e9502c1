#include "platform/excel/io/TextArena.h"

#include "platform/excel/io/OoxmlText.h"

#include <QStringDecoder>

#include <cstdint>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace excel::backend {

namespace {

// Blocks grow from small ones, so that a small sheet takes little, to ones
// big enough to hold whole huge pages, which are several times cheaper to
// touch first than as many small pages.
constexpr qsizetype FirstBlockUnits = qsizetype(1) << 13;
constexpr qsizetype LastBlockUnits = qsizetype(1) << 22;
constexpr std::size_t HugePage = std::size_t(2) << 20;

void adviseHugePages(char16_t *block, qsizetype units)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    const auto begin = (reinterpret_cast<std::uintptr_t>(block) + HugePage - 1) & ~std::uintptr_t(HugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(block + units)) & ~std::uintptr_t(HugePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)block;
    (void)units;
#endif
}

bool hasEscape(const char *utf8, std::size_t size)
{
    for (const char *p = utf8, *end = utf8 + size; (p = static_cast<const char *>(std::memchr(p, '_', size_t(end - p)))); ++p)
        if (p + 1 < end && p[1] == 'x')
            return true;
    return false;
}

} // namespace

char16_t *TextArena::room(qsizetype units)
{
    if (m_block.isNull() || m_block.size() - m_used < units) {
        m_nextUnits = qMin(qMax(m_nextUnits * 2, FirstBlockUnits), LastBlockUnits);
        m_block = QString(qMax(units, m_nextUnits), Qt::Uninitialized);
        m_used = 0;
        adviseHugePages(m_block.data_ptr().data(), m_block.size());
    }
    // Written in place: the texts handed out share the block and must not
    // make it detach.
    return m_block.data_ptr().data() + m_used;
}

QString TextArena::fromXml(const char *utf8, std::size_t size)
{
    // A text with escapes is rare and decoded the long way; an empty one is
    // what textFromXml makes of it.
    if (size == 0 || hasEscape(utf8, size))
        return textFromXml(utf8, size);
    return fromUtf8(utf8, size);
}

QString TextArena::copy(QStringView text)
{
    if (text.isEmpty())
        return QString();
    char16_t *start = room(text.size() + 1);
    std::memcpy(start, text.utf16(), size_t(text.size()) * sizeof(char16_t));
    start[text.size()] = u'\0';
    m_used += text.size() + 1;
    QString::DataPointer &block = m_block.data_ptr();
    block.ref();
    return QString(QString::DataPointer(block.d, start, text.size()));
}

QString TextArena::fromUtf8(const char *utf8, std::size_t size, bool *valid)
{
    if (valid)
        *valid = true;
    if (size == 0)
        return QString();
    // UTF-8 never takes fewer bytes than UTF-16 units; one more for the null.
    char16_t *start = room(qsizetype(size) + 1);
    char16_t *end = start;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(utf8);
    const unsigned char *const last = p + size;
    while (p < last && *p < 0x80)
        *end++ = char16_t(*p++);
    if (p < last) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        end = reinterpret_cast<char16_t *>(decoder.appendToBuffer(
            reinterpret_cast<QChar *>(end), QByteArrayView(reinterpret_cast<const char *>(p), last - p)));
        if (valid)
            *valid = !decoder.hasError();
    }
    *end = u'\0';
    const qsizetype length = end - start;
    m_used += length + 1;
    QString::DataPointer &block = m_block.data_ptr();
    block.ref();
    return QString(QString::DataPointer(block.d, start, length));
}

} // namespace excel::backend
