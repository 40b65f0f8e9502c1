#pragma once

#include "platform/excel/model/Value.h"

#include <QString>

#include <cstdint>

namespace excel {

// A cell's value as a sheet keeps it: what Value holds, in 16 bytes instead
// of 32, because a large sheet holds millions. A text is kept as its QString's
// block, its start in the block and its length, so it shares the block as the
// QString did and text() gives a QString sharing it again.
class StoredValue {
public:
    StoredValue() noexcept : m_bits(0) {}
    StoredValue(const Value &value); // NOLINT: stored wherever a Value was
    StoredValue(Value &&value);      // NOLINT
    StoredValue(const StoredValue &other) noexcept;
    StoredValue(StoredValue &&other) noexcept;
    StoredValue &operator=(const StoredValue &other) noexcept;
    StoredValue &operator=(StoredValue &&other) noexcept;
    ~StoredValue();

    Value::Type type() const { return Value::Type(m_typeAndStart >> StartBits); }
    bool isEmpty() const { return type() == Value::Type::Empty; }
    bool isNumber() const { return type() == Value::Type::Number; }
    bool isText() const { return type() == Value::Type::Text; }
    bool isBool() const { return type() == Value::Type::Bool; }
    bool isError() const { return type() == Value::Type::Error; }

    // As Value's: each gives its type's zero value for a value of another type.
    double number() const { return isNumber() ? m_number : 0.0; }
    QString text() const;
    bool toBool() const { return isBool() && m_small != 0; }
    CellError errorCode() const { return isError() ? CellError(m_small) : CellError::NA; }

    operator Value() const; // NOLINT: read wherever a Value was

private:
    static constexpr int StartBits = 29;
    static constexpr std::uint32_t StartMask = (std::uint32_t(1) << StartBits) - 1;

    void adoptText(QString &&text);
    void release() noexcept;
    void setType(Value::Type type) { m_typeAndStart = std::uint32_t(type) << StartBits; }

    union {
        std::uint64_t m_bits; // the whole, for copies
        double m_number;
        QArrayData *m_block; // null for an empty text
        std::uint8_t m_small; // a Boolean or an error code
    };
    std::uint32_t m_length = 0; // of a text, in UTF-16 units
    // The type in the top bits; for a text, the units in its block before it.
    std::uint32_t m_typeAndStart = 0;
};

static_assert(sizeof(StoredValue) == 16);

} // namespace excel
