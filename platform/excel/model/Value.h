#pragma once

#include <QString>

#include <cstdint>
#include <variant>

namespace excel {

// The error values a cell can hold, with their BIFF codes.
enum class CellError : std::uint8_t {
    Null = 0x00,  // #NULL!
    Div0 = 0x07,  // #DIV/0!
    Value = 0x0F, // #VALUE!
    Ref = 0x17,   // #REF!
    Name = 0x1D,  // #NAME?
    Num = 0x24,   // #NUM!
    NA = 0x2A,    // #N/A
};
QString errorText(CellError error);
// The error for "#N/A" etc.; false when text names none.
bool errorFromText(const QString &text, CellError *error);

// What a cell holds: nothing, a number, a text, a Boolean or an error.
class Value {
public:
    enum class Type { Empty, Number, Text, Bool, Error };

    Value() = default;
    Value(double number) : m_v(number) {}
    Value(int number) : m_v(double(number)) {}
    Value(const QString &text) : m_v(text) {}
    Value(const char *text) : m_v(QString::fromUtf8(text)) {}
    static Value boolean(bool b) { Value v; v.m_v = b; return v; }
    static Value error(CellError e) { Value v; v.m_v = e; return v; }

    Type type() const { return Type(m_v.index()); }
    bool isEmpty() const { return type() == Type::Empty; }
    bool isNumber() const { return type() == Type::Number; }
    bool isText() const { return type() == Type::Text; }
    bool isBool() const { return type() == Type::Bool; }
    bool isError() const { return type() == Type::Error; }

    // Each gives its type's zero value for a value of another type.
    double number() const { return isNumber() ? std::get<double>(m_v) : 0.0; }
    QString text() const { return isText() ? std::get<QString>(m_v) : QString(); }
    bool toBool() const { return isBool() && std::get<bool>(m_v); }
    CellError errorCode() const { return isError() ? std::get<CellError>(m_v) : CellError::NA; }

    bool operator==(const Value &other) const = default;

private:
    friend class StoredValue;
    std::variant<std::monostate, double, QString, bool, CellError> m_v;
};

} // namespace excel
