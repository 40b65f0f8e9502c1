#include "platform/excel/model/StoredValue.h"

#include <utility>

namespace excel {

namespace {

using TextData = QTypedArrayData<char16_t>;

char16_t *blockStart(QArrayData *block)
{
    return TextData::dataStart(block, alignof(TextData::AlignmentDummy));
}

} // namespace

StoredValue::StoredValue(const Value &value) : StoredValue(Value(value)) {}

StoredValue::StoredValue(Value &&value) : m_bits(0)
{
    switch (value.type()) {
    case Value::Type::Empty:
        break;
    case Value::Type::Number:
        m_number = value.number();
        break;
    case Value::Type::Text:
        adoptText(std::move(std::get<QString>(value.m_v)));
        return;
    case Value::Type::Bool:
        m_small = value.toBool() ? 1 : 0;
        break;
    case Value::Type::Error:
        m_small = std::uint8_t(value.errorCode());
        break;
    }
    setType(value.type());
}

void StoredValue::adoptText(QString &&text)
{
    setType(Value::Type::Text);
    if (text.isEmpty())
        return; // m_block stays null
    // Texts without a block of their own (literals, raw data), or too far into
    // their block to be addressed, get one. Cell texts are far shorter than
    // 2^32 units: the readers and Cells::Set limit them.
    if (!text.data_ptr().d_ptr() || text.data_ptr().freeSpaceAtBegin() > qsizetype(StartMask))
        text = QString(text.constData(), text.size());
    QString::DataPointer &data = text.data_ptr();
    m_block = data.d_ptr();
    m_length = std::uint32_t(data.size);
    m_typeAndStart |= std::uint32_t(data.freeSpaceAtBegin());
    // The reference the QString held is now this value's.
    data.d = nullptr;
    data.ptr = nullptr;
    data.size = 0;
}

StoredValue::StoredValue(const StoredValue &other) noexcept
    : m_bits(other.m_bits), m_length(other.m_length), m_typeAndStart(other.m_typeAndStart)
{
    if (isText() && m_block)
        m_block->ref();
}

StoredValue::StoredValue(StoredValue &&other) noexcept
    : m_bits(other.m_bits), m_length(other.m_length), m_typeAndStart(other.m_typeAndStart)
{
    other.m_bits = 0;
    other.m_length = 0;
    other.m_typeAndStart = 0;
}

StoredValue &StoredValue::operator=(const StoredValue &other) noexcept
{
    StoredValue copy(other);
    return *this = std::move(copy);
}

StoredValue &StoredValue::operator=(StoredValue &&other) noexcept
{
    if (this != &other) {
        release();
        m_bits = std::exchange(other.m_bits, 0);
        m_length = std::exchange(other.m_length, 0);
        m_typeAndStart = std::exchange(other.m_typeAndStart, 0);
    }
    return *this;
}

StoredValue::~StoredValue()
{
    release();
}

void StoredValue::release() noexcept
{
    if (isText() && m_block && !m_block->deref())
        TextData::deallocate(m_block);
    m_bits = 0;
    m_length = 0;
    m_typeAndStart = 0;
}

QString StoredValue::text() const
{
    if (!isText() || !m_block)
        return QString();
    m_block->ref();
    return QString(QString::DataPointer(static_cast<TextData *>(m_block),
                                        blockStart(m_block) + (m_typeAndStart & StartMask), m_length));
}

StoredValue::operator Value() const
{
    switch (type()) {
    case Value::Type::Empty: return Value();
    case Value::Type::Number: return Value(m_number);
    case Value::Type::Text: return Value(text());
    case Value::Type::Bool: return Value::boolean(m_small != 0);
    case Value::Type::Error: return Value::error(CellError(m_small));
    }
    return Value();
}

} // namespace excel
